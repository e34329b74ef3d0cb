// Where the main and calibration windows open on their screen.

#include "platform/screen_placement.h"

#include <gtest/gtest.h>

namespace pv {
namespace {

constexpr ScreenPlacement Main{4.0, 4.0}, Calibration{3.0, 2.4};

struct PlacementRow
{
    const char *name;
    PixelRect screen;
    int width, height;
    ScreenPlacement placement;
    PixelPoint expected;
};

TEST(PlacedOnScreen, CentresAcrossAtTheWindowsHeightInWholeTwips)
{
    const PlacementRow rows[] = {
        {"main", {0, 0, 1920, 1080}, 820, 504, Main, {550, 144}},
        {"calibration", {0, 0, 1920, 1080}, 744, 440, Calibration, {588, 177}},
        {"second screen", {1920, 100, 1920, 1080}, 820, 504, Main, {2470, 244}},
        // 9487.5 and 2688.75 twips: cut to whole twips, then to the nearest pixel.
        {"odd sizes", {0, 0, 1366, 768}, 101, 51, Main, {632, 179}},
        {"taller than the screen", {0, 0, 800, 600}, 744, 1000, Calibration, {28, -217}},
    };
    for (const PlacementRow &row : rows) {
        const PixelPoint at = PlacedOnScreen(row.screen, row.width, row.height, row.placement);
        EXPECT_EQ(at, row.expected) << row.name << ": " << at.left << ", " << at.top;
    }
}

} // namespace
} // namespace pv
