#pragma once
// A main window whose scripted port is answered by the simulated inverter, on a wall clock the
// test moves by 350 ms per Timer1 tick, for the trend and recording tests.

#include "app/trend_chart.h"
#include "monitor/monitor_texts.h"
#include "monitor/recording_csv.h"
#include "sim/inverter_simulator.h"
#include "support/form1_fixture.h"

#include <QCoreApplication>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace pv::test {

// Bounds the wait for the recording's writer; nothing asserts on speed.
inline constexpr int WrittenWithinMs = 10'000;

class TrendTest : public Form1Test
{
protected:
    // Starts the window and chooses COM1, where the simulator answers every request.
    void Connect()
    {
        ASSERT_TRUE(Start());
        port.responder = [this](ByteView request) -> std::optional<Bytes> {
            inverter.Feed(request, clockMs);
            return inverter.TakeOutput(clockMs + InverterSimulator::DefaultReplyDelayMs);
        };
        ChoosePort(0);
    }
    void Tick()
    {
        clockMs += MonitorIntervalMs;
        form->Timer1_Timer();
    }
    void Ticks(int n)
    {
        while (n-- > 0)
            Tick();
    }
    // Full monitor cycles from step 0: the reply of the readings block is taken on the second
    // tick of each.
    void Cycles(int n) { Ticks(n * MonitorCycleTicks); }
    // The next request of the readings block meets this fault.
    void SpoilNextReadings(SimFault fault)
    {
        ASSERT_EQ(form->Machine().MonitorStep(), 0) << "only at the start of a cycle";
        inverter.InjectNext(fault);
    }
    // Starts a recording into the file the dialog answers with.
    void Record(const std::filesystem::path &file)
    {
        around.files.push_back(file);
        form->CommandRecord_Click();
    }
    // The value of register r as the decoder scales it.
    float Scaled(std::uint16_t r, double divisor = 1.0) const
    {
        return static_cast<float>(static_cast<std::int16_t>(inverter.Register(r)) / divisor);
    }
    bool Greyed(int label = 0)
    {
        const QPalette palette = ui().Label2[label]->palette();
        return palette.color(QPalette::WindowText)
               == palette.color(QPalette::Disabled, QPalette::WindowText);
    }
    // The legend tells which entries it shows only once it is on a screen (offscreen here).
    QStringList Legend()
    {
        form->show();
        QCoreApplication::processEvents();
        return ui().TrendChart->LegendEntries();
    }
    // Messages found inside a tick are shown once it has returned.
    void LetTheTickReturn() { QCoreApplication::processEvents(); }
    // The rows taken so far are in the file, or their failure has been handed to the window.
    void Written() { ASSERT_TRUE(form->RecordingWritten(WrittenWithinMs)); }

    static std::vector<std::string> Lines(const std::filesystem::path &file)
    {
        std::ifstream in(file, std::ios::binary);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }
    static std::vector<std::string> Fields(const std::string &line)
    {
        std::vector<std::string> fields;
        std::stringstream in(line.substr(0, line.find('\r')));
        for (std::string field; std::getline(in, field, ',');)
            fields.push_back(field);
        return fields;
    }

    InverterSimulator inverter;
    const std::filesystem::path recording = program / "run.csv";
};

} // namespace pv::test
