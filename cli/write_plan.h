#pragma once
// A configuration file turned into the write the window makes of it: Load fills the panel with
// the file's values (the country list at the code's position, the options after the flag
// boxes), the groups are ticked, and Write reads the panel and checks it. Here the same steps
// run on plain values through the same settings functions, so the command line writes a file
// exactly as a technician who loaded it would; and the fields the write changes, and a
// read-back's comparison with what the write filed.

#include "settings/configuration.h"
#include "settings/configuration_file.h"
#include "settings/country_presets.h"

#include "link/inverter_data.h"
#include "link/register_image.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pv::cli {

// The country list's texts in the chosen language: each position's, and the list's own text
// while nothing is chosen.
struct CountryListCaptions
{
    std::array<std::string, CountryListLength> positions;
    std::string none;
};

// The codes a file may name for this unit: the ones the country list offers, and the code the
// unit reported at its read when the list does not offer it (the window's Load after a Read).
std::vector<std::uint8_t> FileCountryCodes(int recordCount,
                                           std::optional<std::uint8_t> reportedCode);

// The entries Write reads once Load filled the panel with the file's values and the groups were
// ticked; unit is what the unit last reported (the names a rated power write sends back, the
// flags). A code whose position the list does not hold chooses no country.
ConfigurationEntries EntriesAfterLoad(const ConfigurationValues &values, const WriteGroups &groups,
                                      int recordCount, const CountryListCaptions &captions,
                                      const InverterData &unit, const NumberFormat &format);

// The file field a refused entry stands for; nothing for a refusal that names no entry.
std::optional<int> RefusedField(const ConfigurationRefusal &refusal);

// The fields of the groups written whose value on the unit (as its read shows them) differs
// from the file's, in field order.
std::vector<int> ChangedFields(const ConfigurationPanelTexts &unit, const ConfigurationValues &file,
                               const WriteGroups &groups, const NumberFormat &format);

// A register whose word read back is not the word the write sent.
struct RegisterDifference
{
    std::uint16_t reg;
    std::uint16_t written;
    std::uint16_t read;
    bool operator==(const RegisterDifference &) const = default;
};

// The registers of the groups written (the spans the write mirror files for each group's steps,
// settings/configuration.cpp) whose word in `read` differs from the one in `written`, the image
// as the acknowledged write left it.
std::vector<RegisterDifference> ReadBackDifferences(const WriteGroups &groups,
                                                    const RegisterImage &written,
                                                    const RegisterImage &read);

} // namespace pv::cli
