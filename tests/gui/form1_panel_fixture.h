#pragma once
// A main window monitoring COM1, where a scripted inverter answers every read from its
// registers and acknowledges every write with its head, for the tests of the identifiers,
// configuration and about panels.

#include "support/form1_fixture.h"

#include <array>
#include <string>
#include <vector>

namespace pv::test {

// The presets: line 3 code 5, line 4 code 6, line 5 code 17 (the second list position).
inline constexpr char Countries[]
    = "header\r\nheader\r\n"
      "274\t262\t200\t184\t500\t1000\t2500\t500\t52.0\t47.5\t62.0\t57.0\t500\t20000\t20\tUK\r\n"
      "264\t253\t184\t104\t100\t200\t3000\t300\t51.5\t47.5\t61.8\t58.2\t100\t100\t60\tDE\r\n"
      "275\t265\t180\t150\t200\t1000\t10000\t2000\t52.0\t47.0\t62.4\t57.0\t200\t1000\t45\tAU";

// "1" for each ticked box, "0" for each other.
template <class Boxes>
std::string Ticked(const Boxes &boxes)
{
    std::string ticked;
    for (const QAbstractButton *box : boxes)
        ticked += box->isChecked() ? '1' : '0';
    return ticked;
}

class Form1Panel : public Form1Test
{
protected:
    // Started with these country records (or the fixture's), the firmware accepted, the menu
    // entry pressed and the record of the wire cleared.
    void Connect(int menu, const std::string &countries = {})
    {
        if (!countries.empty())
            std::ofstream(program / "CountryParameter.txt") << countries;
        ASSERT_TRUE(Start("1,1,1,1,0,Test", countries.empty()));
        port.responder = [this](ByteView request) -> std::optional<Bytes> {
            if (request[1] == ReadFunction)
                return Answer(registers, request);
            Bytes head(request.begin(), request.begin() + 6);
            AppendCrc(head);
            return head;
        };
        ChoosePort(0);
        for (int tick = 0; tick < 6; ++tick)
            form->Timer1_Timer();
        ASSERT_EQ(form->Machine().State(), ExchangeState::Monitor);
        Press(menu);
        port.ClearRecord();
    }

    // Runs the exchange a panel button prepared to its end: the monitor tick that hands it over,
    // then its timer (at most 20 ticks). The frames it sent, without their CRC.
    std::vector<std::string> Finish()
    {
        form->Timer1_Timer();
        port.ClearRecord();
        for (int tick = 0; tick < 20 && (ui().Timer2->isActive() || ui().Timer3->isActive());
             ++tick)
            ui().Timer2->isActive() ? form->Timer2_Timer() : form->Timer3_Timer();
        std::vector<std::string> frames;
        for (const std::string &w : port.written)
            frames.push_back(w.substr(0, w.size() - 6));
        return frames;
    }
    std::vector<std::string> Run(int button) { return form->Command1_Click(button), Finish(); }

    // The grid limits the inverter holds, in register order.
    void HoldLimits(const std::array<int, reg::GridLimitCount> &limits)
    {
        for (int i = 0; i < reg::GridLimitCount; ++i)
            registers[reg::GridLimits + i] = limits[static_cast<std::size_t>(i)];
    }
};

} // namespace pv::test
