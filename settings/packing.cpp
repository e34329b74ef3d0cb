#include "packing.h"

#include "link/codepage.h"

#include <algorithm>

namespace pv {

std::optional<NameBytes> PackName(std::string_view text)
{
    const Bytes codes = Utf8ToCodePage(text);
    if (codes.size() > reg::NameLength)
        return std::nullopt;
    NameBytes name{};
    std::copy(codes.begin(), codes.end(), name.begin());
    return name;
}

void AppendWord(Bytes &data, std::uint16_t word)
{
    data.push_back(static_cast<std::uint8_t>(word >> 8));
    data.push_back(static_cast<std::uint8_t>(word & 0xFF));
}

void BuildNamesBlockWrite(Channel &channel, std::uint16_t ratedPowerWord, const NameBytes &model,
                          const NameBytes &company)
{
    Bytes data;
    AppendWord(data, ratedPowerWord); // 0xC0B0
    AppendWord(data, ratedPowerWord); // 0xC0B1
    data.insert(data.end(), model.begin(), model.end());
    data.insert(data.end(), company.begin(), company.end());
    BuildWriteRequest(channel, WriteFunction, reg::RatedPowerCopy, data);
}

} // namespace pv
