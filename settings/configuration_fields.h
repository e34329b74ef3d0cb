#pragma once
// One field of a configuration file or of the configuration panel: the register it fills, its
// number among the values, its entry's text, and the checks every number passes, from a file or
// an entry. Shared by the file's reading and writing and the panel's.

#include "configuration_file.h"

#include <string>
#include <string_view>

namespace pv::configfield {

inline constexpr std::size_t MessageClip = 40; // characters of a key or value a message repeats

// The register a numeric field fills.
const RegisterDeclaration &DeclarationOf(int field);
float &NumberOf(ConfigurationValues &values, int field);
float NumberOf(const ConfigurationValues &values, int field);

// The shortest text that reads back as the same single-precision value, never with an exponent.
std::string PlainNumberText(float value, char separator);
// The entry's text for a value, as a read shows it: the rated power always with a decimal.
std::string EntryText(int field, float value, const NumberFormat &format);

ConfigurationProblem Problem(ConfigurationFault fault, int field, std::string_view value = {},
                             std::string first = {}, std::string second = {});
// The tests every number passes, from a file or an entry: nothing finer than its register's
// unit (the write would send a value the file never named), the rounded value in the range the
// write's check accepts, and short enough for its entry.
ConfigurationProblem CheckNumber(int field, double value, std::string_view written,
                                 const NumberFormat &format);

} // namespace pv::configfield
