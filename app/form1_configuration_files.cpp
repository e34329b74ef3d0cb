// The configuration panel's files: Save writes what the panel shows, Load fills the entries from
// a file as if they had been typed (nothing is ticked, nothing is sent), Compare marks the
// entries that differ from a file. The files themselves are settings/configuration_file's.

#include "form1.h"

#include "form1_layout.h"

#include "link/text_numbers.h"
#include "platform/file_dialog.h"
#include "platform/files.h"
#include "platform/message_box.h"

#include <QDateTime>
#include <QSaveFile>

#include <algorithm>
#include <initializer_list>
#include <utility>

namespace pv {
namespace {

// Language texts of the configuration files.
constexpr int SaveText = 230; // CommandSave, CommandLoad, CommandCompare
constexpr int LoadText = 231;
constexpr int CompareText = 232;
constexpr int SaveTitleText = 233;
constexpr int OpenTitleText = 234;
constexpr int FilesFilterText = 235;
constexpr int AllFilesFilterText = 236;
constexpr int EmptyPanelText = 237;
constexpr int NotSavedText = 238;    // %1 the entry's caption, %2 the reason
constexpr int NotWrittenText = 239;  // %1 the file
constexpr int NotReadText = 240;     // %1 the file
constexpr int NotLoadedText = 241;   // %1 the line, %2 the reason
constexpr int NotComparedText = 242; // %1 the line, %2 the reason
constexpr int LoadedText = 256;
constexpr int NoReadToCompareText = 257;
constexpr int DifferingText = 258; // %1 how many
constexpr int NoneDifferText = 259;

// The reasons, with %1 the key, %2 the value, %3 and %4 the bounds, the length or the choices.
int ReasonText(ConfigurationFault fault)
{
    switch (fault) {
    case ConfigurationFault::UnknownKey:
        return 243;
    case ConfigurationFault::RepeatedKey:
        return 244;
    case ConfigurationFault::MissingKey:
        return 245;
    case ConfigurationFault::NotKeyValue:
        return 246;
    case ConfigurationFault::NotNumber:
        return 247;
    case ConfigurationFault::NotWhole:
        return 248;
    case ConfigurationFault::FinerThanUnit:
        return 284;
    case ConfigurationFault::OutOfRange:
        return 249;
    case ConfigurationFault::OutOfRangeAboveLow:
        return 250;
    case ConfigurationFault::TooLong:
        return 251;
    case ConfigurationFault::NotChoice:
        return 252;
    case ConfigurationFault::NotText:
        return 253;
    case ConfigurationFault::EmptyFile:
        return 254;
    case ConfigurationFault::TooLarge:
        return 255;
    case ConfigurationFault::None:
    case ConfigurationFault::EmptyPanel:
    case ConfigurationFault::EmptyEntry:
    case ConfigurationFault::NoCountry:
        break;
    }
    return text::EntryRefused;
}

// The dialogs offer the configuration files first, and every file.
QString FileFilter(const QString &configurationFiles, const QString &allFiles)
{
    return configurationFiles + QStringLiteral(" (*.pvcfg);;") + allFiles + QStringLiteral(" (*)");
}

// The captions of the file buttons shrink to this size at most, in steps, to fit their row.
constexpr qreal SmallestCaptionPoints = 6.5;
constexpr qreal CaptionPointStep = 0.5;
// The button's frame and a little air on either side of its caption.
constexpr int CaptionInsetPx = 5;

// How Compare marks what differs: a warm background that reads on every style.
constexpr auto MarkStyle = "background-color: #FFC864;";

// Puts args[n - 1] in place of every %n of pattern, in one pass, so that a translation may use
// the markers in any order (or leave one out) and a value holding "%2" stays as it is.
QString Substitute(const QString &pattern, std::initializer_list<QString> args)
{
    QString result;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const qsizetype marker
            = pattern[i] == u'%' && i + 1 < pattern.size() ? pattern[i + 1].digitValue() : -1;
        if (marker >= 1 && marker <= static_cast<qsizetype>(args.size())) {
            result += *(args.begin() + (marker - 1));
            ++i;
        } else {
            result += pattern[i];
        }
    }
    return result;
}

QString PathText(const std::filesystem::path &path)
{
    return QString::fromStdU16String(path.u16string());
}

QString Utf8(const std::string &text)
{
    return QString::fromStdString(text);
}

void Mark(QWidget *control, bool differs)
{
    if (control->property(DiffersFromFileProperty).toBool() == differs)
        return;
    control->setProperty(DiffersFromFileProperty, differs);
    control->setStyleSheet(differs ? QString::fromLatin1(MarkStyle) : QString());
}

} // namespace

void Form1::ConnectConfigurationFiles()
{
    connect(ui_.CommandSave, &QPushButton::clicked, this, [this] { CommandSave_Click(); });
    connect(ui_.CommandLoad, &QPushButton::clicked, this, [this] { CommandLoad_Click(); });
    connect(ui_.CommandCompare, &QPushButton::clicked, this, [this] { CommandCompare_Click(); });
    connect(ui_.Combo1, &QComboBox::activated, this,
            [this](int index) { ConfigurationPortChosen(index); });
    // Any change of an entry, by hand or by the program, takes its mark away.
    for (int field = 0; field < ConfigurationFieldCount; ++field) {
        const std::vector<QWidget *> controls = ConfigurationFieldControls(field);
        const auto unmark = [controls] {
            for (QWidget *control : controls)
                Mark(control, false);
        };
        for (QWidget *control : controls) {
            if (auto *entry = qobject_cast<QLineEdit *>(control))
                connect(entry, &QLineEdit::textChanged, this, unmark);
            else if (auto *list = qobject_cast<QComboBox *>(control))
                connect(list, &QComboBox::currentIndexChanged, this, unmark);
            else if (auto *box = qobject_cast<QAbstractButton *>(control))
                connect(box, &QAbstractButton::toggled, this, unmark);
        }
    }
}

void Form1::ApplyConfigurationFileCaptions()
{
    // The row is shared by the captions' widths; captions that run longer than the row (a wide
    // font, a long language) get a smaller font rather than being cut.
    const std::array<QPushButton *, 3> buttons{ui_.CommandSave, ui_.CommandLoad,
                                               ui_.CommandCompare};
    const std::array<QString, 3> captions{LanguageText(SaveText), LanguageText(LoadText),
                                          LanguageText(CompareText)};
    const int room
        = Px(layout::FileButtonsRight - layout::FileButtonsLeft - 2 * layout::FileButtonGap);
    QFont font = ui_.Frame1[MenuConfigurations]->font();
    std::array<int, 3> needed{};
    int total = 0;
    for (;;) {
        const QFontMetrics metrics(font);
        total = 0;
        for (std::size_t i = 0; i < buttons.size(); ++i) {
            needed[i] = metrics.horizontalAdvance(captions[i]) + 2 * CaptionInsetPx;
            total += needed[i];
        }
        if (total <= room || font.pointSizeF() <= SmallestCaptionPoints)
            break;
        font.setPointSizeF(font.pointSizeF() - CaptionPointStep);
    }
    const int spare = std::max(0, room - total) / static_cast<int>(buttons.size());
    int left = Px(layout::FileButtonsLeft);
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        buttons[i]->setFont(font);
        buttons[i]->setText(captions[i]);
        const int width = std::min(needed[i] + spare, room);
        buttons[i]->setGeometry(left, buttons[i]->y(), width, buttons[i]->height());
        left += width + Px(layout::FileButtonGap);
    }
}

std::vector<QWidget *> Form1::ConfigurationFieldControls(int field) const
{
    if (field < GridLimitEntryCount)
        return {ui_.Text7.at(static_cast<std::size_t>(field))};
    switch (field) {
    case SleepPowerField:
        return {ui_.Text5};
    case RatedPowerField:
        return {ui_.Text6};
    case RetryTimeField:
        return {ui_.Text8};
    case CountryCodeField:
        return {ui_.Combo2};
    case DcInputField:
        return {ui_.Option1[0], ui_.Option1[1], ui_.Check2[0]};
    case CommunicationField:
        return {ui_.Option2[0], ui_.Option2[1], ui_.Check2[1]};
    default:
        return {ui_.Check2.at(static_cast<std::size_t>(field - FirstFlagField))};
    }
}

ConfigurationPanelTexts Form1::ConfigurationPanelNow() const
{
    ConfigurationPanelTexts panel;
    for (std::size_t i = 0; i < ui_.Text7.size(); ++i)
        panel.limits[i] = ui_.Text7[i]->text().toStdString();
    panel.sleepPower = ui_.Text5->text().toStdString();
    panel.ratedPower = ui_.Text6->text().toStdString();
    panel.retryTime = ui_.Text8->text().toStdString();
    // Own settings stand for the unit's own code when the list does not offer that code: a file
    // keeps the code the unit reported, not the 255 a write would send in its place.
    panel.countryCode = selectedCountryCode_ == OwnSettingsCode && unlistedCountryCode_
                            ? unlistedCountryCode_
                            : selectedCountryCode_;
    for (std::size_t i = 0; i < ui_.Check2.size(); ++i)
        panel.flags[i] = ui_.Check2[i]->isChecked();
    return panel;
}

// The codes the country list can choose now, one per list position.
std::vector<std::uint8_t> Form1::ListedCountryCodes() const
{
    std::vector<std::uint8_t> codes;
    for (int position = 0; position < ui_.Combo2->count(); ++position) {
        if (const auto code = ChoiceAtPosition(position, values_.CountryRecordCount).code)
            codes.push_back(*code);
    }
    return codes;
}

QString Form1::ConfigurationReason(const ConfigurationProblem &problem) const
{
    return Substitute(
        LanguageText(ReasonText(problem.fault)),
        {Utf8(problem.key), Utf8(problem.value), Utf8(problem.first), Utf8(problem.second)});
}

void Form1::CommandSave_Click()
{
    if (!ConfigurationControlsFree())
        return;
    const PanelReading reading
        = ReadConfigurationPanel(ConfigurationPanelNow(), services_.numberFormat);
    if (!reading.values) {
        RefuseConfigurationSave(reading.problem);
        return;
    }
    const QString filter
        = FileFilter(LanguageText(FilesFilterText), LanguageText(AllFilesFilterText));
    const auto path = services_.files.SaveFileName(LanguageText(SaveTitleText), filter);
    if (!path)
        return;
    const ConfigurationFileHeader header = ConfigurationHeaderFor(
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toStdString(),
        configurationRead_, ConfigurationPanelNow());
    const std::string file = FormatConfigurationFile(*reading.values, header);
    // Only a plain file is replaced: a FIFO, device or folder under the name is left alone.
    if (!IsPlainFileOrAbsent(*path)) {
        services_.messages.ShowMessage(
            Substitute(LanguageText(text::NotPlainFile), {PathText(*path)}));
        return;
    }
    // Written beside the old file and put in its place at the end: a failed save leaves the
    // file that was there whole.
    QSaveFile out(PathText(*path));
    if (!out.open(QIODevice::WriteOnly)
        || out.write(file.data(), static_cast<qint64>(file.size()))
               != static_cast<qint64>(file.size())
        || !out.commit())
        services_.messages.ShowMessage(Substitute(LanguageText(NotWrittenText), {PathText(*path)}));
}

void Form1::RefuseConfigurationSave(const ConfigurationProblem &problem)
{
    QWidget *entry
        = problem.field >= 0 ? ConfigurationFieldControls(problem.field).front() : nullptr;
    QString caption;
    if (problem.field >= 0 && problem.field < GridLimitEntryCount)
        caption = ui_.Label8
                      .at(static_cast<std::size_t>(
                          GridLimitLabels.at(static_cast<std::size_t>(problem.field))))
                      ->text();
    else if (problem.field == SleepPowerField)
        caption = ui_.Check1[SleepPowerGroup]->text();
    else if (problem.field == RatedPowerField)
        caption = ui_.Check1[RatedPowerGroup]->text();
    else if (problem.field == RetryTimeField)
        caption = ui_.Check1[RetryTimeGroup]->text();
    switch (problem.fault) {
    case ConfigurationFault::EmptyPanel:
        ShowMessage(EmptyPanelText);
        break;
    case ConfigurationFault::EmptyEntry:
        // As the write says it: text 133 and the entry's caption.
        services_.messages.ShowMessage(LanguageText(text::EntryEmpty) + caption);
        break;
    case ConfigurationFault::NoCountry:
        ShowMessage(text::NoCountry);
        break;
    default:
        services_.messages.ShowMessage(
            Substitute(LanguageText(NotSavedText), {caption, ConfigurationReason(problem)}));
        break;
    }
    if (entry != nullptr)
        entry->setFocus();
}

// The file the technician chooses, read and checked whole; nothing when it was cancelled or
// refused (the message says why, in refusalText with the line, or in its counterpart without
// one for a fault of the whole file).
std::optional<ConfigurationValues> Form1::OpenConfigurationFile(int refusalText)
{
    const QString filter
        = FileFilter(LanguageText(FilesFilterText), LanguageText(AllFilesFilterText));
    const auto path = services_.files.OpenFileName(LanguageText(OpenTitleText), filter);
    if (!path)
        return std::nullopt;
    // Never more than one byte past the largest file taken: a huge file, or a device that never
    // ends, is not read whole. A FIFO is refused without waiting for a writer.
    const PlainFileReading file = ReadPlainFile(*path, MaxConfigurationFileBytes + 1);
    if (file.opening != FileOpening::Opened) {
        const int message
            = file.opening == FileOpening::NotPlainFile ? text::NotPlainFile : NotReadText;
        services_.messages.ShowMessage(Substitute(LanguageText(message), {PathText(*path)}));
        return std::nullopt;
    }
    // The codes the list offers, and the one the connected unit reported at its read when the
    // list does not offer it: a file saved from that unit's panel loads again.
    std::vector<std::uint8_t> codes = ListedCountryCodes();
    if (unlistedCountryCode_)
        codes.push_back(*unlistedCountryCode_);
    const ConfigurationFileReading reading
        = ParseConfigurationFile(file.bytes, codes, services_.numberFormat);
    if (!reading.values) {
        const QString reason = ConfigurationReason(reading.problem);
        if (reading.problem.line == 0) {
            const int wholeFileText
                = refusalText == NotLoadedText ? text::FileNotLoaded : text::FileNotCompared;
            services_.messages.ShowMessage(Substitute(LanguageText(wholeFileText), {reason}));
        } else {
            services_.messages.ShowMessage(Substitute(
                LanguageText(refusalText), {QString::number(reading.problem.line), reason}));
        }
        return std::nullopt;
    }
    return reading.values;
}

void Form1::CommandLoad_Click()
{
    if (!ConfigurationControlsFree())
        return;
    const auto values = OpenConfigurationFile(NotLoadedText);
    if (!values)
        return;
    ShowConfigurationValues(*values);
    configurationFromRead_ = false;
    configurationRead_.reset();
    ShowMessage(LoadedText);
    if (!CountryCodeListed(values->countryCode))
        ShowUnlistedCountry(values->countryCode);
}

void Form1::ShowConfigurationValues(const ConfigurationValues &values)
{
    // The handlers of the flag boxes and options tick the Country group as a technician's click
    // does; a loaded file ticks nothing, so the groups are put back as they were.
    std::array<bool, 4> groups{};
    for (std::size_t i = 0; i < groups.size(); ++i)
        groups[i] = ui_.Check1[i]->isChecked();
    ClearConfigurationMarks();
    // The country first, as a read does: its preset fills the entries, the file's values then
    // overwrite them. The file's code is one the list can choose, or the unit's own code that
    // the list does not offer, which own settings stand for (no country without that position).
    const int position = CountryToListIndex(values.countryCode, values_.CountryRecordCount);
    if (position < ui_.Combo2->count())
        ui_.Combo2->setCurrentIndex(position);
    else
        ui_.Combo2->SetText(QString());
    Combo2_Click();
    const ConfigurationPanelTexts texts = ConfigurationEntryTexts(values, services_.numberFormat);
    for (std::size_t i = 0; i < ui_.Text7.size(); ++i)
        ui_.Text7[i]->setText(Utf8(texts.limits[i]));
    ui_.Text5->setText(Utf8(texts.sleepPower));
    ui_.Text6->setText(Utf8(texts.ratedPower));
    ui_.Text8->setText(Utf8(texts.retryTime));
    for (std::size_t i = 0; i < ui_.Check2.size(); ++i)
        ui_.Check2[i]->setChecked(values.flags[i]);
    ui_.Option1[values.flags[0] ? 1 : 0]->SetValue(true);
    ui_.Option2[values.flags[1] ? 1 : 0]->SetValue(true);
    for (std::size_t i = 0; i < groups.size(); ++i)
        ui_.Check1[i]->setChecked(groups[i]);
}

void Form1::CommandCompare_Click()
{
    if (!ConfigurationControlsFree())
        return;
    if (!configurationFromRead_) {
        ShowMessage(NoReadToCompareText);
        return;
    }
    const auto values = OpenConfigurationFile(NotComparedText);
    if (!values)
        return;
    ClearConfigurationMarks();
    const std::vector<int> differing
        = CompareConfiguration(ConfigurationPanelNow(), *values, services_.numberFormat);
    for (int field : differing) {
        for (QWidget *control : ConfigurationFieldControls(field))
            Mark(control, true);
    }
    if (differing.empty())
        ShowMessage(NoneDifferText);
    else
        services_.messages.ShowMessage(
            Substitute(LanguageText(DifferingText), {QString::number(differing.size())}));
}

void Form1::ClearConfigurationMarks()
{
    for (int field = 0; field < ConfigurationFieldCount; ++field) {
        for (QWidget *control : ConfigurationFieldControls(field))
            Mark(control, false);
    }
}

} // namespace pv
