// monitor: the readings of every accepted reply of the readings block, as the window's trend and
// recording take them, until the duration ends or a termination signal ends the program.

#include "commands.h"
#include "platform/local_clock.h"

#include "language/language_table.h"
#include "link/text_numbers.h"
#include "monitor/monitor_texts.h"
#include "monitor/recording_csv.h"
#include "publish/mqtt_publisher.h"
#include "publish/publish_texts.h"

#include <QDateTime>
#include <QTimer>

#include <cmath>
#include <memory>

namespace pv::cli {

namespace {

// A reading keyed by the recording's column names (without their units).
Json ReadingJson(const LocalTime &time, const MonitorReadings &readings, LinkState link)
{
    Json row = Json::Object().Add(std::string(TimeColumn.name), Json::String(IsoLocalTime(time)));
    const auto fields = ReadingFields(readings);
    for (std::size_t i = 0; i < ReadingColumns.size(); ++i)
        row.Add(std::string(ReadingColumns[i].name), Json::Number(fields[i]));
    return row.Add(std::string(LinkColumn), Json::String(std::string(LinkStateName(link))));
}

// One line for people: the time, each reading with its name and unit, the link state.
std::string ReadingLine(const LocalTime &time, const MonitorReadings &readings, LinkState link)
{
    std::string line = IsoLocalTime(time);
    const auto fields = ReadingFields(readings);
    for (std::size_t i = 0; i < ReadingColumns.size(); ++i)
        line += "  " + std::string(ReadingColumns[i].name) + " " + fields[i] + " "
                + std::string(ReadingColumns[i].unit);
    return line + "  " + std::string(LinkStateName(link)) + "\n";
}

class MonitorRun : public CommandRun
{
public:
    MonitorRun(const Services &services, const Options &options)
        : CommandRun(services), format_(options.format), rows_(Json::Array())
    {
        if (options.durationSeconds) {
            duration_.setSingleShot(true);
            duration_.setInterval(static_cast<int>(std::lround(*options.durationSeconds * 1000)));
            connect(&duration_, &QTimer::timeout, this, &MonitorRun::Stop);
            duration_.start();
        }
        // A recording starts with its header, whether or not a reading follows.
        if (!Out().JsonMode() && format_ == RowFormat::Csv)
            Out().Stream(CsvHeaderLine());
    }

    void Interrupt() override { Stop(); }

    // With --mqtt: the broker settings checked before the port opens, refused with their message.
    bool Prepare(const Options &options)
    {
        if (!options.mqttUrl)
            return true;
        PublishSettings settings;
        settings.enabled = true;
        settings.url = *options.mqttUrl;
        settings.passwordFile = options.mqttPasswordFile;
        settings.caFile = options.mqttCaFile;
        settings.topicPrefix = options.topicPrefix;
        settings.discoveryPrefix = options.discoveryPrefix;
        setup_ = CheckPublishSettings(settings);
        if (setup_.verdict != SetupVerdict::Accepted) {
            const int number = publishtext::RefusalText(setup_.verdict);
            Out().Fail(ExitCode::Usage, number, Text(number));
            return false;
        }
        publisher_ = std::make_unique<MqttPublisher>(Session());
        publisher_->Configure(&setup_);
        return true;
    }

private:
    // The publisher names the unit's topics by its ID: an identify read first, as a technician
    // presses Read on IDENTIFIERS; the publisher hears it from the session.
    void Linked() override { Session().ReadIdentifiers(); }
    bool WaitsForLink() const override { return publisher_ != nullptr; }

    void ReadingAccepted(bool afterGap) override
    {
        ++readings_;
        const LocalTime time = LocalTimeAt(QDateTime::currentMSecsSinceEpoch());
        const MonitorReadings readings = ReadingsOf(Session().Data());
        const LinkState link = RecordedLinkState(
            Session().State() == ExchangeState::CheckOperatingVersion, afterGap);
        if (Out().JsonMode()) {
            rows_.Push(ReadingJson(time, readings, link));
            return;
        }
        const std::string line = format_ == RowFormat::Csv ? CsvRowLine(time, readings, link)
                                 : format_ == RowFormat::Jsonl
                                     ? ReadingJson(time, readings, link).Text() + "\n"
                                     : ReadingLine(time, readings, link);
        // A reader that has gone (a pipe closed) ends the monitor.
        if (!Out().Stream(line)) {
            Out().FailUntranslated(ExitCode::NotDone, "standard output no longer takes lines");
            End();
        }
    }

    // The duration has passed, or a signal came: done when there was a reading to give.
    void Stop()
    {
        if (Ended())
            return;
        if (Out().JsonMode())
            Out().Show("readings", rows_);
        if (readings_ == 0)
            Fail(ExitCode::NoAnswer, text::NoReply);
        else
            End();
    }

    RowFormat format_;
    PublishSetup setup_;
    // Ends before the session's port: "offline" and a clean disconnect on the way out.
    std::unique_ptr<MqttPublisher> publisher_;
    QTimer duration_;
    int readings_ = 0;
    Json rows_;
};

} // namespace

std::unique_ptr<CommandRun> MakeMonitor(const Services &services, const Options &options)
{
    auto run = std::make_unique<MonitorRun>(services, options);
    if (!run->Prepare(options))
        return nullptr;
    return run;
}

} // namespace pv::cli
