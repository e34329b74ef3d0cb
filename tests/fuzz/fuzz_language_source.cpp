// The language source parser reads files translators edit by hand.

#include "language/text_source.h"

#include <map>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::istringstream in(std::string(reinterpret_cast<const char *>(data), size));
    std::map<int, std::string> texts;
    std::string error;
    (void)pv::ParseTextFile(in, "fuzz.txt", texts, error);
    (void)pv::UnescapeText(std::string_view(reinterpret_cast<const char *>(data), size));
    return 0;
}
