#include "key_filter.h"

namespace pv {

namespace {

constexpr char32_t Backspace = 8;

bool IsDigit(char32_t code)
{
    return code >= U'0' && code <= U'9';
}

bool IsSeparator(char32_t code)
{
    return code == U'.' || code == U',';
}

} // namespace

bool KeyAccepted(FilterKind kind, char32_t code, std::string_view text)
{
    switch (kind) {
    case FilterKind::None:
        return false;
    case FilterKind::Digits:
        return IsDigit(code) || code == Backspace;
    case FilterKind::Decimal:
        if (IsDigit(code) || code == Backspace)
            return true;
        return IsSeparator(code) && text.find_first_of(".,") == std::string_view::npos;
    }
    return false;
}

bool KeyPressAccepted(FilterKind kind, KeyPress key, std::string_view text)
{
    if (key.movesOrEdits || key.code == 0)
        return true;
    return KeyAccepted(kind, key.code, text);
}

} // namespace pv
