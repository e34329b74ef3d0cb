// Files the tool opens by a name it was given: only plain files, opened without waiting on a
// FIFO, device, socket or folder under the name; reads bounded; a one-line settings file replaced
// whole. Each call here returns at once: a call that waited on a FIFO would hang the test.

#include "platform/files.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace pv {
namespace {

namespace fs = std::filesystem;

std::string Contents(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// A folder holding one of each kind of name.
class NamedThings : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fs::remove_all(folder);
        fs::create_directories(folder / "folder");
        std::ofstream(folder / "plain.txt", std::ios::binary) << "plain";
        fs::create_symlink(folder / "plain.txt", folder / "link.txt");
        ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);
        socket_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const std::string name = (folder / "socket").string();
        ASSERT_LT(name.size(), sizeof address.sun_path);
        std::strcpy(address.sun_path, name.c_str());
        ASSERT_EQ(::bind(socket_, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    }
    void TearDown() override
    {
        ::close(socket_);
        fs::remove_all(folder);
    }
    fs::path Named(const char *name) const
    {
        return name[0] == '/' ? fs::path(name) : folder / name;
    }

    const fs::path folder = fs::temp_directory_path() / ("pv_files_" + std::to_string(::getpid()));
    int socket_ = -1;
};

struct Kind
{
    const char *name;
    FileOpening opening;
};
const Kind Kinds[] = {
    {"plain.txt", FileOpening::Opened},    {"link.txt", FileOpening::Opened},
    {"fifo", FileOpening::NotPlainFile},   {"socket", FileOpening::NotPlainFile},
    {"folder", FileOpening::NotPlainFile}, {"/dev/zero", FileOpening::NotPlainFile},
    {"missing", FileOpening::Failed},
};

TEST_F(NamedThings, ReadingTakesOnlyPlainFiles)
{
    for (const Kind &kind : Kinds) {
        const PlainFileReading reading = ReadPlainFile(Named(kind.name), 100);
        EXPECT_EQ(reading.opening, kind.opening) << kind.name;
        EXPECT_EQ(reading.bytes, kind.opening == FileOpening::Opened ? "plain" : "") << kind.name;
    }
}

TEST_F(NamedThings, WritingTakesOnlyPlainFilesOrANewName)
{
    // A FIFO that has a reader would take the bytes, and one without would refuse the open
    // (ENXIO): both are refused as what they are.
    const int reader = ::open(Named("fifo").c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    for (const Kind &kind : Kinds) {
        FileOpening opening = FileOpening::Failed;
        const int descriptor = OpenPlainFileForWriting(Named(kind.name), opening);
        const FileOpening expected
            = kind.opening == FileOpening::Failed ? FileOpening::Opened : kind.opening;
        EXPECT_EQ(opening, expected) << kind.name;
        EXPECT_EQ(descriptor >= 0, expected == FileOpening::Opened) << kind.name;
        EXPECT_EQ(IsPlainFileOrAbsent(Named(kind.name)), expected == FileOpening::Opened)
            << kind.name;
        if (descriptor >= 0)
            ::close(descriptor);
    }
    ::close(reader);
    EXPECT_EQ(Contents(Named("plain.txt")), "") << "an existing file is emptied";
    EXPECT_EQ(fs::status(Named("fifo")).type(), fs::file_type::fifo);
    FileOpening opening = FileOpening::Opened;
    EXPECT_LT(OpenPlainFileForWriting(Named("fifo"), opening), 0) << "no reader";
    EXPECT_EQ(opening, FileOpening::NotPlainFile);
    EXPECT_LT(OpenPlainFileForWriting(Named("no folder/new.txt"), opening), 0);
    EXPECT_EQ(opening, FileOpening::Failed);
}

TEST_F(NamedThings, SettingsFilesAreReadBoundedAndNeverWaitedOn)
{
    EXPECT_EQ(ReadWholeFile(Named("fifo")), UnreadableFile);
    EXPECT_EQ(ReadWholeFile(Named("/dev/zero")), UnreadableFile);
    std::ofstream(Named("largest.txt"), std::ios::binary) << std::string(MaxSettingsFileBytes, '1');
    EXPECT_EQ(ReadWholeFile(Named("largest.txt")).size(), MaxSettingsFileBytes);
    std::ofstream(Named("larger.txt"), std::ios::binary)
        << std::string(MaxSettingsFileBytes + 1, '1');
    EXPECT_EQ(ReadWholeFile(Named("larger.txt")), UnreadableFile);
    EXPECT_EQ(ReadPlainFile(Named("larger.txt"), 10).bytes, std::string(10, '1'));
}

// The file is replaced, never rewritten in place: a second name for the old file (what a reader
// that opened it before holds) keeps the old text whole.
TEST_F(NamedThings, OneLineFileIsReplacedWhole)
{
    std::ofstream(Named("LanguageSet.txt"), std::ios::binary) << "3\r\n";
    fs::create_hard_link(Named("LanguageSet.txt"), Named("old.txt"));
    ASSERT_TRUE(WriteTextFile(Named("LanguageSet.txt"), "11"));
    EXPECT_EQ(Contents(Named("LanguageSet.txt")), "11\r\n");
    EXPECT_EQ(Contents(Named("old.txt")), "3\r\n");
    EXPECT_FALSE(fs::exists(Named("LanguageSet.txt.new")));
    EXPECT_FALSE(WriteTextFile(Named("no folder/LanguageSet.txt"), "1"));
}

} // namespace
} // namespace pv
