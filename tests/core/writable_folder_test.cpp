// The tool's writable folder: the user's own folder after the XDG rule, the choice between it
// and the program folder, what the first start puts there, and the order in which the ports/
// of both folders are looked in. The "is writable" answer is handed in: the tests run as root,
// for whom every folder is writable.

#include "platform/port_names.h"
#include "platform/writable_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <tuple>
#include <unistd.h>

namespace pv {
namespace {

namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>;

TEST(UserDataFolder, FollowsAnAbsoluteXdgDataHomeThenHome)
{
    // XDG_DATA_HOME, HOME, the folder ("" when there is none).
    const std::tuple<const char *, const char *, const char *> cases[]
        = {{"/srv/data", nullptr, "/srv/data/pv-service"},
           {nullptr, "/home/tech", "/home/tech/.local/share/pv-service"},
           {"data", "/home/tech", "/home/tech/.local/share/pv-service"}, // relative: ignored
           {nullptr, nullptr, ""},
           {nullptr, "", ""}};
    for (const auto &[dataHome, home, expected] : cases)
        EXPECT_EQ(UserDataFolderFrom(dataHome, home), fs::path(expected))
            << (dataHome ? dataHome : "-") << ", " << (home ? home : "-");
}

// Every file below a folder (relative path → content; "<dir>" for a folder).
Files Contents(const fs::path &folder)
{
    Files files;
    for (const auto &entry : fs::recursive_directory_iterator(folder)) {
        const std::string name = fs::relative(entry.path(), folder).generic_string();
        std::ifstream in(entry.path(), std::ios::binary);
        files[name]
            = entry.is_directory() ? "<dir>" : std::string{std::istreambuf_iterator(in), {}};
    }
    return files;
}

struct PrepareCase
{
    const char *name;
    bool programWritable;
    Files program, userBefore;
    Files userAfter; // empty: the program folder is chosen and no user folder made
};

class PrepareFolder : public ::testing::TestWithParam<PrepareCase>
{
protected:
    void TearDown() override { fs::remove_all(root); }
    const fs::path root = fs::temp_directory_path() / ("pv_writable_" + std::to_string(::getpid()));
    const fs::path program = root / "program", user = root / "home" / "pv-service";
};

TEST_P(PrepareFolder, ChoosesTheFolderAndSeedsItOnce)
{
    const PrepareCase &c = GetParam();
    fs::create_directories(program);
    for (const auto &[folder, files] : {std::pair{program, c.program}, {user, c.userBefore}}) {
        for (const auto &[name, content] : files) {
            fs::create_directories((folder / name).parent_path());
            std::ofstream(folder / name, std::ios::binary) << content;
        }
    }
    EXPECT_EQ(PrepareWritableFolder(program, c.programWritable, user),
              c.userAfter.empty() ? program : user);
    EXPECT_EQ(fs::exists(user) ? Contents(user) : Files{}, c.userAfter);
    EXPECT_EQ(Contents(program), c.program) << "the program folder is never written";
}

const Files Shipped{{"InitSet.txt", "1,1,1,1,0,X"}, {"LanguageSet.txt", "1\r\n"}};
const Files Copied{{"LanguageSet.txt", "1\r\n"}, {"ports", "<dir>"}};

INSTANTIATE_TEST_SUITE_P(
    Start, PrepareFolder,
    ::testing::Values(
        PrepareCase{"WritableProgramFolderStaysTheOne", true, Shipped, {}, {}},
        PrepareCase{"FirstStartCopiesTheShippedChoice", false, Shipped, {}, Copied},
        PrepareCase{"EarlierChoiceIsKept",
                    false,
                    Shipped,
                    {{"LanguageSet.txt", "12\r\n"}},
                    {{"LanguageSet.txt", "12\r\n"}, {"ports", "<dir>"}}},
        // A simulator started before the tool ever ran made the folder and its link only.
        PrepareCase{"SimulatorMadeTheFolderFirst",
                    false,
                    Shipped,
                    {{"ports/COM1", "pty"}},
                    {{"LanguageSet.txt", "1\r\n"}, {"ports", "<dir>"}, {"ports/COM1", "pty"}}},
        PrepareCase{"ShippedNameInOtherLetterCaseIsNoChoice",
                    false,
                    {{"languageset.txt", "3\r\n"}},
                    {},
                    {{"ports", "<dir>"}}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(WritableFolder, WithoutAUserFolderTheProgramFolderIsUsed)
{
    EXPECT_EQ(PrepareWritableFolder("/opt/tool", false, {}), fs::path("/opt/tool"));
}

// Which device COM2 opens when the writable folder, the program folder, both or neither hold a
// ports/COM2 link; a link to nothing counts: the adapter may be pulled for the moment.
TEST(PortLookup, WritableFolderComesFirst)
{
    const fs::path root
        = fs::temp_directory_path() / ("pv_port_lookup_" + std::to_string(::getpid()));
    const fs::path writable = root / "writable", program = root / "program";
    const std::tuple<bool, bool, std::string> cases[]
        = {{true, true, (writable / "ports" / "COM2").string()},
           {false, true, (program / "ports" / "COM2").string()},
           {false, false, "/dev/ttyUSB1"}};
    for (const auto &[inWritable, inProgram, expected] : cases) {
        fs::remove_all(root);
        for (const auto &[folder, present] :
             {std::pair{writable, inWritable}, {program, inProgram}}) {
            fs::create_directories(folder / "ports");
            if (present)
                fs::create_symlink("/nonexistent/device", folder / "ports" / "COM2");
        }
        EXPECT_EQ(DevicePathForPort(2, {writable, program}), expected);
    }
    fs::remove_all(root);
}

} // namespace
} // namespace pv
