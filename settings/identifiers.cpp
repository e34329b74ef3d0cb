#include "identifiers.h"

#include "link/text_numbers.h"

namespace pv {

namespace {

constexpr int ReadNamesStep = 0;
constexpr int ReadIdStep = 2;
constexpr int ReadEnergyStep = 4;
constexpr int WriteNamesStep = 6;
constexpr int WriteIdStep = 8;
constexpr int WriteEnergyHighStep = 10;
constexpr int WriteEnergyLowStep = 12;

constexpr std::uint16_t IdRegisterCount = 1;
constexpr std::uint16_t EnergyRegisterCount = 2;
constexpr std::uint32_t WordSpan = 65536;

// An entry that cannot go out as it stands: the panel says 132, empties it and focuses it.
EntryRefusal<IdentifierEntry> Refused(IdentifierEntry entry)
{
    return {entry, text::EntryRefused, false, true};
}

} // namespace

std::optional<std::uint16_t> RatedPowerWord(double powerKw)
{
    const auto steps = AcceptedSteps(decl::RatedPower, powerKw);
    if (!steps)
        return std::nullopt;
    return StepsWord(decl::RatedPower, *steps);
}

IdentifyWriteCheck CheckIdentifyWrite(const IdentifierEntries &entries, double powerKw,
                                      const NumberFormat &format)
{
    IdentifyWriteCheck check;
    if (entries.id.empty()) {
        check.refusal
            = EntryRefusal<IdentifierEntry>{IdentifierEntry::Id, text::EntryEmpty, true, false};
        return check;
    }
    const auto id = EntryWord(decl::InverterId, entries.id, format);
    if (!id) {
        check.refusal = Refused(IdentifierEntry::Id);
        return check;
    }
    // An empty energy counter is written as zero, and the panel shows that it was.
    std::string energyText = entries.energy;
    if (energyText.empty()) {
        energyText = "0";
        check.energyFilledWithZero = true;
    }
    const auto energy = EntrySteps(decl::Energy, energyText, format);
    if (!energy) {
        check.refusal = Refused(IdentifierEntry::Energy);
        return check;
    }
    const auto model = PackName(entries.modelName);
    if (!model) {
        check.refusal = Refused(IdentifierEntry::ModelName);
        return check;
    }
    const auto company = PackName(entries.companyName);
    if (!company) {
        check.refusal = Refused(IdentifierEntry::CompanyName);
        return check;
    }
    const auto ratedPower = RatedPowerWord(powerKw);
    if (!ratedPower) {
        check.refusal
            = EntryRefusal<IdentifierEntry>{IdentifierEntry::RatedPower, text::EntryRefused};
        return check;
    }
    check.values = IdentifyWriteValues{*ratedPower, *model, *company, *id,
                                       static_cast<std::int32_t>(*energy)};
    return check;
}

void BuildIdentifyStepRequest(int step, const IdentifyWriteValues *values, Channel &channel)
{
    channel.request.clear();
    switch (step) {
    case ReadNamesStep:
        BuildReadRequest(channel, reg::NamesBlock, reg::NamesCount);
        return;
    case ReadIdStep:
        BuildReadRequest(channel, reg::InverterId, IdRegisterCount);
        return;
    case ReadEnergyStep:
        BuildReadRequest(channel, reg::EnergyHigh, EnergyRegisterCount);
        return;
    default:
        break;
    }
    if (values == nullptr)
        return;
    // The energy counter is not written through 0xC031/0xC032 but through the inverter's own
    // function, one selector per half.
    const auto energy = static_cast<std::uint32_t>(values->energy);
    switch (step) {
    case WriteNamesStep:
        BuildNamesBlockWrite(channel, values->ratedPowerWord, values->modelName,
                             values->companyName);
        break;
    case WriteIdStep: {
        Bytes data;
        AppendWord(data, values->idWord);
        BuildWriteRequest(channel, WriteFunction, reg::InverterId, data);
        break;
    }
    case WriteEnergyHighStep:
        BuildSingleWordWrite(channel, reg::EnergyHighSelector,
                             static_cast<std::uint16_t>(energy / WordSpan));
        break;
    case WriteEnergyLowStep:
        BuildSingleWordWrite(channel, reg::EnergyLowSelector,
                             static_cast<std::uint16_t>(energy % WordSpan));
        break;
    default:
        break;
    }
}

} // namespace pv
