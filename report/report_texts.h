#pragma once
// Numbers of the language texts of the commissioning report: its button and dialog on the
// configuration panel, its messages, and every caption of its PDF. The settings themselves are
// named by the configuration panel's own captions (link/text_numbers.h).

namespace pv::text {

inline constexpr int ReportButton = 310; // the configuration panel's "Report…"
inline constexpr int ReportTitle = 311;  // the dialog's title and the PDF's heading
inline constexpr int ReportSite = 312;
inline constexpr int ReportTechnician = 313;
inline constexpr int ReportNotes = 314;
inline constexpr int ReportPolicy = 315; // which value a setting reports, and pending edits
inline constexpr int ReportCreate = 316; // the dialog's button that goes on to the file
inline constexpr int ReportCancel = 317;
inline constexpr int ReportSaveTitle = 318;
inline constexpr int ReportPdfFiles = 319;
// Messages.
inline constexpr int ReportNoRecord = 320;      // no service record runs
inline constexpr int ReportNotIdentified = 321; // no record names the unit on the port
inline constexpr int ReportNotWritten = 322;    // %1: the file
inline constexpr int ReportWritten = 323;       // %1: the PDF, %2: the JSON beside it
// Captions of the PDF.
inline constexpr int ReportToolVersion = 324;
inline constexpr int ReportCreated = 325;
inline constexpr int ReportInverter = 326;
inline constexpr int ReportOperatingFirmware = 327;
inline constexpr int ReportCertificateFirmware = 328;
inline constexpr int ReportLastRecord = 329; // the time of the unit's latest record
inline constexpr int ReportSettings = 330;
inline constexpr int ReportSettingColumn = 331;
inline constexpr int ReportKeyColumn = 332;
inline constexpr int ReportValueColumn = 333;
inline constexpr int ReportUnitColumn = 334;
inline constexpr int ReportRecordedColumn = 335;
inline constexpr int ReportNotRead = 336;
inline constexpr int ReportPending = 337; // %1: the panel's value
inline constexpr int ReportFlagBit = 338; // %1: the bit
inline constexpr int ReportCalibration = 339;
inline constexpr int ReportCalibrationData = 340; // %1: the time of the read
inline constexpr int ReportNoCalibration = 341;
inline constexpr int ReportWrites = 342;
inline constexpr int ReportNoWrites = 343;
inline constexpr int ReportIdentifyWrite = 344;
inline constexpr int ReportConfigurationWrite = 345;
inline constexpr int ReportCalibrationWrite = 346;
inline constexpr int ReportWriteDone = 347;
inline constexpr int ReportWriteFailed = 348;
inline constexpr int ReportFingerprint = 349;
inline constexpr int ReportNoFingerprint = 350;
inline constexpr int ReportSignature = 351;
inline constexpr int ReportDate = 352;
inline constexpr int ReportPage = 353; // %1: this page, %2: the pages

} // namespace pv::text
