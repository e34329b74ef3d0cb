#pragma once

#include "codec.h"

#include <array>
#include <cstddef>

namespace pv {

// Image of the inverter's 0xC000 register block: register R has its high byte at index
// 2 * (R - 0xC000) and its low byte at the next index. All zero at start and never cleared, so
// a byte keeps the content of the last reply or confirmed write that covered it.
class RegisterImage
{
public:
    static constexpr std::size_t Size = 1025;

    // image[imageStart + k] = source[first + k] for k = 0 .. count-1; the copy stops at the
    // first index outside the source or at or beyond Size, keeping what was copied.
    void CopyReplyToImage(std::size_t first, std::size_t count, ByteView source,
                          std::size_t imageStart);

    ByteView Bytes() const { return bytes_; }
    std::uint8_t operator[](std::size_t i) const { return bytes_.at(i); }

private:
    std::array<std::uint8_t, Size> bytes_{};
};

} // namespace pv
