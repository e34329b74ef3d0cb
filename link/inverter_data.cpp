#include "inverter_data.h"

namespace pv {

namespace {

using reg::ImageIndex;

float Word(ByteView image, std::uint16_t r)
{
    return ImageWord(image, ImageIndex(r));
}

// The registers carry tenths and hundredths as signed words; the quotient is taken in double
// precision and then stored as a single.
float Tenths(ByteView image, std::uint16_t r)
{
    return static_cast<float>(ImageWord(image, ImageIndex(r)) / 10.0);
}

float Hundredths(ByteView image, std::uint16_t r)
{
    return static_cast<float>(ImageWord(image, ImageIndex(r)) / 100.0);
}

} // namespace

void InverterData::Decode(const RegisterImage &image)
{
    const ByteView b = image.Bytes();

    outputPower_ = Hundredths(b, reg::OutputPower);
    acVoltage_ = Word(b, reg::AcVoltage);
    acCurrent_ = Tenths(b, reg::AcCurrent);
    acFrequency_ = Tenths(b, reg::AcFrequency);
    dcBusVoltage_ = Word(b, reg::DcBusVoltage);
    inputAVoltage_ = Word(b, reg::InputAVoltage);
    inputBVoltage_ = Word(b, reg::InputBVoltage);
    inputACurrent_ = Tenths(b, reg::InputACurrent);
    inputBCurrent_ = Tenths(b, reg::InputBCurrent);
    inputAPower_ = Hundredths(b, reg::InputAPower);
    inputBPower_ = Hundredths(b, reg::InputBPower);
    energyTotal_ = ImageLong(b, ImageIndex(reg::EnergyHigh));

    // The inverter counts its ID from 0; people count from 1.
    inverterId_ = static_cast<float>(ImageWord(b, ImageIndex(reg::InverterId)) + 1);
    ByteToFlags(b, ImageIndex(reg::FlagsCountry), optionFlags_, 0);
    countryCode_ = b[ImageIndex(reg::FlagsCountry) + 1];
    sleepPower_ = Word(b, reg::SleepPower);
    retryTime_ = Word(b, reg::RetryTime);
    for (int i = 0; i < static_cast<int>(gridLimits_.size()); ++i) {
        const auto r = static_cast<std::uint16_t>(reg::GridLimits + i);
        const bool frequency = i >= reg::FirstFrequencyLimit && i <= reg::LastFrequencyLimit;
        gridLimits_[static_cast<std::size_t>(i)] = frequency ? Tenths(b, r) : Word(b, r);
    }

    powerKw_ = ImageWord(b, ImageIndex(reg::RatedPower)) / 10.0;
    modelName_ = ImageText(b, ImageIndex(reg::ModelName), reg::NameLength);
    companyName_ = ImageText(b, ImageIndex(reg::CompanyName), reg::NameLength);
    operatingVersion_
        = ImageText(b, ImageIndex(reg::OperatingVersion), reg::OperatingVersionLength);
    certificateVersion_
        = ImageText(b, ImageIndex(reg::CertificateVersion), reg::CertificateVersionLength);
}

} // namespace pv
