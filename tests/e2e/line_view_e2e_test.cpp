// The line recorder behind the real serial port and the inverter-sim program, on a plain line and
// on a two-wire RS-485 adapter that echoes every request: the readings come without a message,
// round trips run to the arrival of the last byte, and the word about an echoing adapter.
#include "app/line_view.h"
#include "support/e2e_fixture.h"

#include <QLabel>

namespace pv {
namespace {

using namespace test;

struct RecordedLine
{
    const char *name;
    QStringList options;
    std::vector<LineHint> hints;
};

class LineViewLink : public Form1LinkTest, public ::testing::WithParamInterface<RecordedLine>
{
};

TEST_P(LineViewLink, RoundTripsRunToTheArrivalAndTheHintsNameTheLine)
{
    StartSimulator(GetParam().options);
    ASSERT_TRUE(WaitGoodWithReadings()) << Seen();
    const LineRecorder &line = form_->Line();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return line.Counters().goodReplies >= LineRecorder::HintWindow; }, LimitMs));
    const RoundTripFigures figures = line.RoundTrip();
    EXPECT_FALSE(figures.measuredAtTake) << "the real port tells when the bytes arrived";
    EXPECT_TRUE(figures.medianMs.has_value());
    EXPECT_EQ(line.Hints(), GetParam().hints);
    EXPECT_EQ(line.Counters().crcFailures + line.Counters().refused, 0u);

    form_->CommandLine_Click();
    LineView &view = *form_->LineWindow();
    view.Refresh();
    EXPECT_GE(view.Model().rowCount(), 2 * static_cast<int>(LineRecorder::HintWindow));
    EXPECT_EQ(view.HintsLabel()->isHidden(), GetParam().hints.empty());
    EXPECT_TRUE(view.AtTakeLabel()->isHidden());
    EXPECT_TRUE(stand_.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(Lines, LineViewLink,
                         ::testing::Values(RecordedLine{"Plain", {}, {}},
                                           RecordedLine{
                                               "EchoingAdapter", {"--echo"}, {LineHint::Echo}}),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace pv
