// The settings files beside the program may be damaged in any way: InitSet.txt, LanguageSet.txt
// and CountryParameter.txt are read from a folder holding the fuzzer's bytes, and every country
// record is parsed as the country list does.

#include "app/settings_files.h"
#include "settings/country_presets.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

const std::filesystem::path &Folder()
{
    static const std::filesystem::path folder = [] {
        auto path = std::filesystem::temp_directory_path()
                    / ("pv_fuzz_settings_" + std::to_string(::getpid()));
        std::filesystem::create_directories(path);
        return path;
    }();
    return folder;
}

void Write(const char *name, const std::uint8_t *data, std::size_t size)
{
    std::ofstream(Folder() / name, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char *>(data), static_cast<std::streamsize>(size));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace pv;
    for (const char *name : {InitSetFile, LanguageSetFile, CountryParameterFile})
        Write(name, data, size);

    const auto fields = SplitInitSettings(ReadWholeFile(Folder() / InitSetFile));
    if (fields.size() > 7)
        std::abort(); // no more fields than start-up reads
    const int language = ReadLanguageSetting(Folder());
    if (!IsPickerLanguage(language))
        std::abort();
    std::vector<std::string> records;
    if (ReadCountryRecords(Folder(), records)) {
        PresetValues values{};
        for (const std::string &record : records)
            ParsePresetRecord(record, values);
        const int count = static_cast<int>(records.size());
        for (int position = -1; position <= count + 1; ++position)
            (void)ChoiceAtPosition(position, count);
    }
    return 0;
}
