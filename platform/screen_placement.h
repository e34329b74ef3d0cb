#pragma once
// Where a window stands when it opens. Each window of the design places itself in its
// Form_Load, centred across its screen and at a height of its own: Top = screen height /
// screenShare - window height / windowShare, all in twips and in floating point, the way the
// design computes it; the result is cut to whole twips and then rounded to a pixel.

namespace pv {

struct ScreenPlacement
{
    double screenShare;
    double windowShare;
};

// Pixel rectangles and points as the screen reports them.
struct PixelRect
{
    int left, top, width, height;
};

struct PixelPoint
{
    int left, top;
    bool operator==(const PixelPoint &) const = default;
};

// The top-left corner of a window of windowWidth x windowHeight pixels on screen.
PixelPoint PlacedOnScreen(PixelRect screen, int windowWidth, int windowHeight,
                          ScreenPlacement placement);

} // namespace pv
