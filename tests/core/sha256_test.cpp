// SHA-256 against the standard's examples (FIPS 180-2 appendix B and the one-million "a"
// message) and messages that end at each edge of the padding: the last that fits one block
// with its length, the first that needs a second, and a whole block.

#include "link/sha256.h"

#include <gtest/gtest.h>

#include <string>

namespace pv {
namespace {

struct Sha256Row
{
    const char *name;
    std::string message;
    const char *hex;
};

const Sha256Row Sha256Rows[] = {
    {"Empty", "", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
    {"Abc", "abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
    {"FiftyFiveBytesPadInOneBlock", std::string(55, 'a'),
     "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318"},
    {"FiftySixBytesPadInTwoBlocks", "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
     "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
    {"WholeBlock", std::string(64, 'a'),
     "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb"},
    {"TwoBlocks896Bits",
     "abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnop"
     "qrsmnopqrstnopqrstu",
     "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
    {"OneMillionA", std::string(1'000'000, 'a'),
     "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
};

class Sha256Vectors : public ::testing::TestWithParam<Sha256Row>
{
};

TEST_P(Sha256Vectors, GiveTheStandardsDigest)
{
    EXPECT_EQ(Sha256Hex(GetParam().message), GetParam().hex);
}

INSTANTIATE_TEST_SUITE_P(Sha256, Sha256Vectors, ::testing::ValuesIn(Sha256Rows),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace pv
