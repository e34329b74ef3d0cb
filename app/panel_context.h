#pragma once
// What the panels of the main window share: the outside world handed in by main() (or a test),
// the controls under their design names, the service session they are clients of and the
// language texts every caption and message comes from.

#include "form1_controls.h"

#include "language/language_table.h"
#include "link/numbers.h"
#include "link/serial_port.h"
#include "link/text_numbers.h"
#include "platform/message_box.h"

#include <QString>

#include <cstdint>
#include <filesystem>
#include <functional>

namespace pv {

class FileDialogs;
class LanguageStore;
class ModalPresenter;
class MqttPublisher;
class ProcessList;
class ServiceRecorder;
class ServiceSession;

enum class Lamp { Good, Bad };

// Milliseconds since 1970-01-01 UTC, as the system clock tells them.
std::int64_t SystemClockMs();

// The outside world of the main window, handed in by main() (or by a test).
struct Form1Services
{
    SerialPort &port;
    // The session over that port. Whoever starts the window owns it and keeps it past the
    // window's end: the window is one of its clients, not its home.
    ServiceSession &session;
    MessageSink &messages;
    ModalPresenter &presenter;
    ProcessList &processes;
    LanguageStore &languageStore;
    FileDialogs &files;
    std::filesystem::path programFolder;
    NumberFormat numberFormat;
    // The time stamps of the trend and the recording.
    std::function<std::int64_t()> wallClock = SystemClockMs;
    // Where LanguageSet.txt is read and written (platform/writable_folder.h); empty: the
    // program folder itself, as in the build tree and a portable copy.
    std::filesystem::path writableFolder{};
    // The service record of the session, when one is kept: an acknowledged write then says
    // "done" only once its record is committed, History lists its records and the
    // commissioning report is made from them (both buttons disabled without one).
    ServiceRecorder *recorder = nullptr;
    // The publisher to an MQTT broker, a client of the same session, when the program has one:
    // the CONNECTION panel sets it up (its controls disabled without one).
    MqttPublisher *publisher = nullptr;
};

// Menu entries, by Label16 index; the setting frames Frame1(0..2) share the first three.
enum MenuEntry {
    MenuConnection = 0,
    MenuConfigurations = 1,
    MenuIdentifiers = 2,
    MenuCalibration = 3,
    MenuAbout = 4,
    MenuLanguage = 5,
    MenuSelfTest = 6,
};

// The dynamic property (true) of an entry, list, flag box or option frame that the last Compare
// found different from the file.
inline constexpr char DiffersFromFileProperty[] = "differsFromFile";

struct PanelContext
{
    const Form1Services &services;
    const Form1Controls &ui;
    ServiceSession &session;
    const LanguageTable &texts;

    QString Text(int number) const { return texts.Text(number); }
    // A modal message box with text N alone and an OK button.
    void ShowMessage(int number) const { ShowTextMessage(services.messages, texts, number); }
    // Every button that talks to the inverter first asks for an open port: text 131 otherwise.
    bool PortOpenOrSay() const
    {
        if (services.port.IsOpen())
            return true;
        ShowMessage(text::PortNotOpen);
        return false;
    }
};

// Empties the visible setting panels before a read, whichever panel's Read started it.
void ClearPanels(const Form1Controls &ui);

} // namespace pv
