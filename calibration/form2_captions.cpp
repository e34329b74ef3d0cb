// The calibration window's captions in the chosen language.

#include "form2.h"

#include "language/caption_targets.h"
#include "language/language_table.h"

#include <utility>

namespace pv {
namespace {

constexpr int TitleText = 1;
constexpr int WriteText = 16;
constexpr int ReadText = 17;
constexpr int CalculateGainText = 18;

// Frame1 index and its text; Frame1(8) and Frame1(9) have no caption.
constexpr std::pair<int, int> FrameTexts[]
    = {{0, 71}, {1, 72}, {2, 73}, {3, 76}, {4, 74}, {5, 75}, {6, 77}, {7, 97}, {10, 98}, {11, 99}};

// Label1 indices by caption.
constexpr int MeterText = 78;
constexpr int MeterLabels[] = {2, 5, 8, 9, 10, 15, 16};
constexpr int LcdText = 79;
constexpr int LcdLabels[] = {3, 4, 11, 14, 17};
constexpr int LowerPointText = 80; // "150"
constexpr int LowerPointLabels[] = {0, 7};
constexpr int UpperPointText = 81; // "300"
constexpr int UpperPointLabels[] = {1, 6};
constexpr int GainText = 88;
constexpr int GainLabels[] = {12, 13, 18};

} // namespace

void Form2::ApplyCaptions()
{
    if (!services_.captionTargets.Calibration())
        return;
    const LanguageTable &texts = services_.texts;
    setWindowTitle(texts.Text(TitleText));
    ui_.Command1->setText(texts.Text(WriteText));
    ui_.Command2->setText(texts.Text(ReadText));
    ui_.Command4->setText(texts.Text(CalculateGainText));
    ui_.Command5->setText(texts.Text(WriteText));
    for (const auto &[frame, number] : FrameTexts)
        ui_.Frame1[frame]->setTitle(texts.Text(number));

    const std::pair<std::span<const int>, int> labelTexts[] = {{MeterLabels, MeterText},
                                                               {LcdLabels, LcdText},
                                                               {LowerPointLabels, LowerPointText},
                                                               {UpperPointLabels, UpperPointText},
                                                               {GainLabels, GainText}};
    for (const auto &[labels, number] : labelTexts) {
        for (int label : labels)
            ui_.Label1[label]->setText(texts.Text(number));
    }
}

} // namespace pv
