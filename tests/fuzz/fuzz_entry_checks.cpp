// Whatever a technician types or pastes into the panels, and whatever a configuration file or
// the country preset file fills them with: a write that passes its checks sends only words
// inside their registers' declared ranges, the panel shows for each word sent the value that,
// entered again, sends that same word, and a refused write sends nothing.

#include "calibration/calibration_frames.h"
#include "calibration/gain_calculation.h"
#include "fuzz_input.h"
#include "link/registers.h"
#include "settings/configuration.h"
#include "settings/configuration_file.h"
#include "settings/country_presets.h"
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

// The word decodes, by its declaration, to a value inside the declared range.
void ExpectDeclared(const RegisterDeclaration &r, std::uint16_t word)
{
    const double value = WordValue(r, word);
    Expect(AcceptedSteps(r, value).has_value());
    Expect(StepsWord(r, *AcceptedSteps(r, value)) == word);
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
    const std::uint16_t id = Word(channel.request, 7);
    ExpectDeclared(decl::InverterId, id);
    // The ID shown after the write, typed again, is the word sent.
    const std::string shown
        = GeneralNumberText(static_cast<float>(WordValue(decl::InverterId, id)), format);
    Expect(EntryWord(decl::InverterId, shown, format) == id);
    Expect(AcceptedSteps(decl::Energy, check.values->energy).has_value());
}

// The entries with the four settings' texts as a read or a file shows them.
template <class Texts>
ConfigurationEntries Showing(ConfigurationEntries entries, const Texts &texts)
{
    entries.sleepPower = texts.sleepPower;
    entries.ratedPower = texts.ratedPower;
    entries.retryTime = texts.retryTime;
    entries.limits = texts.limits;
    return entries;
}

// What a configuration write sends, mirrored into an image and shown as the panel shows it
// after "done", then written again: every word inside its declaration and the same once more.
void ExpectSentAsShown(const ConfigurationEntries &entries, const ConfigurationWrite &write,
                       const NumberFormat &format)
{
    RegisterImage image;
    const auto put = [&image](std::uint16_t r, std::uint16_t word) {
        const Bytes bytes{static_cast<std::uint8_t>(word >> 8), static_cast<std::uint8_t>(word)};
        image.CopyReplyToImage(0, 2, bytes, reg::ImageIndex(r));
    };
    const WriteGroups &groups = write.groups;
    if (groups[SleepPowerGroup]) {
        ExpectDeclared(decl::SleepPower, write.sleepPower);
        put(decl::SleepPower.address, write.sleepPower);
    }
    if (groups[RatedPowerGroup]) {
        ExpectDeclared(decl::RatedPower, write.ratedPower);
        put(decl::RatedPower.address, write.ratedPower);
    }
    if (groups[CountryGroup]) {
        for (std::size_t i = 0; i < write.limits.size(); ++i) {
            ExpectDeclared(decl::GridLimits[i], write.limits[i]);
            put(decl::GridLimits[i].address, write.limits[i]);
        }
    }
    if (groups[RetryTimeGroup]) {
        ExpectDeclared(decl::RetryTime, write.retryTime);
        put(decl::RetryTime.address, write.retryTime);
    }
    InverterData data;
    data.Decode(image);
    const ConfigurationTexts shown = ConfigurationValueTexts(data, format);
    const ConfigurationWriteCheck second = CheckConfigurationWrite(Showing(entries, shown), format);
    Expect(second.write.has_value());
    Expect(!groups[SleepPowerGroup] || second.write->sleepPower == write.sleepPower);
    Expect(!groups[RatedPowerGroup] || second.write->ratedPower == write.ratedPower);
    Expect(!groups[CountryGroup] || second.write->limits == write.limits);
    Expect(!groups[RetryTimeGroup] || second.write->retryTime == write.retryTime);
}

ConfigurationEntries CountryChosen(const WriteGroups &groups)
{
    ConfigurationEntries entries;
    entries.groups = groups;
    entries.countryText = "Germany";
    entries.noCountryText = "Country";
    entries.countryCode = 6;
    entries.dcInputChosen = true;
    entries.communicationChosen = true;
    return entries;
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
    for (int step = 4; step <= 12; step += 2) {
        Channel channel;
        BuildConfigurationFrame(step, check.write, channel);
        Expect(check.write || channel.request.empty()); // a refused write sends nothing
    }
    if (check.write)
        ExpectSentAsShown(entries, *check.write, format);
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
    // The buttons keep the offset inside what a write of it accepts.
    const std::string stepped = StepAcCurrentOffset(texts.text2, input.Byte() & 1);
    Expect(EntryWord(decl::AcCurrentOffset, stepped, format).has_value());
    if (const auto row = FillWriteSettingData(texts, format)) {
        texts.text8 = *row;
        Channel settings;
        const bool built = BuildCalibrationRequest(2, texts, format, settings);
        Expect(settings.request.size() == (built ? 23u : 0u)); // a refused request sends nothing
    }
    Channel offset;
    const bool built = BuildCalibrationRequest(4, texts, format, offset);
    Expect(offset.request.size() == (built ? 8u : 0u));
    if (built)
        ExpectDeclared(decl::AcCurrentOffset, Word(offset.request, 4));
}

// A configuration file that loads fills the panel with texts the write sends exactly as the
// file names them.
void ConfigurationFileValues(fuzz::Input &input, const NumberFormat &format)
{
    const auto reading = ParseConfigurationFile(input.Rest(), {6, 17, 5, 255}, format);
    if (!reading.values)
        return;
    const ConfigurationPanelTexts texts = ConfigurationEntryTexts(*reading.values, format);
    const ConfigurationEntries entries = Showing(CountryChosen({true, true, true, true}), texts);
    const ConfigurationWriteCheck check = CheckConfigurationWrite(entries, format);
    Expect(check.write.has_value());
    const ConfigurationValues &file = *reading.values;
    const auto named = [](const RegisterDeclaration &r, std::uint16_t word, float value) {
        return static_cast<float>(WordValue(r, word)) == value;
    };
    Expect(named(decl::SleepPower, check.write->sleepPower, file.sleepPower));
    Expect(named(decl::RatedPower, check.write->ratedPower, file.ratedPower));
    Expect(named(decl::RetryTime, check.write->retryTime, file.retryTime));
    for (std::size_t i = 0; i < file.limits.size(); ++i)
        Expect(named(decl::GridLimits[i], check.write->limits[i], file.limits[i]));
    ExpectSentAsShown(entries, *check.write, format);
}

// A record of the country preset file fills the limits and the retry time.
void PresetRecordValues(fuzz::Input &input, const NumberFormat &format)
{
    PresetValues values{};
    ParsePresetRecord(input.Rest(), values);
    const PresetTexts texts = PresetValueTexts(values, format);
    ConfigurationEntries entries = CountryChosen({false, false, true, true});
    entries.limits = texts.limits;
    entries.retryTime = texts.retryTime;
    const ConfigurationWriteCheck check = CheckConfigurationWrite(entries, format);
    if (check.write)
        ExpectSentAsShown(entries, *check.write, format);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzz::Input input(data, size);
    const std::uint8_t choice = input.Byte();
    const NumberFormat format
        = (choice & 0x80) != 0 ? NumberFormat{',', '.'} : NumberFormat{'.', ','};
    using Entries = void (*)(fuzz::Input &, const NumberFormat &);
    constexpr Entries Panels[] = {IdentifyWriteEntries, ConfigurationWriteEntries,
                                  CalibrationEntries, ConfigurationFileValues, PresetRecordValues};
    Panels[(choice & 0x7F) % std::size(Panels)](input, format);
    return 0;
}
