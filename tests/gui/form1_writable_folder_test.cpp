// Where the main window keeps the language choice. An installed program folder is read-only for
// the technician: the choice then goes to the user's own folder, made from the shipped
// LanguageSet.txt on the first start, and the next start reads it from there; the program
// folder stays as shipped. A writable program folder keeps it itself, as it always did.

#include "platform/writable_folder.h"
#include "support/form1_fixture.h"

#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

namespace pv::test {
namespace {

namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>;

Files Contents(const fs::path &folder)
{
    Files files;
    if (!fs::exists(folder))
        return files;
    for (const auto &entry : fs::recursive_directory_iterator(folder)) {
        std::ifstream in(entry.path(), std::ios::binary);
        files[fs::relative(entry.path(), folder).generic_string()]
            = entry.is_directory() ? "<dir>" : std::string{std::istreambuf_iterator<char>(in), {}};
    }
    return files;
}

struct FolderRow
{
    const char *name;
    bool programWritable;
    Files programAfterPick, userAfterPick;
};

using WritableFolderStart = Form1With<FolderRow>;

TEST_P(WritableFolderStart, ChoiceIsKeptWhereTheUserMayWriteAndReadThereNextTime)
{
    const FolderRow &row = GetParam();
    QTemporaryDir home;
    const fs::path user = fs::path(home.path().toStdString()) / "pv-service";
    // What the package ships; Start writes the other settings files again, byte for byte.
    std::ofstream(program / "LanguageSet.txt", std::ios::binary) << "1\r\n";
    const auto startAsInstalled = [&] {
        writable = PrepareWritableFolder(program, row.programWritable, user);
        return Start("1,1,1,1,0,Test", true, nullptr);
    };

    ASSERT_TRUE(startAsInstalled());
    EXPECT_EQ(form->windowTitle(), QStringLiteral("L1-0 Test"));
    form->LanguagePicked(11); // Korean, language 12
    EXPECT_EQ(form->windowTitle(), QStringLiteral("L12-0 Test"));
    EXPECT_EQ(Contents(program), row.programAfterPick);
    EXPECT_EQ(Contents(user), row.userAfterPick);

    form.reset();
    ASSERT_TRUE(startAsInstalled());
    EXPECT_EQ(form->windowTitle(), QStringLiteral("L12-0 Test"));
    EXPECT_EQ(Contents(user), row.userAfterPick);
}

const Files Settings{{"InitSet.txt", "1,1,1,1,0,Test"},
                     {"CountryParameter.txt", "h\r\nh\r\nR0\t1\r\nR1\t2\r\nR2\t3"}};

Files With(Files files, const char *languageSet)
{
    files["LanguageSet.txt"] = languageSet;
    return files;
}

INSTANTIATE_TEST_SUITE_P(
    Program, WritableFolderStart,
    ::testing::Values(FolderRow{"Writable", true, With(Settings, "12\r\n"), {}},
                      FolderRow{"ReadOnly",
                                false,
                                With(Settings, "1\r\n"),
                                {{"LanguageSet.txt", "12\r\n"}, {"ports", "<dir>"}}}),
    RowName);

} // namespace
} // namespace pv::test
