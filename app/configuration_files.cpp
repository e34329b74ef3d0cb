// The configuration panel's files: Save writes what the panel shows, Load fills the entries from
// a file as if they had been typed (nothing is ticked, nothing is sent), Compare marks the
// entries that differ from a file. The files themselves are settings/configuration_file's.

#include "configuration_panel.h"

#include "language/language_table.h"
#include "link/text_numbers.h"
#include "platform/file_dialog.h"
#include "platform/files.h"

#include <QDateTime>
#include <QSaveFile>

#include <array>

namespace pv {
namespace {

// Language texts of the configuration files.
constexpr int SaveTitleText = 233;
constexpr int OpenTitleText = 234;
constexpr int FilesFilterText = 235;
constexpr int AllFilesFilterText = 236;
constexpr int EmptyPanelText = 237;
constexpr int NotComparedText = 242; // %1 the line, %2 the reason
constexpr int LoadedText = 256;
constexpr int NoReadToCompareText = 257;
constexpr int DifferingText = 258; // %1 how many

// The dialogs offer the configuration files first, and every file.
QString FileFilter(const QString &configurationFiles, const QString &allFiles)
{
    return configurationFiles + QStringLiteral(" (*.pvcfg);;") + allFiles + QStringLiteral(" (*)");
}

QString PathText(const std::filesystem::path &path)
{
    return QString::fromStdU16String(path.u16string());
}

QString Utf8(const std::string &text)
{
    return QString::fromStdString(text);
}

} // namespace

ConfigurationPanelTexts ConfigurationPanel::PanelNow() const
{
    const Form1Controls &ui = context_.ui;
    ConfigurationPanelTexts panel;
    for (std::size_t i = 0; i < ui.Text7.size(); ++i)
        panel.limits[i] = ui.Text7[i]->text().toStdString();
    panel.sleepPower = ui.Text5->text().toStdString();
    panel.ratedPower = ui.Text6->text().toStdString();
    panel.retryTime = ui.Text8->text().toStdString();
    // Own settings stand for the unit's own code when the list does not offer that code: a file
    // keeps the code the unit reported, not the 255 a write would send in its place.
    panel.countryCode = selectedCountryCode_ == OwnSettingsCode && unlistedCountryCode_
                            ? unlistedCountryCode_
                            : selectedCountryCode_;
    for (std::size_t i = 0; i < ui.Check2.size(); ++i)
        panel.flags[i] = ui.Check2[i]->isChecked();
    return panel;
}

// The codes the country list can choose now, one per list position.
std::vector<std::uint8_t> ConfigurationPanel::ListedCountryCodes() const
{
    return pv::ListedCountryCodes(context_.ui.Combo2->count(), countryRecordCount_);
}

QString ConfigurationPanel::Reason(const ConfigurationProblem &problem) const
{
    return Substitute(
        context_.Text(ConfigurationFaultText(problem.fault)),
        {Utf8(problem.key), Utf8(problem.value), Utf8(problem.first), Utf8(problem.second)});
}

void ConfigurationPanel::CommandSave_Click()
{
    if (!ControlsFree())
        return;
    const PanelReading reading = ReadConfigurationPanel(PanelNow(), context_.services.numberFormat);
    if (!reading.values) {
        RefuseSave(reading.problem);
        return;
    }
    const QString filter
        = FileFilter(context_.Text(FilesFilterText), context_.Text(AllFilesFilterText));
    const auto path = context_.services.files.SaveFileName(context_.Text(SaveTitleText), filter);
    if (!path)
        return;
    const ConfigurationFileHeader header = ConfigurationHeaderFor(
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toStdString(),
        read_, PanelNow());
    const std::string file = FormatConfigurationFile(*reading.values, header);
    // Only a plain file is replaced: a FIFO, device or folder under the name is left alone.
    if (!IsPlainFileOrAbsent(*path)) {
        context_.services.messages.ShowMessage(
            Substitute(context_.Text(text::NotPlainFile), {PathText(*path)}));
        return;
    }
    // Written beside the old file and put in its place at the end: a failed save leaves the
    // file that was there whole.
    QSaveFile out(PathText(*path));
    if (!out.open(QIODevice::WriteOnly)
        || out.write(file.data(), static_cast<qint64>(file.size()))
               != static_cast<qint64>(file.size())
        || !out.commit())
        context_.services.messages.ShowMessage(
            Substitute(context_.Text(text::FileNotWritten), {PathText(*path)}));
}

void ConfigurationPanel::RefuseSave(const ConfigurationProblem &problem)
{
    const Form1Controls &ui = context_.ui;
    QWidget *entry = problem.field >= 0 ? FieldControls(problem.field).front() : nullptr;
    QString caption;
    if (problem.field >= 0 && problem.field < GridLimitEntryCount)
        caption = ui.Label8
                      .at(static_cast<std::size_t>(
                          GridLimitLabels.at(static_cast<std::size_t>(problem.field))))
                      ->text();
    else if (problem.field == SleepPowerField)
        caption = ui.Check1[SleepPowerGroup]->text();
    else if (problem.field == RatedPowerField)
        caption = ui.Check1[RatedPowerGroup]->text();
    else if (problem.field == RetryTimeField)
        caption = ui.Check1[RetryTimeGroup]->text();
    switch (problem.fault) {
    case ConfigurationFault::EmptyPanel:
        context_.ShowMessage(EmptyPanelText);
        break;
    case ConfigurationFault::EmptyEntry:
        // As the write says it: text 133 and the entry's caption.
        context_.services.messages.ShowMessage(context_.Text(text::EntryEmpty) + caption);
        break;
    case ConfigurationFault::NoCountry:
        context_.ShowMessage(text::NoCountry);
        break;
    default:
        context_.services.messages.ShowMessage(
            Substitute(context_.Text(text::NotSaved), {caption, Reason(problem)}));
        break;
    }
    if (entry != nullptr)
        entry->setFocus();
}

// The file the technician chooses, read and checked whole; nothing when it was cancelled or
// refused (the message says why, in refusalText with the line, or in its counterpart without
// one for a fault of the whole file).
std::optional<ConfigurationValues> ConfigurationPanel::OpenFile(int refusalText)
{
    const QString filter
        = FileFilter(context_.Text(FilesFilterText), context_.Text(AllFilesFilterText));
    const auto path = context_.services.files.OpenFileName(context_.Text(OpenTitleText), filter);
    if (!path)
        return std::nullopt;
    // Never more than one byte past the largest file taken: a huge file, or a device that never
    // ends, is not read whole. A FIFO is refused without waiting for a writer.
    const PlainFileReading file = ReadPlainFile(*path, MaxConfigurationFileBytes + 1);
    if (file.opening != FileOpening::Opened) {
        const int message
            = file.opening == FileOpening::NotPlainFile ? text::NotPlainFile : text::FileNotRead;
        context_.services.messages.ShowMessage(
            Substitute(context_.Text(message), {PathText(*path)}));
        return std::nullopt;
    }
    // The codes the list offers, and the one the connected unit reported at its read when the
    // list does not offer it: a file saved from that unit's panel loads again.
    std::vector<std::uint8_t> codes = ListedCountryCodes();
    if (unlistedCountryCode_)
        codes.push_back(*unlistedCountryCode_);
    const ConfigurationFileReading reading
        = ParseConfigurationFile(file.bytes, codes, context_.services.numberFormat);
    if (!reading.values) {
        const QString reason = Reason(reading.problem);
        if (reading.problem.line == 0) {
            const int wholeFileText = refusalText == text::FileNotLoadedAt ? text::FileNotLoaded
                                                                           : text::FileNotCompared;
            context_.services.messages.ShowMessage(
                Substitute(context_.Text(wholeFileText), {reason}));
        } else {
            context_.services.messages.ShowMessage(Substitute(
                context_.Text(refusalText), {QString::number(reading.problem.line), reason}));
        }
        return std::nullopt;
    }
    return reading.values;
}

void ConfigurationPanel::CommandLoad_Click()
{
    if (!ControlsFree())
        return;
    const auto values = OpenFile(text::FileNotLoadedAt);
    if (!values)
        return;
    ShowValues(*values);
    fromRead_ = false;
    read_.reset();
    context_.ShowMessage(LoadedText);
    if (!CountryCodeListed(values->countryCode))
        ShowUnlistedCountry(values->countryCode);
}

void ConfigurationPanel::ShowValues(const ConfigurationValues &values)
{
    const Form1Controls &ui = context_.ui;
    // The handlers of the flag boxes and options tick the Country group as a technician's click
    // does; a loaded file ticks nothing, so the groups are put back as they were.
    std::array<bool, 4> groups{};
    for (std::size_t i = 0; i < groups.size(); ++i)
        groups[i] = ui.Check1[i]->isChecked();
    ClearMarks();
    // The country first, as a read does: its preset fills the entries, the file's values then
    // overwrite them. The file's code is one the list can choose, or the unit's own code that
    // the list does not offer, which own settings stand for (no country without that position).
    const int position = CountryToListIndex(values.countryCode, countryRecordCount_);
    if (position < ui.Combo2->count())
        ui.Combo2->setCurrentIndex(position);
    else
        ui.Combo2->SetText(QString());
    Combo2_Click();
    const ConfigurationPanelTexts texts
        = ConfigurationEntryTexts(values, context_.services.numberFormat);
    for (std::size_t i = 0; i < ui.Text7.size(); ++i)
        ui.Text7[i]->setText(Utf8(texts.limits[i]));
    ui.Text5->setText(Utf8(texts.sleepPower));
    ui.Text6->setText(Utf8(texts.ratedPower));
    ui.Text8->setText(Utf8(texts.retryTime));
    for (std::size_t i = 0; i < ui.Check2.size(); ++i)
        ui.Check2[i]->setChecked(values.flags[i]);
    ui.Option1[values.flags[0] ? 1 : 0]->SetValue(true);
    ui.Option2[values.flags[1] ? 1 : 0]->SetValue(true);
    for (std::size_t i = 0; i < groups.size(); ++i)
        ui.Check1[i]->setChecked(groups[i]);
}

void ConfigurationPanel::CommandCompare_Click()
{
    if (!ControlsFree())
        return;
    if (!fromRead_) {
        context_.ShowMessage(NoReadToCompareText);
        return;
    }
    const auto values = OpenFile(NotComparedText);
    if (!values)
        return;
    ClearMarks();
    const std::vector<int> differing
        = CompareConfiguration(PanelNow(), *values, context_.services.numberFormat);
    MarkDiffering(differing);
    const QString result = differing.empty() ? context_.Text(text::NoneDiffer)
                                             : Substitute(context_.Text(DifferingText),
                                                          {QString::number(differing.size())});
    // The fingerprint of what the file holds, as a commissioning report names it: the file's own
    // header line may have been edited by hand, its settings are what was compared.
    context_.services.messages.ShowMessage(
        result + u'\n'
        + Substitute(context_.Text(text::Fingerprint), {Utf8(ConfigurationFingerprint(*values))}));
}

} // namespace pv
