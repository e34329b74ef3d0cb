#include "write_mirror.h"

#include "link/registers.h"

#include <cstddef>

namespace pv {

namespace {

// One confirmed write: the data bytes of its request (from `dataOffset`, `length` of them) land
// at the image place of `firstRegister`. The rows copy exactly the words that passed the checks
// and were sent, and the decode reads them by the same declarations the checks used, so what
// the panel shows after the write is what the inverter got.
struct MirrorRow
{
    ExchangeState state;
    int replyStep;
    std::uint16_t firstRegister;
    std::size_t length;
    std::size_t dataOffset;
};

constexpr MirrorRow MirrorRows[] = {
    // The identify block write (rated power twice, model, company): the two names.
    {ExchangeState::IdentifyWrite, 7, reg::ModelName, reg::NameLength, 4},
    {ExchangeState::IdentifyWrite, 7, reg::CompanyName, reg::NameLength, 4 + reg::NameLength},
    // The ID word, the ID minus one.
    {ExchangeState::IdentifyWrite, 9, decl::InverterId.address, 2, 0},
    {ExchangeState::ConfigurationWrite, 5, decl::SleepPower.address, 2, 0},
    // The same block as the identify write; only the rated power word of 0xC0B1.
    {ExchangeState::ConfigurationWrite, 7, decl::RatedPower.address, 2, 2},
    {ExchangeState::ConfigurationWrite, 9, reg::FlagsCountry, 2, 0},
    {ExchangeState::ConfigurationWrite, 11, decl::GridLimits[0].address, 2 * reg::GridLimitCount,
     0},
    {ExchangeState::ConfigurationWrite, 13, decl::RetryTime.address, 2, 0},
};

// Request bytes before the data of a function-0x10 write: address, function, start register,
// register count, byte count.
constexpr std::size_t WriteDataIndex = 7;

// Function-0x64 replies repeat the request: address, function, selector (0xCF01 or 0xCF02),
// the word written, CRC.
constexpr std::size_t SelectorLowIndex = 3;
constexpr std::size_t RepeatedWordIndex = 4;
constexpr std::size_t OwnWriteReplyLength = 8;

void CopyWrittenData(const MirrorRow &row, const Bytes &request, RegisterImage &image)
{
    const std::size_t first = WriteDataIndex + row.dataOffset;
    // A request that does not hold the row's bytes was not the write the row is about.
    if (request.size() < first + row.length + 2 || request[1] != WriteFunction)
        return;
    image.CopyReplyToImage(first, row.length, request, reg::ImageIndex(row.firstRegister));
}

} // namespace

void WriteMirror::ApplyWriteAcknowledge(ByteView reply, RegisterImage &image)
{
    if (reply.size() < 2)
        return;
    const ExchangeState state = machine_.State();
    if (reply[1] == WriteFunction) {
        const bool identify = state == ExchangeState::IdentifyWrite;
        const int step = identify ? machine_.IdentifyStep() : machine_.ConfigurationStep();
        const Bytes &request = identify ? machine_.IdentifyChannel().request
                                        : machine_.ConfigurationChannel().request;
        for (const MirrorRow &row : MirrorRows) {
            if (row.state == state && row.replyStep == step)
                CopyWrittenData(row, request, image);
        }
    } else if (reply[1] == OwnWriteFunction && reply.size() >= OwnWriteReplyLength) {
        std::uint16_t half = 0;
        if (reply[SelectorLowIndex] == (reg::EnergyHighSelector & 0xFF))
            half = reg::EnergyHigh;
        else if (reply[SelectorLowIndex] == (reg::EnergyLowSelector & 0xFF))
            half = reg::EnergyLow;
        else
            return;
        image.CopyReplyToImage(RepeatedWordIndex, 2, reply, reg::ImageIndex(half));
    }
}

} // namespace pv
