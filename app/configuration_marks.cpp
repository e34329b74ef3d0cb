// The configuration panel's entries by file field: the marks Compare leaves on those that differ
// from a file, and the row of the file buttons.

#include "configuration_panel.h"

#include "form1_layout.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>

#include <algorithm>
#include <array>

namespace pv {
namespace {

// The file buttons' captions: CommandSave, CommandLoad, CommandCompare.
constexpr int SaveText = 230;
constexpr int LoadText = 231;
constexpr int CompareText = 232;

// The captions of the file buttons shrink to this size at most, in steps, to fit their row.
constexpr qreal SmallestCaptionPoints = 6.5;
constexpr qreal CaptionPointStep = 0.5;
// The button's frame and a little air on either side of its caption.
constexpr int CaptionInsetPx = 5;

// How Compare marks what differs: a warm background that reads on every style.
constexpr auto MarkStyle = "background-color: #FFC864;";

void Mark(QWidget *control, bool differs)
{
    if (control->property(DiffersFromFileProperty).toBool() == differs)
        return;
    control->setProperty(DiffersFromFileProperty, differs);
    control->setStyleSheet(differs ? QString::fromLatin1(MarkStyle) : QString());
}

} // namespace

void ConfigurationPanel::ConnectMarks()
{
    // Any change of an entry, by hand or by the program, takes its mark away.
    for (int field = 0; field < ConfigurationFieldCount; ++field) {
        const std::vector<QWidget *> controls = FieldControls(field);
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

void ConfigurationPanel::ApplyFileCaptions()
{
    const Form1Controls &ui = context_.ui;
    // The row is shared by the captions' widths; captions that run longer than the row (a wide
    // font, a long language) get a smaller font rather than being cut.
    const std::array<QPushButton *, 3> buttons{ui.CommandSave, ui.CommandLoad, ui.CommandCompare};
    const std::array<QString, 3> captions{context_.Text(SaveText), context_.Text(LoadText),
                                          context_.Text(CompareText)};
    const int room
        = Px(layout::FileButtonsRight - layout::FileButtonsLeft - 2 * layout::FileButtonGap);
    QFont font = ui.Frame1[MenuConfigurations]->font();
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

std::vector<QWidget *> ConfigurationPanel::FieldControls(int field) const
{
    const Form1Controls &ui = context_.ui;
    if (field < GridLimitEntryCount)
        return {ui.Text7.at(static_cast<std::size_t>(field))};
    switch (field) {
    case SleepPowerField:
        return {ui.Text5};
    case RatedPowerField:
        return {ui.Text6};
    case RetryTimeField:
        return {ui.Text8};
    case CountryCodeField:
        return {ui.Combo2};
    case DcInputField:
        return {ui.Option1[0], ui.Option1[1], ui.Check2[0]};
    case CommunicationField:
        return {ui.Option2[0], ui.Option2[1], ui.Check2[1]};
    default:
        return {ui.Check2.at(static_cast<std::size_t>(field - FirstFlagField))};
    }
}

void ConfigurationPanel::MarkDiffering(const std::vector<int> &fields)
{
    for (int field : fields) {
        for (QWidget *control : FieldControls(field))
            Mark(control, true);
    }
}

void ConfigurationPanel::ClearMarks()
{
    for (int field = 0; field < ConfigurationFieldCount; ++field) {
        for (QWidget *control : FieldControls(field))
            Mark(control, false);
    }
}

} // namespace pv
