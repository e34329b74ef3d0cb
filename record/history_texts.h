#pragma once
// Language text numbers of the service history: its button on the CONNECTION panel, its window,
// and the names of the exchanges and outcomes it lists. The captions it shares with the panels
// (port, model, value, the settings) live in link/text_numbers.h.

namespace pv::historytext {

inline constexpr int History = 290; // the button, and the window's title before the tool's
inline constexpr int Title = 291;
// Columns of the list; the port and model columns are captioned by text::PortCaption and
// text::ModelCaption.
inline constexpr int TimeColumn = 292;
inline constexpr int UnitColumn = 293;
inline constexpr int ExchangeColumn = 294;
inline constexpr int OutcomeColumn = 295;
// The filter.
inline constexpr int AllDates = 296;
inline constexpr int AllUnits = 309; // what the empty unit entry stands for
// Columns of a record's values; the value column is captioned by text::ValueCaption.
inline constexpr int SettingColumn = 297;

// The exchanges a record names.
inline constexpr int IdentifyRead = 298;
inline constexpr int IdentifyWrite = 299;
inline constexpr int ConfigurationRead = 300;
inline constexpr int ConfigurationWrite = 301;
inline constexpr int CalibrationRead = 302;
inline constexpr int CalibrationWrite = 303;
inline constexpr int VersionCheck = 304;

// How an exchange ended: read or written, failed, or (the firmware check) refused.
inline constexpr int Done = 305;
inline constexpr int Failed = 306;
inline constexpr int Refused = 307;

// The database could not be read; %1 is its path.
inline constexpr int CannotRead = 308;

} // namespace pv::historytext
