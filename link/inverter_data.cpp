#include "inverter_data.h"

#include "registers.h"

namespace pv {

namespace {

using reg::ImageIndex;

// A register by its declaration: signed or not, in its unit. Tenths and hundredths are taken
// in double precision and then stored as a single.
float Value(ByteView image, const RegisterDeclaration &r)
{
    const auto word = static_cast<std::uint16_t>(ImageWord(image, ImageIndex(r.address)));
    return static_cast<float>(WordValue(r, word));
}

} // namespace

void InverterData::Decode(const RegisterImage &image)
{
    const ByteView b = image.Bytes();

    outputPower_ = Value(b, decl::OutputPower);
    acVoltage_ = Value(b, decl::AcVoltage);
    acCurrent_ = Value(b, decl::AcCurrent);
    acFrequency_ = Value(b, decl::AcFrequency);
    dcBusVoltage_ = Value(b, decl::DcBusVoltage);
    inputAVoltage_ = Value(b, decl::InputAVoltage);
    inputBVoltage_ = Value(b, decl::InputBVoltage);
    inputACurrent_ = Value(b, decl::InputACurrent);
    inputBCurrent_ = Value(b, decl::InputBCurrent);
    inputAPower_ = Value(b, decl::InputAPower);
    inputBPower_ = Value(b, decl::InputBPower);
    energyTotal_ = ImageLong(b, ImageIndex(decl::Energy.address));

    inverterId_ = Value(b, decl::InverterId);
    ByteToFlags(b, ImageIndex(reg::FlagsCountry), optionFlags_, 0);
    countryCode_ = b[ImageIndex(reg::FlagsCountry) + 1];
    sleepPower_ = Value(b, decl::SleepPower);
    retryTime_ = Value(b, decl::RetryTime);
    for (std::size_t i = 0; i < gridLimits_.size(); ++i)
        gridLimits_[i] = Value(b, decl::GridLimits[i]);

    const auto ratedPower
        = static_cast<std::uint16_t>(ImageWord(b, ImageIndex(decl::RatedPower.address)));
    powerKw_ = WordValue(decl::RatedPower, ratedPower);
    modelName_ = ImageText(b, ImageIndex(reg::ModelName), reg::NameLength);
    companyName_ = ImageText(b, ImageIndex(reg::CompanyName), reg::NameLength);
    operatingVersion_
        = ImageText(b, ImageIndex(reg::OperatingVersion), reg::OperatingVersionLength);
    certificateVersion_
        = ImageText(b, ImageIndex(reg::CertificateVersion), reg::CertificateVersionLength);
}

} // namespace pv
