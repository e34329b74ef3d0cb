#pragma once

namespace pv {

// Texts 0 .. TextRowCount - 1 are the ones the tool shows; the language table holds at least
// this many rows, one per text number, in number order.
inline constexpr int TextRowCount = 400;

} // namespace pv
