#pragma once
// The design measures in twips; the screen counts pixels at 96 dpi (15 twips per pixel).

namespace pv {

inline constexpr int TwipsPerPixel = 15;

// Rounds to the nearest pixel on both sides of 0 (a frame scrolled up has a negative Top).
inline constexpr int Px(int twips)
{
    const int half = TwipsPerPixel / 2;
    return twips >= 0 ? (twips + half) / TwipsPerPixel : -((-twips + half) / TwipsPerPixel);
}

inline constexpr int Twips(int pixels)
{
    return pixels * TwipsPerPixel;
}

} // namespace pv
