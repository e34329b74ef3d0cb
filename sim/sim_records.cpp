// The simulator's text interface: the lines of its write log and the names of its faults, as
// the inverter-sim program takes them on its command line and tests read them back.

#include "inverter_simulator.h"

#include <charconv>
#include <cstdio>

namespace pv {

std::string FormatWriteRecord(const WriteRecord &record)
{
    char head[64];
    std::snprintf(head, sizeof head, "write fn=%02X start=%04X values=", record.function,
                  record.start);
    std::string line = head;
    for (std::size_t k = 0; k < record.values.size(); ++k) {
        char word[8];
        std::snprintf(word, sizeof word, k == 0 ? "%04X" : ",%04X", record.values[k]);
        line += word;
    }
    return line + " ms=" + std::to_string(record.timeMs);
}

namespace {

// Takes a field "name=" and the number after it (up to the next blank) off the front of line.
template <typename Number>
bool TakeField(std::string_view &line, std::string_view name, int base, Number &value)
{
    if (line.substr(0, name.size()) != name)
        return false;
    line.remove_prefix(name.size());
    const auto end = line.find(' ');
    const std::string_view digits = line.substr(0, end);
    const auto [rest, error]
        = std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
    if (error != std::errc{} || rest != digits.data() + digits.size() || digits.empty())
        return false;
    line.remove_prefix(end == std::string_view::npos ? line.size() : end + 1);
    return true;
}

} // namespace

std::optional<WriteRecord> ParseWriteRecord(std::string_view line)
{
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.remove_suffix(1);
    constexpr std::string_view Head = "write ";
    if (line.substr(0, Head.size()) != Head)
        return std::nullopt;
    line.remove_prefix(Head.size());
    WriteRecord record;
    if (!TakeField(line, "fn=", 16, record.function)
        || !TakeField(line, "start=", 16, record.start))
        return std::nullopt;
    constexpr std::string_view Values = "values=";
    if (line.substr(0, Values.size()) != Values)
        return std::nullopt;
    line.remove_prefix(Values.size());
    const auto blank = line.find(' ');
    if (blank == std::string_view::npos)
        return std::nullopt;
    std::string_view words = line.substr(0, blank);
    line.remove_prefix(blank + 1);
    while (!words.empty()) {
        const auto comma = words.find(',');
        std::string_view word = words.substr(0, comma);
        std::uint16_t value = 0;
        if (!TakeField(word, "", 16, value) || !word.empty())
            return std::nullopt;
        record.values.push_back(value);
        words.remove_prefix(comma == std::string_view::npos ? words.size() : comma + 1);
        if (comma != std::string_view::npos && words.empty())
            return std::nullopt; // a trailing comma
    }
    if (record.values.empty() || !TakeField(line, "ms=", 10, record.timeMs) || !line.empty())
        return std::nullopt;
    return record;
}

std::optional<std::vector<SimFault>> SimFaultsFromList(std::string_view list)
{
    constexpr SimFault Every[]
        = {SimFault::NoReply,   SimFault::WrongCrc,    SimFault::Truncated,   SimFault::Delayed,
           SimFault::Exception, SimFault::NoiseBefore, SimFault::NoiseInstead};
    if (list == "all")
        return std::vector<SimFault>(std::begin(Every), std::end(Every));
    std::vector<SimFault> faults;
    while (true) {
        const auto comma = list.find(',');
        const auto fault = SimFaultFromName(list.substr(0, comma));
        if (!fault || *fault == SimFault::None)
            return std::nullopt;
        faults.push_back(*fault);
        if (comma == std::string_view::npos)
            return faults;
        list.remove_prefix(comma + 1);
    }
}

std::optional<SimFault> SimFaultFromName(std::string_view name)
{
    for (auto fault :
         {SimFault::None, SimFault::NoReply, SimFault::WrongCrc, SimFault::Truncated,
          SimFault::Delayed, SimFault::Exception, SimFault::NoiseBefore, SimFault::NoiseInstead}) {
        if (SimFaultName(fault) == name)
            return fault;
    }
    return std::nullopt;
}

std::string_view SimFaultName(SimFault fault)
{
    switch (fault) {
    case SimFault::None:
        return "none";
    case SimFault::NoReply:
        return "no-reply";
    case SimFault::WrongCrc:
        return "wrong-crc";
    case SimFault::Truncated:
        return "truncated";
    case SimFault::Delayed:
        return "delayed";
    case SimFault::Exception:
        return "exception";
    case SimFault::NoiseBefore:
        return "noise-before";
    case SimFault::NoiseInstead:
        return "noise-instead";
    }
    return "none";
}

} // namespace pv
