#pragma once
// What a failed entry check asks of the panel: a message, and what to do with the entry.

#include <optional>

namespace pv {

// The window shows text `textNumber` (followed directly by the caption of the entry's label
// when withCaption is set), empties the entry when emptyEntry is set, and puts the keyboard
// focus on it. `entry` names the entry in the panel's own numbering.
template <class Entry>
struct EntryRefusal
{
    Entry entry;
    int textNumber;
    bool withCaption = false;
    bool emptyEntry = false;
};

// No refusal: the check passed.
template <class Entry>
using EntryVerdict = std::optional<EntryRefusal<Entry>>;

} // namespace pv
