#pragma once
// Every caption of the commissioning report's PDF, in the chosen language: the report's own texts
// and the configuration panel's captions, by which the report names the settings.

#include "settings/configuration_file.h"

#include <QString>

#include <array>
#include <functional>

namespace pv {

struct ReportCaptions
{
    QString title, toolVersion, created, site, technician, notes, policy;
    QString inverter, id, model, company, operatingFirmware, certificateFirmware, lastRecord;
    QString settings, settingColumn, keyColumn, valueColumn, unitColumn, recordedColumn;
    QString notRead, pending; // pending: %1 the panel's value
    std::array<QString, ConfigurationFieldCount> settingNames;
    // The words of the DC input and communication modes, unticked and ticked.
    std::array<QString, 2> dcInputChoices, communicationChoices;
    QString calibration, calibrationData, noCalibration; // calibrationData: %1 the read's time
    QString writes, noWrites, identifyWrite, configurationWrite, calibrationWrite;
    QString writeDone, writeFailed;
    QString fingerprint, noFingerprint, signature, date;
    QString page; // %1 this page, %2 the pages
};

// The captions from the language table: text(number) is the text of that number.
ReportCaptions ReportCaptionsFrom(const std::function<QString(int)> &text);

} // namespace pv
