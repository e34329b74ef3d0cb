#pragma once
// Small helpers for the text files the tool writes and reads line by line (configuration files,
// the settings files beside the program): which bytes are text at all, where a byte stands,
// splitting into fields and lines, and texts fit for a message or a comment line.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pv {

// The text without the blanks and TABs around it.
std::string_view TrimmedBlanks(std::string_view text);

// Where the bytes stop being UTF-8 text: the offset of the first byte that starts no valid
// sequence (overlong forms and surrogates included) or is a control character other than TAB,
// CR and LF (C1 controls included); nothing when all of it is text.
std::optional<std::size_t> FirstNonTextByte(std::string_view bytes);

// The line (from 1) the byte at offset stands on.
int LineAt(std::string_view bytes, std::size_t offset);

// At most `characters` characters of a UTF-8 text, cut at a character boundary and then marked
// with an ellipsis.
std::string ClippedText(std::string_view text, std::size_t characters);

// The text fit for one line: control characters (a line break in a name read from an inverter)
// become "?".
std::string SingleLineText(std::string_view text);

// The text split at every separator, into at most maxParts parts (the last one holds the rest).
// An empty text has no parts at all.
std::vector<std::string> SplitAt(std::string_view text, std::string_view separator,
                                 std::size_t maxParts);

// Lines of a text whose lines end in CR LF or, as a Linux editor saves them, in LF alone. A line
// break ends a line and starts none: the break most editors put after the last line adds no
// empty line.
std::vector<std::string> SplitLines(std::string_view text);

} // namespace pv
