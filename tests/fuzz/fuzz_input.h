#pragma once
// Splits a fuzzer's bytes into the pieces a harness needs: single choices and texts.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace pv::fuzz {

class Input
{
public:
    Input(const std::uint8_t *data, std::size_t size) : data_(data), size_(size) {}

    // The next byte, 0 once the input is used up.
    std::uint8_t Byte() { return used_ < size_ ? data_[used_++] : 0; }
    bool Flag() { return (Byte() & 1) != 0; }
    // The bytes up to the next NUL (or the end), as text.
    std::string Text()
    {
        std::string text;
        while (used_ < size_ && data_[used_] != 0)
            text.push_back(static_cast<char>(data_[used_++]));
        if (used_ < size_)
            ++used_;
        return text;
    }
    // Everything not used yet.
    std::string_view Rest() const
    {
        return {reinterpret_cast<const char *>(data_ + used_), size_ - used_};
    }

private:
    const std::uint8_t *data_;
    std::size_t size_;
    std::size_t used_ = 0;
};

} // namespace pv::fuzz
