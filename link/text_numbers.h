#pragma once
// Numbers of the language texts shown by more than one routine: the status captions and the
// messages. The numbers of the captions live with the caption routine of their window.

namespace pv::text {

// Status caption beside the lamp.
inline constexpr int NoLink = 121;  // no port open, or the port failed to open
inline constexpr int NoReply = 122; // nothing usable came back
inline constexpr int LinkGood = 123;
inline constexpr int Reading = 124;
inline constexpr int Writing = 125;
inline constexpr int PortOpened = 126; // the firmware version is being checked

// Messages.
inline constexpr int ReadFailed = 127;
inline constexpr int WriteFailed = 128;
inline constexpr int WriteDone = 129;
inline constexpr int PortOpenFailed = 130;
inline constexpr int PortNotOpen = 131;
inline constexpr int EntryRefused = 132; // an entry that cannot be converted or is out of range
inline constexpr int EntryEmpty = 133;   // followed directly by the caption of the entry's label
inline constexpr int NoWriteGroup = 134;
inline constexpr int CalibrationEntryEmpty = 136;
inline constexpr int NoCountry = 138;
inline constexpr int SelfTestRunning = 145;
inline constexpr int VersionRefused = 151;
inline constexpr int StartupFailed = 152;
inline constexpr int RecordCreateFailed = 272;     // the recording file cannot be created
inline constexpr int RecordWriteFailed = 273;      // a row cannot be written: the recording stops
inline constexpr int VersionUnreadable = 276;      // status: no version text yet, the check goes on
inline constexpr int UnlistedCountry = 277;        // %1: the code the inverter reports
inline constexpr int ReplaceUnlistedCountry = 278; // Yes/No; %1 the reported code, %2 the new one
inline constexpr int FileNotLoaded = 279;      // %1: the reason, for faults that name no line
inline constexpr int FileNotCompared = 280;    // %1: the reason, for faults that name no line
inline constexpr int NotPlainFile = 281;       // %1: the path that is no regular file
inline constexpr int RecordFellBehind = 282;   // the recording's queue is full: it stops

// Configuration files.
inline constexpr int NotSaved = 238;        // %1 the entry's caption, %2 the reason
inline constexpr int FileNotWritten = 239;  // %1 the file
inline constexpr int FileNotRead = 240;     // %1 the file
inline constexpr int FileNotLoadedAt = 241; // %1 the line, %2 the reason
inline constexpr int NoneDiffer = 259;      // no value differs from the file's
inline constexpr int Fingerprint = 285;     // %1 the fingerprint of the file's settings

// The service record.
inline constexpr int WriteNotRecorded = 286;   // in place of 129 when the record did not commit
inline constexpr int ServiceRecordFailed = 287; // %1: the database; said once
inline constexpr int ServiceRecordBehind = 288; // its queue is full; said once

// The command line's configuration write.
inline constexpr int ReadBackDiffers = 360; // %1: the registers that differ
inline constexpr int WriteChanges = 361;    // followed by the values the write changes
inline constexpr int ConfirmWrite = 362;    // the question before the write; "y" writes
inline constexpr int NothingWritten = 363;  // the question was not answered "y"

// The country list's own text while nothing is chosen; a write compares the list's text with it.
// Also the caption of the Country write group.
inline constexpr int CountryCaption = 51;

// Captions of the setting panels, which the service history also names its values by.
inline constexpr int PortCaption = 47;
inline constexpr int SleepPowerCaption = 49;
inline constexpr int RatedPowerCaption = 50;
inline constexpr int FirstLimitCaption = 53; // Label8(0..13)
inline constexpr int EnergyCaption = 67;     // Label4
inline constexpr int IdCaption = 68;         // Label5
inline constexpr int ModelCaption = 69;      // Label6
inline constexpr int CompanyCaption = 70;    // Label7
inline constexpr int ValueCaption = 83;
inline constexpr int DcInputCaption = 86;
inline constexpr int RetryTimeCaption = 87;
inline constexpr int CommunicationCaption = 105;
inline constexpr int DcInputOptionCaptions[2] = {84, 85};         // Option1: standard, parallel
inline constexpr int CommunicationOptionCaptions[2] = {103, 104}; // Option2: jbus, mbus
inline constexpr int IdentifierCaptions[4]
    = {EnergyCaption, IdCaption, ModelCaption, CompanyCaption}; // Label4..Label7

} // namespace pv::text
