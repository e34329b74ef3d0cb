#pragma once
// Which keys an entry lets through as they are typed, so that only the characters of a number
// get in and the drop-down lists cannot be typed into at all. A key is judged by the character
// it would insert (8 for backspace, 13 for Enter, 22 for the paste shortcut), before it is
// inserted; keys that insert no character (function keys) and keys that only move the cursor or
// edit the text (Delete, Home, End, the arrows, also with Shift) are not judged. Delete is among
// the latter although its key event carries the character 0x7F: it deletes, it types nothing.
// The filters do not look at pasted text and do not check values: the write checks do that.

#include <string_view>

namespace pv {

enum class FilterKind {
    None,    // every key is rejected
    Digits,  // 0..9 and backspace
    Decimal, // 0..9, backspace, and one decimal separator, "." or ","
};

// Whether the key with character code `code` may go into an entry of this kind whose text
// is currently `text` (UTF-8). A "." or "," is rejected when the text already holds either; the
// scan ignores any selection the key would replace.
bool KeyAccepted(FilterKind kind, char32_t code, std::string_view text);

// A key press as the platform reports it.
struct KeyPress
{
    bool movesOrEdits = false; // Delete, Home, End, an arrow, page up or down
    char32_t code = 0;         // the character it carries; 0 for none
};

// Whether the key press may reach an entry of this kind whose text is currently `text`: a key
// that only moves or edits, or carries no character, always; a character as KeyAccepted says.
bool KeyPressAccepted(FilterKind kind, KeyPress key, std::string_view text);

} // namespace pv
