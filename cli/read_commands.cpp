// identify, read-config and read-calibration: the reads of the identifiers panel, the
// configuration panel and the calibration window, each given as the window gives it.

#include "commands.h"

#include "about/firmware_texts.h"
#include "calibration/calibration_frames.h"
#include "language/language_table.h"
#include "link/text_numbers.h"
#include "monitor/monitor_texts.h"
#include "platform/files.h"
#include "record/service_record.h"
#include "settings/configuration_file.h"

#include <QDateTime>
#include <QSaveFile>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace pv::cli {

namespace {

// The header's time as the window's Save writes it.
const QString SavedAtFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");

std::int64_t ShownId(const InverterData &data)
{
    return static_cast<std::int64_t>(RoundHalfEven(ShownInverterId(data.InverterId())));
}

class IdentifyRun : public CommandRun
{
public:
    explicit IdentifyRun(const Services &services) : CommandRun(services)
    {
        connect(&Session(), &ServiceSession::ReadDone, this, [this](ExchangeState exchange) {
            if (exchange == ExchangeState::IdentifyRead)
                Show();
        });
    }

private:
    void Linked() override { Session().ReadIdentifiers(); }

    void Show()
    {
        const InverterData &data = Session().Data();
        Out().Show("identifiers",
                   // By the service record's keys, and the rated power by its file key.
                   Json::Object()
                       .Add(std::string(IdKey), Json::Number(IntegerText(ShownId(data))))
                       .Add(std::string(EnergyKey), Json::Number(IntegerText(data.EnergyTotal())))
                       .Add(std::string(ModelKey), Json::String(data.ModelName()))
                       .Add(std::string(CompanyKey), Json::String(data.CompanyName()))
                       .Add(std::string(ConfigurationKey(RatedPowerField)),
                            Json::Number(FixedNumberText(data.PowerKw(), 1, services_.format))));
        // As the about window shows them; the tool only got here because the version passed.
        const std::string &certificate = data.CertificateVersion();
        Out().Show("firmware", Json::Object()
                                   .Add("operating_version", Json::String(data.OperatingVersion()))
                                   .Add("certificate_version",
                                        CertificateRowShown(data.CountryCode(), certificate)
                                            ? Json::String(CertificateText(certificate))
                                            : Json())
                                   .Add("rating", Json::String("accepted")));
        End();
    }
};

class ReadConfigurationRun : public CommandRun
{
public:
    ReadConfigurationRun(const Services &services, std::optional<std::filesystem::path> save)
        : CommandRun(services), save_(std::move(save))
    {
        connect(&Session(), &ServiceSession::ReadDone, this, [this](ExchangeState exchange) {
            if (exchange == ExchangeState::ConfigurationRead)
                Show();
        });
    }

private:
    void Linked() override { Session().ReadConfiguration(); }

    void Show()
    {
        const InverterData &data = Session().Data();
        const ConfigurationPanelTexts panel = ReadConfigurationTexts(data, services_.format);
        Out().Show("configuration", ConfigurationJson(panel));
        const PanelReading reading = ReadConfigurationPanel(panel, services_.format);
        if (reading.values)
            Out().Show("fingerprint", Json::String(ConfigurationFingerprint(*reading.values)));
        if (save_)
            Save(panel, reading);
        End();
    }

    void Save(const ConfigurationPanelTexts &panel, const PanelReading &reading)
    {
        if (!reading.values) {
            const ConfigurationProblem &problem = reading.problem;
            Fail(ExitCode::EntryRefused, text::NotSaved,
                 Substitute(Text(text::NotSaved),
                            {QString::fromStdString(problem.key), Reason(problem)}));
            return;
        }
        const QString path = QString::fromStdU16String(save_->u16string());
        // Only a plain file is replaced, as by the window's Save.
        if (!IsPlainFileOrAbsent(*save_)) {
            Fail(ExitCode::NotDone, text::NotPlainFile,
                 Substitute(Text(text::NotPlainFile), {path}));
            return;
        }
        const InverterData &data = Session().Data();
        const ConfigurationRead read{
            InverterIdentity{IntegerText(ShownId(data)), data.ModelName(), data.OperatingVersion()},
            panel};
        const std::string file = FormatConfigurationFile(
            *reading.values,
            ConfigurationHeaderFor(
                QDateTime::currentDateTime().toString(SavedAtFormat).toStdString(), read, panel));
        QSaveFile out(path);
        if (!out.open(QIODevice::WriteOnly)
            || out.write(file.data(), static_cast<qint64>(file.size()))
                   != static_cast<qint64>(file.size())
            || !out.commit()) {
            Fail(ExitCode::NotDone, text::FileNotWritten,
                 Substitute(Text(text::FileNotWritten), {path}));
            return;
        }
        Out().Show("saved", Json::String(save_->string()));
    }

    std::optional<std::filesystem::path> save_;
};

// The calibration window opened, its Read pressed, and the window closed once the row shows.
class ReadCalibrationRun : public CommandRun
{
public:
    explicit ReadCalibrationRun(const Services &services) : CommandRun(services)
    {
        // The calibration window's Timer1, which runs the calibration exchanges.
        connect(&tick_, &QTimer::timeout, this, [this] {
            Session().CalibrationTick();
            if (Session().State() == ExchangeState::CalibrationWindowOpen)
                tick_.stop();
        });
        ServiceSession *s = &Session();
        connect(s, &ServiceSession::CalibrationDue, this, [this] {
            // The window opens once the tick that stopped monitoring has returned.
            QMetaObject::invokeMethod(
                this, [this] { Read(); }, Qt::QueuedConnection);
        });
        connect(s, &ServiceSession::ReadDone, this, [this](ExchangeState exchange) {
            if (exchange == ExchangeState::CalibrationRead)
                Show();
        });
    }

private:
    void Linked() override { Session().OpenCalibration(); }

    void Read()
    {
        if (Ended())
            return;
        // The window's entries at the click are the plan; a read sends nothing made of them.
        tick_.setInterval(CalibrationReadStart.intervalMs);
        Session().ReadCalibration(CalibrationPlan{DesignCalibrationTexts(), services_.format});
        tick_.start();
    }

    void Show()
    {
        const Bytes &reply = Session().CalibrationReply();
        auto cells = std::vector<ReadBackCell>(std::begin(CalibrationReadLayout),
                                               std::end(CalibrationReadLayout));
        // In the order the Read Setting Data row shows them.
        std::sort(cells.begin(), cells.end(), [](const ReadBackCell &a, const ReadBackCell &b) {
            return a.text1Index < b.text1Index;
        });
        constexpr std::size_t FirstDataByte = 3; // address, function, byte count
        Json row = Json::Array();
        for (const ReadBackCell &cell : cells) {
            const std::size_t offset = cell.replyByte - FirstDataByte;
            char reg[8];
            std::snprintf(reg, sizeof reg, "%04X",
                          static_cast<unsigned>(reg::CalibrationFirst + offset / 2));
            row.Push(Json::Object()
                         .Add("cell", Json::Number(IntegerText(cell.text1Index)))
                         .Add("register", Json::String(reg))
                         .Add("byte", Json::String(offset % 2 == 0 ? "high" : "low"))
                         .Add("value", Json::Number(IntegerText(reply.at(cell.replyByte)))));
        }
        Out().Show("read_setting_data", std::move(row));
        // Closing the window hands the port back to monitoring.
        QMetaObject::invokeMethod(
            this,
            [this] {
                Session().ResumeMonitoring();
                End();
            },
            Qt::QueuedConnection);
    }

    QTimer tick_;
};

} // namespace

Json ConfigurationJson(const ConfigurationPanelTexts &panel)
{
    Json json = Json::Object();
    for (int field = 0; field < ConfigurationFieldCount; ++field) {
        const std::string text = PanelFieldText(panel, field);
        json.Add(std::string(ConfigurationKey(field)), text.empty() ? Json()
                                                       : field <= CountryCodeField
                                                           ? Json::Number(text)
                                                           : Json::String(text));
    }
    return json;
}

std::unique_ptr<CommandRun> MakeIdentify(const Services &services)
{
    return std::make_unique<IdentifyRun>(services);
}

std::unique_ptr<CommandRun> MakeReadConfiguration(const Services &services,
                                                  std::optional<std::filesystem::path> save)
{
    return std::make_unique<ReadConfigurationRun>(services, std::move(save));
}

std::unique_ptr<CommandRun> MakeReadCalibration(const Services &services)
{
    return std::make_unique<ReadCalibrationRun>(services);
}

} // namespace pv::cli
