#pragma once
// Language text numbers of the line view and of its button on the CONNECTION panel.

namespace pv::linetext {

inline constexpr int ToolName = 0; // the main window's title, after the view's own
inline constexpr int Line = 201;   // the button, and the view's title
inline constexpr int Pause = 202;
inline constexpr int Clear = 203;
inline constexpr int Save = 204;
// Column captions: time, direction, bytes, meaning.
inline constexpr int FirstColumn = 205;

// Meaning of a frame.
inline constexpr int ReadBlock = 209;  // "read %1 × %2": first register, register count
inline constexpr int WriteBlock = 210; // "write %1 × %2"
inline constexpr int Accepted = 211;
inline constexpr int CrcFailed = 212;
inline constexpr int NoAnswer = 213;
inline constexpr int TooShort = 214;
inline constexpr int Exception = 215; // "%1": the exception code
inline constexpr int FunctionMismatch = 216;
inline constexpr int ByteCountMismatch = 217;
inline constexpr int NotFiled = 218;
inline constexpr int Stray = 219;
inline constexpr int PortFailed = 220;
inline constexpr int ByteCount = 221; // "%1 bytes"
inline constexpr int AcknowledgementMismatch = 283;

// Above the list.
inline constexpr int Counters = 222;  // seven counts, %1..%7
inline constexpr int RoundTrip = 223; // last, median, max
inline constexpr int RoundTripAtTake = 224;
inline constexpr int HintNoReply = 225; // "%1": the number of requests
inline constexpr int HintCrc = 226;
inline constexpr int HintEcho = 227;
inline constexpr int HintException = 228;

inline constexpr int SaveFailed = 229;

} // namespace pv::linetext
