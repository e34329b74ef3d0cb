#pragma once
// One command of pv-service-cli as a client of the service session, as the main window is one:
// it chooses the port, waits for the firmware check the session makes, gives its intents and
// turns the session's outcomes into results, messages and an exit code. The exchanges, their
// frames and their timers are the session's; nothing here sends a byte.

#include "cli_report.h"

#include "link/numbers.h"
#include "monitor/readings_age.h"
#include "session/service_session.h"
#include "settings/configuration_file.h"

#include <QObject>

#include <filesystem>
#include <functional>
#include <vector>

namespace pv {
class LanguageTable;
class ServiceRecorder;
} // namespace pv

namespace pv::cli {

struct Services
{
    ServiceSession &session;
    const LanguageTable &texts;
    Report &report;
    // Nothing under --no-record.
    ServiceRecorder *recorder = nullptr;
    // Where ports/COMn links are looked for (the port's own list), for the messages.
    std::vector<std::filesystem::path> linkFolders;
    std::filesystem::path programFolder;
    // Results are meant for programs as much as for people: "." whatever the regional settings.
    NumberFormat format{};
};

// The window waits for the firmware check as long as the technician does. A command gives up
// when the link counts as lost before the check passed (no reading accepted for two whole
// monitor cycles: monitor/readings_age.h), or when the version has stayed unread this long.
inline constexpr int VersionCheckTicks = 3 * StaleAfterTicks;

class CommandRun : public QObject
{
    Q_OBJECT
public:
    explicit CommandRun(const Services &services);
    ~CommandRun() override;

    // Chooses the port (1..16); what follows comes from the session's signals.
    void Start(int portNumber);
    bool Ended() const { return ended_; }
    // A termination signal ended the program before the command did: the command says how it
    // stands (by default: not done).
    virtual void Interrupt();
    // Once the service record has been waited for: the command's last words.
    virtual void Conclude() {}

signals:
    // The command has ended; the report holds its outcome.
    void Finished();

protected:
    // The firmware check passed and intents are allowed: the command's exchange may be asked
    // for. Said once, from the event loop (never inside a tick, as a click comes).
    virtual void Linked() = 0;
    // Whether the command needs the firmware check to pass (the monitor does not).
    virtual bool WaitsForLink() const { return true; }
    // An accepted reply of the readings block; afterGap after the link was lost or restarted.
    virtual void ReadingAccepted(bool afterGap) { static_cast<void>(afterGap); }

    // Gives an intent once intents are allowed and the session monitors (at once when they are),
    // from the event loop; a later intent replaces one still waiting.
    void GiveIntent(std::function<void()> intent);
    // Ends the command: done unless the report holds a failure.
    void End();
    // Ends it with a failure and its message (text `number` of the table unless given).
    void Fail(ExitCode code, int number, const QString &text = {});
    QString Text(int number) const;
    // Why a file or a value was refused, as the window's configuration files say it.
    QString Reason(const ConfigurationProblem &problem) const;
    ServiceSession &Session() const { return services_.session; }
    Report &Out() const { return services_.report; }

    const Services services_;

private:
    void OnIntentsAllowed(bool allowed);
    void OnMonitorTicked();
    void OnPortFailed();
    void PostIntent();

    int portNumber_ = 0;
    bool linked_ = false;
    bool allowed_ = false;
    std::function<void()> intent_;
    bool ended_ = false;
    int checkTicks_ = 0;
    LinkStatus lastStatus_ = LinkStatus::NoLink;
    ReadingsAge age_;
};

} // namespace pv::cli
