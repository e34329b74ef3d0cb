#pragma once
// The decoded values of the register image, each by its declaration in registers.h (unit and
// sign). Only Decode writes them; every panel reads them field by field.

#include "register_image.h"

#include <array>
#include <cstdint>
#include <string>

namespace pv {

class InverterData
{
public:
    // Decodes every field from the image (also fields of blocks the last reply did not carry).
    void Decode(const RegisterImage &image);

    float OutputPower() const { return outputPower_; }   // 0xC020 / 100
    float AcVoltage() const { return acVoltage_; }       // 0xC021
    float AcCurrent() const { return acCurrent_; }       // 0xC024 / 10
    float AcFrequency() const { return acFrequency_; }   // 0xC026 / 10
    float DcBusVoltage() const { return dcBusVoltage_; } // 0xC027
    float InputAVoltage() const { return inputAVoltage_; }
    float InputBVoltage() const { return inputBVoltage_; }
    float InputACurrent() const { return inputACurrent_; }
    float InputBCurrent() const { return inputBCurrent_; }
    float InputAPower() const { return inputAPower_; }
    float InputBPower() const { return inputBPower_; }
    std::int32_t EnergyTotal() const { return energyTotal_; } // 0xC031..0xC032, high word first
    float InverterId() const { return inverterId_; }          // 0xC080 + 1, unsigned
    bool OptionFlags(int index) const { return optionFlags_.at(static_cast<std::size_t>(index)); }
    float CountryCode() const { return countryCode_; } // low byte of 0xC081, unsigned
    float SleepPower() const { return sleepPower_; }   // 0xC084, unsigned
    float RetryTime() const { return retryTime_; }     // 0xC085, unsigned
    // 0xC088 + i, unsigned; elements 8..11 (frequencies) divided by 10.
    float GridLimits(int index) const { return gridLimits_.at(static_cast<std::size_t>(index)); }
    double PowerKw() const { return powerKw_; } // 0xC0B1 / 10, unsigned
    const std::string &ModelName() const { return modelName_; }
    const std::string &CompanyName() const { return companyName_; }
    const std::string &OperatingVersion() const { return operatingVersion_; }
    const std::string &CertificateVersion() const { return certificateVersion_; }

private:
    float outputPower_ = 0, acVoltage_ = 0, acCurrent_ = 0, acFrequency_ = 0, dcBusVoltage_ = 0;
    float inputAVoltage_ = 0, inputBVoltage_ = 0, inputACurrent_ = 0, inputBCurrent_ = 0;
    float inputAPower_ = 0, inputBPower_ = 0;
    std::int32_t energyTotal_ = 0;
    float inverterId_ = 1;
    std::array<bool, 8> optionFlags_{};
    float countryCode_ = 0, sleepPower_ = 0, retryTime_ = 0;
    std::array<float, reg::GridLimitCount> gridLimits_{};
    double powerKw_ = 0;
    std::string modelName_, companyName_, operatingVersion_, certificateVersion_;
};

} // namespace pv
