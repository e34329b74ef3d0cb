// write-config: a configuration file written as a technician writes it with the window. The file
// is checked as Load checks it, its values go through Write's entry checks, and only then is
// the port opened: a refused file sends nothing. The unit's configuration is read first (the
// window's Read), the fields the write changes are shown and confirmed, the groups are written,
// and a second read must find what the write sent.

#include "commands.h"
#include "stdin_answer.h"
#include "write_plan.h"

#include "language/language_table.h"
#include "link/text_numbers.h"
#include "platform/files.h"
#include "record/service_recorder.h"
#include "session/exchange_outcome.h"

#include <cstdio>

namespace pv::cli {

namespace {

class WriteRun : public CommandRun
{
public:
    WriteRun(const Services &services, const Options &options)
        : CommandRun(services), options_(options)
    {
        for (std::size_t i = 0; i < captions_.positions.size(); ++i)
            captions_.positions[i] = Text(CountryListTexts[i]).toStdString();
        captions_.none = Text(text::CountryCaption).toStdString();
        ServiceSession *s = &Session();
        connect(s, &ServiceSession::ReadDone, this, [this](ExchangeState exchange) {
            if (exchange == ExchangeState::ConfigurationRead)
                readBack_ ? CheckReadBack() : Decide();
        });
        connect(s, &ServiceSession::WrittenValuesFiled, this, [this](ExchangeState exchange) {
            if (exchange == ExchangeState::ConfigurationWrite)
                written_ = Session().Store().Image();
        });
        connect(s, &ServiceSession::WriteDone, this, [this](ExchangeState exchange) {
            if (exchange == ExchangeState::ConfigurationWrite)
                Written();
        });
        if (ServiceRecorder *recorder = services_.recorder)
            connect(recorder, &ServiceRecorder::WriteRecorded, this,
                    [this](ExchangeState, bool recorded) { SayWritten(recorded); });
        connect(&answer_, &StdinAnswer::Answered, this, &WriteRun::Answered);
    }

    // The file and the entries checked before anything is sent; false when refused.
    bool Prepare()
    {
        const PlainFileReading file = ReadPlainFile(options_.file, MaxConfigurationFileBytes + 1);
        const QString path = QString::fromStdU16String(options_.file.u16string());
        if (file.opening != FileOpening::Opened) {
            const int number = file.opening == FileOpening::NotPlainFile ? text::NotPlainFile
                                                                         : text::FileNotRead;
            Fail(ExitCode::Usage, number, Substitute(Text(number), {path}));
            return false;
        }
        bytes_ = file.bytes;
        std::vector<std::string> records;
        if (!ReadCountryRecords(services_.programFolder, records)) {
            Fail(ExitCode::NotDone, text::StartupFailed);
            return false;
        }
        recordCount_ = static_cast<int>(records.size());
        // Any code passes here: whether the list offers it, or the unit reports it, is known
        // once the unit has been read.
        std::vector<std::uint8_t> anyCode(256);
        for (std::size_t code = 0; code < anyCode.size(); ++code)
            anyCode[code] = static_cast<std::uint8_t>(code);
        return Check(anyCode, InverterData{}).has_value();
    }

    void Conclude() override
    {
        // A write whose record did not come in time was not recorded, as the window says.
        if (acknowledged_ && !said_)
            SayWritten(false);
    }

private:
    void Linked() override { Session().ReadConfiguration(); }

    // The file read as Load reads it and its values as Write checks them; the write when both
    // passed, and the failure said otherwise.
    std::optional<ConfigurationWrite> Check(const std::vector<std::uint8_t> &codes,
                                            const InverterData &unit)
    {
        const ConfigurationFileReading reading
            = ParseConfigurationFile(bytes_, codes, services_.format);
        if (!reading.values) {
            const ConfigurationProblem &problem = reading.problem;
            if (problem.line == 0)
                Fail(ExitCode::EntryRefused, text::FileNotLoaded,
                     Substitute(Text(text::FileNotLoaded), {Reason(problem)}));
            else
                Fail(ExitCode::EntryRefused, text::FileNotLoadedAt,
                     Substitute(Text(text::FileNotLoadedAt),
                                {QString::number(problem.line), Reason(problem)}));
            return std::nullopt;
        }
        values_ = *reading.values;
        const ConfigurationWriteCheck check
            = CheckConfigurationWrite(EntriesAfterLoad(values_, options_.groups, recordCount_,
                                                       captions_, unit, services_.format),
                                      services_.format);
        if (check.refusal) {
            // The window follows a message with the caption of the entry's label; the
            // command line names the file's key.
            const ConfigurationRefusal &refusal = *check.refusal;
            const auto field = RefusedField(refusal);
            QString message = Text(refusal.textNumber);
            if (refusal.withCaption && field)
                message += QString::fromStdString(std::string(ConfigurationKey(*field)));
            Fail(ExitCode::EntryRefused, refusal.textNumber, message);
            return std::nullopt;
        }
        return check.write;
    }

    // After the unit's configuration was read: the checks once more with what it reported, the
    // fields the write changes, and the question.
    void Decide()
    {
        const InverterData &unit = Session().Data();
        const auto held = static_cast<std::uint8_t>(unit.CountryCode());
        const auto write = Check(FileCountryCodes(recordCount_, held), unit);
        if (!write)
            return;
        write_ = *write;
        Json groups = Json::Array();
        for (std::size_t i = 0; i < options_.groups.size(); ++i) {
            if (options_.groups[i])
                groups.Push(Json::String(std::string(GroupWords[i])));
        }
        Out().Show("file", Json::String(options_.file.string()));
        Out().Show("groups", std::move(groups));
        Out().Show("fingerprint", Json::String(ConfigurationFingerprint(values_)));
        const ConfigurationPanelTexts now = ReadConfigurationTexts(unit, services_.format);
        const ConfigurationPanelTexts file = ConfigurationEntryTexts(values_, services_.format);
        Json changes = Json::Array();
        for (const int field : ChangedFields(now, values_, options_.groups, services_.format))
            changes.Push(Json::Object()
                             .Add("key", Json::String(std::string(ConfigurationKey(field))))
                             .Add("inverter", Json::String(PanelFieldText(now, field)))
                             .Add("file", Json::String(PanelFieldText(file, field))));
        if (changes.Items().empty())
            Out().Say(text::NoneDiffer, Text(text::NoneDiffer));
        else
            Out().Say(text::WriteChanges, Text(text::WriteChanges));
        Out().Show("changes", changes);

        QString question;
        // A code the list does not offer is replaced only when agreed, as the window asks.
        if (ReplacesUnlistedCountry(write_, held,
                                    ListedCountryCodes(CountryListLength, recordCount_))) {
            question = Text(text::ReplaceUnlistedCountry)
                           .arg(QString::number(held), QString::number(write_.countryCode));
            if (options_.confirmed)
                Out().Say(text::ReplaceUnlistedCountry, question);
            question += u'\n';
        }
        if (options_.confirmed) {
            GiveIntent([this] { Write(); });
            return;
        }
        Out().Ask(question + Text(text::ConfirmWrite), Json::Object().Add("changes", changes));
        answer_.Await();
    }

    void Answered(const QString &line)
    {
        if (!AnswerAgrees(line)) {
            Fail(ExitCode::NotDone, text::NothingWritten);
            return;
        }
        GiveIntent([this] { Write(); });
    }

    void Write() { Session().WriteConfiguration(write_); }

    void Written()
    {
        acknowledged_ = true;
        if (services_.recorder == nullptr)
            SayWritten(true);
        readBack_ = true;
        GiveIntent([this] { Session().ReadConfiguration(); });
    }

    // The window's message for a write done: 129, or 286 when its record did not commit.
    void SayWritten(bool recorded)
    {
        if (said_)
            return;
        said_ = true;
        const int number
            = recorded ? OutcomeTextNumber(ExchangeOutcome::WriteDone) : text::WriteNotRecorded;
        Out().Say(number, Text(number));
    }

    void CheckReadBack()
    {
        const auto differences
            = ReadBackDifferences(options_.groups, written_, Session().Store().Image());
        Json shown = Json::Array();
        QString listed;
        for (const RegisterDifference &d : differences) {
            char words[32];
            std::snprintf(words, sizeof words, "%04X %04X->%04X", d.reg, d.written, d.read);
            listed += (listed.isEmpty() ? "" : ", ") + QString::fromLatin1(words);
            std::snprintf(words, sizeof words, "%04X", d.reg);
            const std::string reg = words;
            std::snprintf(words, sizeof words, "%04X", d.written);
            const std::string written = words;
            std::snprintf(words, sizeof words, "%04X", d.read);
            shown.Push(Json::Object()
                           .Add("register", Json::String(reg))
                           .Add("written", Json::String(written))
                           .Add("read", Json::String(words)));
        }
        Out().Show("read_back", differences.empty() ? Json::String("equal") : shown);
        if (!differences.empty()) {
            Fail(ExitCode::ReadBackDiffers, text::ReadBackDiffers,
                 Substitute(Text(text::ReadBackDiffers), {listed}));
            return;
        }
        End();
    }

    const Options options_;
    CountryListCaptions captions_;
    std::string bytes_;
    int recordCount_ = 0;
    ConfigurationValues values_;
    ConfigurationWrite write_;
    RegisterImage written_;
    bool readBack_ = false;
    bool acknowledged_ = false;
    bool said_ = false;
    StdinAnswer answer_;
};

} // namespace

std::unique_ptr<CommandRun> MakeWriteConfiguration(const Services &services, const Options &options)
{
    auto run = std::make_unique<WriteRun>(services, options);
    if (!run->Prepare())
        return nullptr;
    return run;
}

} // namespace pv::cli
