// Whatever a technician types or pastes into the panels: a write that passes its checks sends
// only values inside the ranges those checks promise, and a refused write sends nothing.

#include "calibration/calibration_frames.h"
#include "calibration/gain_calculation.h"
#include "fuzz_input.h"
#include "settings/configuration.h"
#include "settings/identifiers.h"

#include <cstdlib>

namespace {

using namespace pv;

void Expect(bool holds)
{
    if (!holds)
        std::abort();
}

std::uint16_t Word(const Bytes &frame, std::size_t at)
{
    return static_cast<std::uint16_t>(frame.at(at) << 8 | frame.at(at + 1));
}

void IdentifyWriteEntries(fuzz::Input &input, const NumberFormat &format)
{
    const IdentifierEntries entries{input.Text(), input.Text(), input.Text(), input.Text()};
    const IdentifyWriteCheck check = CheckIdentifyWrite(entries, input.Byte() / 10.0, format);
    Expect(check.values.has_value() != check.refusal.has_value());
    if (!check.values)
        return;
    Channel channel;
    BuildIdentifyStepRequest(8, &*check.values, channel);
    Expect(Word(channel.request, 7) + 1 >= LowestId); // the ID word is the ID minus one
}

void ConfigurationWriteEntries(fuzz::Input &input, const NumberFormat &format)
{
    ConfigurationEntries entries;
    const std::uint8_t groups = input.Byte();
    entries.groups = {(groups & 1) != 0, (groups & 2) != 0, (groups & 4) != 0, (groups & 8) != 0};
    for (std::string *text :
         {&entries.sleepPower, &entries.ratedPower, &entries.retryTime, &entries.countryText})
        *text = input.Text();
    entries.noCountryText = "Country";
    if (input.Flag())
        entries.countryCode = input.Byte();
    entries.dcInputChosen = input.Flag();
    entries.communicationChosen = input.Flag();
    for (std::string &limit : entries.limits)
        limit = input.Text();
    const ConfigurationWriteCheck check = CheckConfigurationWrite(entries, format);
    if (!check.write)
        return;
    // Sleep power at most 20 %, retry time 1..600 s, as the checks promise.
    Expect(!check.write->groups[SleepPowerGroup] || check.write->sleepPower <= 20);
    Expect(!check.write->groups[RetryTimeGroup]
           || (check.write->retryTime >= 1 && check.write->retryTime <= 600));
    for (int step = 4; step <= 12; step += 2) {
        Channel channel;
        BuildConfigurationFrame(step, check.write, channel);
    }
}

void CalibrationEntries(fuzz::Input &input, const NumberFormat &format)
{
    CalibrationTexts texts;
    for (std::string &text : texts.text3)
        text = input.Text();
    for (std::string &text : texts.text4)
        text = input.Text();
    for (std::string *text : {&texts.text2, &texts.text5, &texts.text6, &texts.text7})
        *text = input.Text();
    (void)CalculateCurrentGains(texts);
    (void)StepAcCurrentOffset(texts.text2, input.Byte() & 1);
    if (const auto row = FillWriteSettingData(texts, format)) {
        texts.text8 = *row;
        Channel settings;
        const bool built = BuildCalibrationRequest(2, texts, format, settings);
        Expect(settings.request.size() == (built ? 23u : 0u)); // a refused request sends nothing
    }
    Channel offset;
    const bool built = BuildCalibrationRequest(4, texts, format, offset);
    Expect(offset.request.size() == (built ? 8u : 0u));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzz::Input input(data, size);
    const std::uint8_t choice = input.Byte();
    const NumberFormat format
        = (choice & 0x80) != 0 ? NumberFormat{',', '.'} : NumberFormat{'.', ','};
    using Entries = void (*)(fuzz::Input &, const NumberFormat &);
    constexpr Entries Panels[]
        = {IdentifyWriteEntries, ConfigurationWriteEntries, CalibrationEntries};
    Panels[choice % 3](input, format);
    return 0;
}
