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
#include <unistd.h>

namespace pv {
namespace {

namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>;

struct UserFolderCase
{
    const char *name;
    const char *dataHome, *home;
    const char *expected;
};

using UserFolderRule = ::testing::TestWithParam<UserFolderCase>;

TEST_P(UserFolderRule, FollowsXdgDataHomeThenHome)
{
    EXPECT_EQ(UserDataFolderFrom(GetParam().dataHome, GetParam().home),
              fs::path(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Environment, UserFolderRule,
    ::testing::Values(
        UserFolderCase{"DataHome", "/srv/data", "/home/tech", "/srv/data/pv-service"},
        UserFolderCase{"NoDataHome", nullptr, "/home/tech", "/home/tech/.local/share/pv-service"},
        UserFolderCase{"EmptyDataHome", "", "/home/tech", "/home/tech/.local/share/pv-service"},
        UserFolderCase{"RelativeDataHomeIgnored", "data", "/home/tech",
                       "/home/tech/.local/share/pv-service"},
        UserFolderCase{"DataHomeWithoutHome", "/srv/data", nullptr, "/srv/data/pv-service"},
        UserFolderCase{"Neither", nullptr, nullptr, ""},
        UserFolderCase{"EmptyHome", nullptr, "", ""}),
    [](const auto &info) { return std::string(info.param.name); });

// Every file below a folder (relative path → content; "<dir>" for a folder).
Files Contents(const fs::path &folder)
{
    Files files;
    if (!fs::exists(folder))
        return files;
    for (const auto &entry : fs::recursive_directory_iterator(folder)) {
        const std::string name = fs::relative(entry.path(), folder).generic_string();
        if (entry.is_directory()) {
            files[name] = "<dir>";
            continue;
        }
        std::ifstream in(entry.path(), std::ios::binary);
        files[name] = {std::istreambuf_iterator<char>(in), {}};
    }
    return files;
}

struct PrepareCase
{
    const char *name;
    bool programWritable;
    Files program, userBefore;
    bool chosenIsUser;
    Files userAfter;
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
    for (const auto &[folder, files] : {std::pair{program, c.program}, {user, c.userBefore}}) {
        for (const auto &[name, content] : files) {
            fs::create_directories((folder / name).parent_path());
            std::ofstream(folder / name, std::ios::binary) << content;
        }
    }
    fs::create_directories(program);

    const fs::path chosen = PrepareWritableFolder(program, c.programWritable, user);

    EXPECT_EQ(chosen, c.chosenIsUser ? user : program);
    EXPECT_EQ(Contents(user), c.userAfter);
    EXPECT_EQ(Contents(program), c.program) << "the program folder is never written";
}

const Files Shipped{{"InitSet.txt", "1,1,1,1,0,X"}, {"LanguageSet.txt", "1\r\n"}};

INSTANTIATE_TEST_SUITE_P(
    Start, PrepareFolder,
    ::testing::Values(
        PrepareCase{"WritableProgramFolderStaysTheOne", true, Shipped, {}, false, {}},
        PrepareCase{"FirstStartCopiesTheShippedChoice",
                    false,
                    Shipped,
                    {},
                    true,
                    {{"LanguageSet.txt", "1\r\n"}, {"ports", "<dir>"}}},
        PrepareCase{"EarlierChoiceIsKept",
                    false,
                    Shipped,
                    {{"LanguageSet.txt", "12\r\n"}},
                    true,
                    {{"LanguageSet.txt", "12\r\n"}, {"ports", "<dir>"}}},
        // A simulator started before the tool ever ran made the folder and its link only.
        PrepareCase{"SimulatorMadeTheFolderFirst",
                    false,
                    Shipped,
                    {{"ports/COM1", "pty"}},
                    true,
                    {{"LanguageSet.txt", "1\r\n"}, {"ports", "<dir>"}, {"ports/COM1", "pty"}}},
        PrepareCase{"NoShippedChoiceMakesNoFile",
                    false,
                    {{"InitSet.txt", "1,1,1,1,0,X"}},
                    {},
                    true,
                    {{"ports", "<dir>"}}},
        PrepareCase{"ShippedNameInOtherLetterCaseIsNoChoice",
                    false,
                    {{"languageset.txt", "3\r\n"}},
                    {},
                    true,
                    {{"ports", "<dir>"}}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(WritableFolder, WithoutAUserFolderTheProgramFolderIsUsed)
{
    EXPECT_EQ(WritableFolderFor("/opt/tool", false, {}), fs::path("/opt/tool"));
    EXPECT_EQ(PrepareWritableFolder("/opt/tool", false, {}), fs::path("/opt/tool"));
}

// Which device COM2 opens when the writable folder, the program folder, both or neither hold a
// ports/COM2 link.
struct LookupCase
{
    const char *name;
    bool inWritable, inProgram;
    const char *expected; // "writable", "program" or a device
};

using PortLookup = ::testing::TestWithParam<LookupCase>;

TEST_P(PortLookup, WritableFolderComesFirst)
{
    const fs::path root
        = fs::temp_directory_path() / ("pv_port_lookup_" + std::to_string(::getpid()));
    const fs::path writable = root / "writable", program = root / "program";
    for (const auto &[folder, present] :
         {std::pair{writable, GetParam().inWritable}, {program, GetParam().inProgram}}) {
        fs::create_directories(folder / "ports");
        if (present) // a link to nothing counts: the adapter may be pulled for the moment
            fs::create_symlink("/nonexistent/device", folder / "ports" / "COM2");
    }
    const std::string expected
        = std::string(GetParam().expected) == "writable"  ? (writable / "ports" / "COM2").string()
          : std::string(GetParam().expected) == "program" ? (program / "ports" / "COM2").string()
                                                          : GetParam().expected;

    EXPECT_EQ(DevicePathForPort(2, {writable, program}), expected);
    fs::remove_all(root);
}

INSTANTIATE_TEST_SUITE_P(Links, PortLookup,
                         ::testing::Values(LookupCase{"Both", true, true, "writable"},
                                           LookupCase{"WritableOnly", true, false, "writable"},
                                           LookupCase{"ProgramOnly", false, true, "program"},
                                           LookupCase{"Neither", false, false, "/dev/ttyUSB1"}),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace pv
