#pragma once
// A technician's visit as the service-visit test makes it once and soak-probe (tools/) makes it
// again and again: what is entered in each panel, the writes those entries must reach the
// inverter as, and the readings the simulated unit can show. Plain data and entries, no test
// framework, so the tool and the test share one visit.

#include "app/form1_controls.h"
#include "calibration/form2.h"
#include "calibration/gain_calculation.h"
#include "link/codec.h"
#include "link/numbers.h"
#include "link/register_map.h"
#include "sim/inverter_simulator.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace pv::visit {

inline constexpr int IdentifyWriteButton = 0, IdentifyReadButton = 1;
inline constexpr int ConfigurationWriteButton = 2, ConfigurationReadButton = 3;

using Words = std::vector<std::uint16_t>;

// A write the visit asked for: any one of the value lists may reach the inverter (the names
// block goes back with the names the tool last read, which on a hostile line may be older ones
// the inverter held).
struct AskedWrite
{
    std::uint8_t function;
    std::uint16_t start;
    std::vector<Words> values;

    bool Matches(const WriteRecord &write) const
    {
        return write.function == function && write.start == start
               && std::ranges::find(values, write.values) != values.end();
    }
};

// A name as the inverter keeps it: ten code-page bytes, zero-filled, two to a word.
inline Words NameWords(const std::string &name)
{
    std::string bytes = name;
    bytes.resize(reg::NameLength, '\0');
    Words words;
    for (std::size_t k = 0; k < bytes.size(); k += 2)
        words.push_back(
            static_cast<std::uint16_t>(std::uint8_t(bytes[k]) << 8 | std::uint8_t(bytes[k + 1])));
    return words;
}

// The names block write: the rated power twice, then the model and company words.
inline Words NamesBlock(std::uint16_t ratedPower, const Words &names)
{
    Words block{ratedPower, ratedPower};
    block.insert(block.end(), names.begin(), names.end());
    return block;
}

// Identifiers: ID 7, 70000 kWh, a model and a company name.
inline constexpr int EnteredEnergyKwh = 70000;
inline void EnterIdentifiers(const Form1Controls &ui)
{
    ui.Text1->setText("7");
    ui.Text2->setText("70000");
    ui.Text3->setText("AB12");
    ui.Text4->setText("Sunny Co");
}
inline Words EnteredNames()
{
    Words names = NameWords("AB12");
    const Words company = NameWords("Sunny Co");
    names.insert(names.end(), company.begin(), company.end());
    return names;
}
// The names block carries the rated power back as the tool last read it.
inline std::vector<AskedWrite> IdentifierWrites(std::uint16_t ratedPowerRead)
{
    return {{WriteFunction, reg::RatedPowerCopy, {NamesBlock(ratedPowerRead, EnteredNames())}},
            {WriteFunction, reg::InverterId, {{6}}},                 // ID 7 kept as 6
            {OwnWriteFunction, reg::EnergyHighSelector, {{0x0001}}}, // 70000 = 0x11170
            {OwnWriteFunction, reg::EnergyLowSelector, {{0x1170}}}};
}

// Configuration: Australia's preset from the shipped CountryParameter.txt (the list's second
// entry), then a longer Fmin disconnect time, mbus and flag bit 2, 7 %, 4.2 kW entered with a
// comma, 120 s, and every group ticked.
inline constexpr int AustraliaPreset = 1;
inline constexpr std::uint16_t EnteredRatedPower = 42; // kW x 10
inline void ChooseAustralia(const Form1Controls &ui)
{
    ui.Combo2->setCurrentIndex(AustraliaPreset);
    emit ui.Combo2->activated(AustraliaPreset);
}
inline void EnterConfiguration(const Form1Controls &ui)
{
    ui.Text7[13]->setText("1500");
    ui.Option1[0]->click();
    ui.Option2[1]->click();
    ui.Check2[5]->setChecked(true);
    ui.Text5->setText("7");
    ui.Text6->setText("4,2");
    ui.Text8->setText("120");
    for (QCheckBox *group : ui.Check1)
        group->setChecked(true);
}
// The names go back as the tool last read them: any of the pairs the inverter has held.
inline std::vector<AskedWrite> ConfigurationWrites(const std::vector<Words> &namesHeld)
{
    std::vector<Words> blocks;
    for (const Words &names : namesHeld)
        blocks.push_back(NamesBlock(EnteredRatedPower, names));
    return {{WriteFunction, reg::SleepPower, {{7}}},
            {WriteFunction, reg::RatedPowerCopy, blocks},
            {WriteFunction, reg::FlagsCountry, {{0x4411}}}, // flags 01000100, country 17
            {WriteFunction,
             reg::GridLimits,
             {{275, 265, 180, 150, 200, 1000, 10000, 2000, 520, 470, 624, 570, 200, 1500}}},
            {WriteFunction, reg::RetryTime, {{120}}}};
}

// Calibration: string A measured 150 V and 300 V where the display said 148 V and 297 V, the DC
// bus meter 301 V; the meter saw 5.1 A on string A and 4.9 A on B where the display said 5.0 A.
// Then the gains are worked out.
inline void EnterMeasurements(Form2 &window)
{
    Form2Controls &u = window.Controls();
    u.Text3[1]->setText("148");
    u.Text3[3]->setText("297");
    u.Text5->setText("301");
    u.Text3[5]->setText("5.1");
    u.Text3[7]->setText("4.9");
    window.Command4_Click();
}
inline AskedWrite CalibrationWrite()
{
    return {OwnWriteFunction,
            reg::CalibrationSettings,
            {{0x8781, 0x8080, 0x012D, 0x9400, 0x6C00, 0x00E6, 0x8000}}};
}
// The AC current offset stepped up twice from 128.
inline void StepOffset(Form2 &window)
{
    window.Controls().Text2->setText("128");
    window.Command3_Click(OffsetUpButton);
    window.Command3_Click(OffsetUpButton);
}
inline AskedWrite OffsetWrite()
{
    return {OwnWriteFunction, reg::AcCurrentOffset, {{130}}};
}

// The readings that are off what the simulated unit measures (string A and B voltage, DC bus,
// AC voltage and frequency), as "Label2(i) = text"; a reply of another block filed over the
// readings would show something else.
inline std::vector<std::string> StrayReadings(const Form1Controls &ui)
{
    struct Range
    {
        int label;
        double low, high;
    };
    constexpr Range ranges[]
        = {{0, 309, 361}, {1, 329, 371}, {2, 376, 384}, {3, 226, 234}, {4, 49.9, 50.1}};
    std::vector<std::string> stray;
    for (const Range &r : ranges) {
        const std::string shown = ui.Label2[r.label]->text().toStdString();
        const double value = NumericPrefixValue(shown);
        if (value < r.low || value > r.high)
            stray.push_back("Label2(" + std::to_string(r.label) + ") = " + shown);
    }
    return stray;
}

} // namespace pv::visit
