#pragma once
// A main window started in a temporary program folder against a scripted port, for the window
// tests of every panel.

#include "app/form1.h"
#include "calibration/form2.h"
#include "record/service_recorder.h"
#include "support/fake_serial_port.h"
#include "support/form1_world.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace pv::test {

using Timers = std::array<bool, 3>;

// An inverter that answers every read from its registers (absent ones read 0).
inline std::optional<Bytes> Answer(std::map<int, int> registers, ByteView request)
{
    const int start = request[2] << 8 | request[3], count = request[4] << 8 | request[5];
    Bytes reply{SlaveAddress, ReadFunction, static_cast<std::uint8_t>(2 * count)};
    for (int i = start; i < start + count; ++i)
        reply.insert(reply.end(), {std::uint8_t(registers[i] >> 8), std::uint8_t(registers[i])});
    AppendCrc(reply);
    return reply;
}

class Form1Test : public ::testing::Test
{
protected:
    // An empty initSet leaves InitSet.txt out; a null languageSet leaves LanguageSet.txt out.
    // True when started without a message.
    bool Start(const std::string &initSet = "1,1,1,1,0,Test", bool countries = true,
               const char *languageSet = "1\r\n")
    {
        if (!initSet.empty())
            std::ofstream(program / "InitSet.txt") << initSet;
        if (countries)
            std::ofstream(program / "CountryParameter.txt") << "h\r\nh\r\nR0\t1\r\nR1\t2\r\nR2\t3";
        if (languageSet != nullptr)
            std::ofstream(program / "LanguageSet.txt") << languageSet;
        form = std::make_unique<Form1>(Form1Services{.port = port,
                                                     .session = session,
                                                     .messages = around,
                                                     .presenter = around,
                                                     .processes = around,
                                                     .languageStore = around,
                                                     .files = around,
                                                     .programFolder = program,
                                                     .numberFormat = format,
                                                     .wallClock = [this] { return clockMs; },
                                                     .writableFolder = writable,
                                                     .recorder = recorder,
                                                     .publisher = publisher});
        return form->Form_Load() && around.shown.empty();
    }

    // A service record over the window's session, kept until the window has ended.
    ServiceRecorder &KeepRecorder(const std::filesystem::path &database)
    {
        ownedRecorder = std::make_unique<ServiceRecorder>(session, database);
        recorder = ownedRecorder.get();
        return *ownedRecorder;
    }
    static QString Text(int number) { return QStringLiteral("L1-%1").arg(number); }
    const Form1Controls &ui() { return form->Controls(); }
    bool Shown(QWidget *w) const { return !w->isHidden(); }
    Timers TimersActive()
    {
        return {ui().Timer1->isActive(), ui().Timer2->isActive(), ui().Timer3->isActive()};
    }
    void ChoosePort(int i) { ui().Combo1->setCurrentIndex(i), emit ui().Combo1->activated(i); }
    void Press(int entry) { form->Label16_MouseDown(entry, LeftButton, 0, 0, 0); }
    QColor Lamp() { return ui().Picture1->Canvas().pixelColor(13, 13); }

    // Brings the main window to monitoring an inverter that answers every read from registers
    // (operating version "V1000700", the calibration block at mid-scale) and every write with
    // its echo, then opens the calibration window from the menu and runs inside while it is
    // open, with the wire and the messages recorded from the opening on. True when it opened.
    bool WhileCalibrating(const std::function<void(Form2 &)> &inside)
    {
        if (!Start())
            return false;
        port.responder = [this](ByteView request) -> std::optional<Bytes> {
            if (request[1] == ReadFunction)
                return Answer(registers, request);
            Bytes echo(request.begin(), request.begin() + 6);
            AppendCrc(echo);
            return echo;
        };
        ChoosePort(0);
        for (int tick = 0; tick < 6; ++tick)
            form->Timer1_Timer();
        bool opened = false;
        around.whileOpen = [&](QDialog &window) {
            opened = true;
            port.ClearRecord();
            around.shown.clear();
            inside(dynamic_cast<Form2 &>(window));
        };
        Press(MenuCalibration);
        form->Timer1_Timer();
        return opened;
    }
    std::map<int, int> registers{{0xC0BC, 0x5631}, {0xC0BD, 0x3030}, {0xC0BE, 0x3037},
                                 {0xC0BF, 0x3030}, {0xCF00, 0x8080}, {0xCF05, 0x012C}};

    QTemporaryDir folder;
    const std::filesystem::path program{folder.path().toStdString()};
    // Where the language choice is kept; empty: the program folder.
    std::filesystem::path writable;
    FakeSerialPort port;
    // The window's session; made before the window and ended after it, as main() does.
    ServiceSession session{port};
    World around;
    NumberFormat format;
    // The wall clock of the window: milliseconds since 1970, moved by the test.
    std::int64_t clockMs = 1'700'000'000'000;
    // The service record the window is handed, when a test keeps one (KeepRecorder, or a
    // recorder of its own that ends after the window).
    std::unique_ptr<ServiceRecorder> ownedRecorder;
    ServiceRecorder *recorder = nullptr;
    // The publisher the window is handed, when a test keeps one that ends after the window.
    MqttPublisher *publisher = nullptr;
    std::unique_ptr<Form1> form;
};

template <class Row>
class Form1With : public Form1Test, public ::testing::WithParamInterface<Row>
{
};

inline const auto RowName = [](const auto &info) { return std::string(info.param.name); };

} // namespace pv::test
