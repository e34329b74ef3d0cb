#include "identifiers.h"

#include "link/text_numbers.h"

namespace pv {

namespace {

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

namespace {

void BuildNamesRead(const IdentifyPlan &, Channel &channel)
{
    BuildReadRequest(channel, reg::NamesBlock, reg::NamesCount);
}

void BuildIdRead(const IdentifyPlan &, Channel &channel)
{
    BuildReadRequest(channel, reg::InverterId, IdRegisterCount);
}

void BuildEnergyRead(const IdentifyPlan &, Channel &channel)
{
    BuildReadRequest(channel, reg::EnergyHigh, EnergyRegisterCount);
}

void BuildNamesWrite(const IdentifyPlan &plan, Channel &channel)
{
    if (plan)
        BuildNamesBlockWrite(channel, plan->ratedPowerWord, plan->modelName, plan->companyName);
}

void BuildIdWrite(const IdentifyPlan &plan, Channel &channel)
{
    if (!plan)
        return;
    Bytes data;
    AppendWord(data, plan->idWord);
    BuildWriteRequest(channel, WriteFunction, reg::InverterId, data);
}

// The energy counter is not written through 0xC031/0xC032 but through the inverter's own
// function, one selector per half.
void BuildEnergyHighWrite(const IdentifyPlan &plan, Channel &channel)
{
    if (plan)
        BuildSingleWordWrite(
            channel, reg::EnergyHighSelector,
            static_cast<std::uint16_t>(static_cast<std::uint32_t>(plan->energy) / WordSpan));
}

void BuildEnergyLowWrite(const IdentifyPlan &plan, Channel &channel)
{
    if (plan)
        BuildSingleWordWrite(
            channel, reg::EnergyLowSelector,
            static_cast<std::uint16_t>(static_cast<std::uint32_t>(plan->energy) % WordSpan));
}

constexpr int Send = WriteStepIntervalMs, Answer = ReadStepIntervalMs, Keep = KeepInterval;
constexpr std::size_t NamesData = BlockWriteDataIndex + 4; // after the rated power words

// Step, sends, discards first, interval, group, mirror of the acknowledged write, judge, next;
// then the builder. The write's replies mirror what it sent: the two names, the ID word (the
// ID minus one), and each energy half the acknowledgement repeats.
constexpr StepRow<IdentifyPlan> Rows[] = {
    {{0, true, true, Keep, AnyGroup, {}, nullptr, 1}, BuildNamesRead},
    {{1, false, false, Keep, AnyGroup, {}, nullptr, 2}},
    {{2, true, true, Keep, AnyGroup, {}, nullptr, 3}, BuildIdRead},
    {{3, false, false, Keep, AnyGroup, {}, nullptr, 4}},
    {{4, true, true, Keep, AnyGroup, {}, nullptr, 5}, BuildEnergyRead},
    {{5, false, false, Keep, AnyGroup, {}, nullptr, NoStep}},
    {{6, true, true, Send, AnyGroup, {}, nullptr, 7}, BuildNamesWrite},
    {{7,
      false,
      false,
      Answer,
      AnyGroup,
      {MirrorSpan{reg::ModelName, reg::NameLength, NamesData},
       MirrorSpan{reg::CompanyName, reg::NameLength, NamesData + reg::NameLength}},
      nullptr,
      8}},
    {{8, true, true, Send, AnyGroup, {}, nullptr, 9}, BuildIdWrite},
    {{9,
      false,
      false,
      Answer,
      AnyGroup,
      {MirrorSpan{decl::InverterId.address, 2, BlockWriteDataIndex}},
      nullptr,
      10}},
    {{10, true, true, Send, AnyGroup, {}, nullptr, 11}, BuildEnergyHighWrite},
    {{11,
      false,
      false,
      Answer,
      AnyGroup,
      {MirrorSpan{reg::EnergyHigh, 2, WordWriteDataIndex}},
      nullptr,
      12}},
    {{12, true, true, Send, AnyGroup, {}, nullptr, 13}, BuildEnergyLowWrite},
    {{13,
      false,
      false,
      Answer,
      AnyGroup,
      {MirrorSpan{reg::EnergyLow, 2, WordWriteDataIndex}},
      nullptr,
      NoStep}},
};

} // namespace

std::span<const StepRow<IdentifyPlan>> IdentifyTable()
{
    return Rows;
}

ExchangeRun IdentifyRun(IdentifyPlan plan)
{
    const ExchangeStart start = plan ? IdentifyWriteStart : IdentifyReadStart;
    return ExchangeRun(IdentifyTable(), std::move(plan), start);
}

void BuildIdentifyStepRequest(int step, const IdentifyWriteValues *values, Channel &channel)
{
    channel.request.clear();
    const IdentifyPlan plan = values != nullptr ? IdentifyPlan(*values) : std::nullopt;
    for (const StepRow<IdentifyPlan> &row : IdentifyTable()) {
        if (row.facts.step == step && row.build != nullptr)
            row.build(plan, channel);
    }
}

} // namespace pv
