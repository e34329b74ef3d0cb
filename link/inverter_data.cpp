#include "inverter_data.h"

namespace pv {

namespace {

// Image index of the high byte of register r of the 0xC000 block.
constexpr std::size_t At(std::uint16_t r)
{
    return 2u * (r - ImageBase);
}

constexpr std::uint16_t GridLimitsFirst = 0xC088;
constexpr int FirstFrequencyLimit = 8; // limits 8..11 are frequencies in tenths of a hertz
constexpr int LastFrequencyLimit = 11;

constexpr std::size_t ModelNameLength = 10;
constexpr std::size_t CompanyNameLength = 10;
constexpr std::size_t OperatingVersionLength = 8;
constexpr std::size_t CertificateVersionLength = 6;

float Word(ByteView image, std::uint16_t r)
{
    return ImageWord(image, At(r));
}

// The registers carry tenths and hundredths as signed words; the quotient is taken in double
// precision and then stored as a single.
float Tenths(ByteView image, std::uint16_t r)
{
    return static_cast<float>(ImageWord(image, At(r)) / 10.0);
}

float Hundredths(ByteView image, std::uint16_t r)
{
    return static_cast<float>(ImageWord(image, At(r)) / 100.0);
}

} // namespace

void InverterData::Decode(const RegisterImage &image)
{
    const ByteView b = image.Bytes();

    outputPower_ = Hundredths(b, 0xC020);
    acVoltage_ = Word(b, 0xC021);
    acCurrent_ = Tenths(b, 0xC024);
    acFrequency_ = Tenths(b, 0xC026);
    dcBusVoltage_ = Word(b, 0xC027);
    inputAVoltage_ = Word(b, 0xC02B);
    inputBVoltage_ = Word(b, 0xC02C);
    inputACurrent_ = Tenths(b, 0xC02D);
    inputBCurrent_ = Tenths(b, 0xC02E);
    inputAPower_ = Hundredths(b, 0xC02F);
    inputBPower_ = Hundredths(b, 0xC030);
    energyTotal_ = ImageLong(b, At(0xC031));

    // The inverter counts its ID from 0; people count from 1.
    inverterId_ = static_cast<float>(ImageWord(b, At(0xC080)) + 1);
    ByteToFlags(b, At(0xC081), optionFlags_, 0);
    countryCode_ = b[At(0xC081) + 1];
    sleepPower_ = Word(b, 0xC084);
    retryTime_ = Word(b, 0xC085);
    for (int i = 0; i < static_cast<int>(gridLimits_.size()); ++i) {
        const auto r = static_cast<std::uint16_t>(GridLimitsFirst + i);
        const bool frequency = i >= FirstFrequencyLimit && i <= LastFrequencyLimit;
        gridLimits_[static_cast<std::size_t>(i)] = frequency ? Tenths(b, r) : Word(b, r);
    }

    powerKw_ = ImageWord(b, At(0xC0B1)) / 10.0;
    modelName_ = ImageText(b, At(0xC0B2), ModelNameLength);
    companyName_ = ImageText(b, At(0xC0B7), CompanyNameLength);
    operatingVersion_ = ImageText(b, At(0xC0BC), OperatingVersionLength);
    certificateVersion_ = ImageText(b, At(0xC0C0), CertificateVersionLength);
}

} // namespace pv
