#include "report_captions.h"

#include "report_texts.h"

#include "link/text_numbers.h"
#include "settings/grid_limit_checks.h"

namespace pv {

ReportCaptions ReportCaptionsFrom(const std::function<QString(int)> &text)
{
    ReportCaptions c;
    c.title = text(text::ReportTitle);
    c.toolVersion = text(text::ReportToolVersion);
    c.created = text(text::ReportCreated);
    c.site = text(text::ReportSite);
    c.technician = text(text::ReportTechnician);
    c.notes = text(text::ReportNotes);
    c.policy = text(text::ReportPolicy);
    c.inverter = text(text::ReportInverter);
    c.id = text(text::IdentifierCaptions[1]);
    c.model = text(text::IdentifierCaptions[2]);
    c.company = text(text::IdentifierCaptions[3]);
    c.operatingFirmware = text(text::ReportOperatingFirmware);
    c.certificateFirmware = text(text::ReportCertificateFirmware);
    c.lastRecord = text(text::ReportLastRecord);
    c.settings = text(text::ReportSettings);
    c.settingColumn = text(text::ReportSettingColumn);
    c.keyColumn = text(text::ReportKeyColumn);
    c.valueColumn = text(text::ReportValueColumn);
    c.unitColumn = text(text::ReportUnitColumn);
    c.recordedColumn = text(text::ReportRecordedColumn);
    c.notRead = text(text::ReportNotRead);
    c.pending = text(text::ReportPending);

    // The limits by the label each entry stands beside on the panel.
    for (int field = 0; field < GridLimitEntryCount; ++field)
        c.settingNames[static_cast<std::size_t>(field)]
            = text(text::FirstLimitCaption + GridLimitLabels[static_cast<std::size_t>(field)]);
    c.settingNames[SleepPowerField] = text(text::SleepPowerCaption);
    c.settingNames[RatedPowerField] = text(text::RatedPowerCaption);
    c.settingNames[RetryTimeField] = text(text::RetryTimeCaption);
    c.settingNames[CountryCodeField] = text(text::CountryCaption);
    c.settingNames[DcInputField] = text(text::DcInputCaption);
    c.settingNames[CommunicationField] = text(text::CommunicationCaption);
    // Boxes 2..7 are flag bits 5..0.
    for (int box = 2; box < FlagCount; ++box)
        c.settingNames[static_cast<std::size_t>(FlagField(box))]
            = text(text::ReportFlagBit).arg(FlagCount - 1 - box);
    for (std::size_t i = 0; i < 2; ++i) {
        c.dcInputChoices[i] = text(text::DcInputOptionCaptions[i]);
        c.communicationChoices[i] = text(text::CommunicationOptionCaptions[i]);
    }

    c.calibration = text(text::ReportCalibration);
    c.calibrationData = text(text::ReportCalibrationData);
    c.noCalibration = text(text::ReportNoCalibration);
    c.writes = text(text::ReportWrites);
    c.noWrites = text(text::ReportNoWrites);
    c.identifyWrite = text(text::ReportIdentifyWrite);
    c.configurationWrite = text(text::ReportConfigurationWrite);
    c.calibrationWrite = text(text::ReportCalibrationWrite);
    c.writeDone = text(text::ReportWriteDone);
    c.writeFailed = text(text::ReportWriteFailed);
    c.fingerprint = text(text::ReportFingerprint);
    c.noFingerprint = text(text::ReportNoFingerprint);
    c.signature = text(text::ReportSignature);
    c.date = text(text::ReportDate);
    c.page = text(text::ReportPage);
    return c;
}

} // namespace pv
