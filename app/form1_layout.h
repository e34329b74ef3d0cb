#pragma once
// Places and sizes of the main window in twips (15 per pixel at 96 dpi) that more than one of
// its routines uses: where the controls are built and where the menu and start-up move them.

#include <cstdint>

namespace pv::layout {

inline constexpr int FormWidth = 12300;
inline constexpr int NormalWindowHeight = 7560;
inline constexpr int TallWindowHeight = 11200; // CONFIGURATIONS with own settings
inline constexpr int NormalViewportHeight = 3735;
inline constexpr int TallViewportHeight = 9000;

// The live readings stand in two rows from here; without them the status strip and the
// viewport move up into their space.
inline constexpr int ReadingsTop = 840;
inline constexpr int StatusTopBelowReadings = 3120;
inline constexpr int ViewportTopBelowReadings = 3840;
inline constexpr int StatusTopWithoutReadings = ReadingsTop;
inline constexpr int ViewportTopWithoutReadings = 1580;

// The limits grid keeps this much of its height for the note and the picture below it.
inline constexpr int NoteSpaceAtBottom = 2200;

// Back and border colour (0x00BBGGRR) of the marked menu entry's rectangle.
inline constexpr std::uint32_t ChosenShapeColor = 0x0000FF;

// The row of the configuration file buttons (Save, Load, Compare) in Frame1(1): the free space
// on the Write button's line between Frame4 (which ends at 5610) and Write (at 9000). Captions
// are laid out in it by their width (form1_configuration_files.cpp).
inline constexpr int FileButtonsLeft = 5700;
inline constexpr int FileButtonsRight = 8940;
inline constexpr int FileButtonsTop = 2100;
inline constexpr int FileButtonGap = 45;

// Below Frame1(0) (60, 60, 4500 x 1050) and left of the trend (from 4680): the Record button,
// and on its row the History button, with the recording's file name under them.
inline constexpr int RecordButtonLeft = 60;
inline constexpr int RecordButtonTop = 1200;
inline constexpr int RecordButtonWidth = 1500;
inline constexpr int RecordButtonHeight = 435;
inline constexpr int HistoryButtonLeft = RecordButtonLeft + RecordButtonWidth + 120;
inline constexpr int HistoryButtonWidth = 1500;

// Under the recording's file name (which ends at 2220) and left of the trend, as wide as
// Frame1(0) (60 .. 4560): publishing to MQTT. The check box and the Broker button share a row,
// the broker's address runs below them, and the status line, two lines high, under that.
inline constexpr int PublishLeft = RecordButtonLeft;
inline constexpr int PublishRight = 4560;
inline constexpr int PublishCheckTop = 2310;
inline constexpr int PublishCheckWidth = 2940;
inline constexpr int PublishButtonTop = 2250;
inline constexpr int PublishButtonWidth = 1500;
inline constexpr int PublishButtonHeight = 390;
inline constexpr int PublishFieldHeight = 315;
inline constexpr int PublishAddressTop = 2730;
inline constexpr int PublishStatusTop = 3105;
inline constexpr int PublishStatusHeight = 510; // two lines; ends above the viewport's 3735

// The commissioning report's button in Frame1(1): the free space right of the retry time's entry
// (Text8 ends at 9600) on the line of the write groups, as far right as Read, and no lower than
// the flag boxes' row (at 1170).
inline constexpr int ReportButtonLeft = 9720;
inline constexpr int ReportButtonRight = 11580;
inline constexpr int ReportButtonTop = 660;

// The lamp is painted into the status strip at its origin, this many twips square.
inline constexpr int LampTwips = 400;

// Menu slots at the right end of the strip, which the start-up switches give to the
// CALIBRATION and SELFTEST entries (a label sits a little right of its rectangle).
inline constexpr int InnerSlotShapeLeft = 9240;
inline constexpr int InnerSlotLabelLeft = 9330;
inline constexpr int OuterSlotShapeLeft = 10695;
inline constexpr int OuterSlotLabelLeft = 10800;

} // namespace pv::layout
