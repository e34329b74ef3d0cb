#include "screen_placement.h"

#include "twips.h"

namespace pv {

namespace {

// Centred across: half the screen less half the window.
constexpr double AcrossShare = 2.0;

// A twips value as the design stores it into a position: cut to whole twips, then in pixels.
int PixelsOf(double twips)
{
    return Px(static_cast<int>(twips));
}

} // namespace

PixelPoint PlacedOnScreen(PixelRect screen, int windowWidth, int windowHeight,
                          ScreenPlacement placement)
{
    const double left = Twips(screen.width) / AcrossShare - Twips(windowWidth) / AcrossShare;
    const double top = Twips(screen.height) / placement.screenShare
                       - Twips(windowHeight) / placement.windowShare;
    return {screen.left + PixelsOf(left), screen.top + PixelsOf(top)};
}

} // namespace pv
