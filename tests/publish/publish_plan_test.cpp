// When the unit on the port may be published and when it counts as there: rows of what the
// session told, in order, and what the plan makes of it.

#include "publish/publish_plan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pv {
namespace {

// Steps: I identified as 41, J identified as 42, R readings accepted, T monitor tick ended,
// 1 the monitor cycle read ID 41, 2 it read ID 42, C the port closed.
void Apply(PublishPlan &plan, char step)
{
    switch (step) {
    case 'I':
        plan.Identified({"41", "PV-4000", "Sunworks", "V1000700"});
        break;
    case 'J':
        plan.Identified({"42", "PV-4000", "Sunworks", "V1000700"});
        break;
    case 'R':
        plan.ReadingsAccepted(0);
        break;
    case 'T':
        plan.MonitorTickEnded();
        break;
    case '1':
        plan.IdRead("41");
        break;
    case '2':
        plan.IdRead("42");
        break;
    case 'C':
        plan.LinkClosed();
        break;
    }
}

struct Row
{
    const char *name;
    std::string steps;
    const char *device; // "" none
    bool available;
};

class PublishPlanTest : public ::testing::TestWithParam<Row>
{
};

TEST_P(PublishPlanTest, Follows)
{
    const Row &row = GetParam();
    PublishPlan plan;
    for (char step : row.steps)
        Apply(plan, step);
    EXPECT_EQ(plan.Device() ? plan.Device()->id : "", row.device);
    EXPECT_EQ(plan.Available(), row.available);
}

// Two monitor cycles are twelve ticks.
const std::string Stale(12, 'T');
const std::string AlmostStale(11, 'T');

INSTANTIATE_TEST_SUITE_P(
    Rows, PublishPlanTest,
    ::testing::Values(Row{"ReadingsAloneNameNoUnit", "RTRT", "", false},
                      Row{"IdentifiedIsAvailable", "RTI", "41", true},
                      Row{"ReadingsKeepItAvailable", "IRT" + AlmostStale + "RT", "41", true},
                      Row{"TwoCyclesWithoutReadingsMakeItUnavailable", "IRT" + Stale, "41", false},
                      Row{"ReadingsBackMakeItAvailableAgain", "IRT" + Stale + "R", "41", true},
                      Row{"APortClosedMakesItUnavailable", "IRC", "41", false},
                      Row{"TheSameIdKeepsTheUnit", "IR1R", "41", true},
                      Row{"AnotherIdForgetsTheUnit", "IR2R", "", false},
                      Row{"AnIdentifyNamesTheNewUnit", "IR2RJ2R", "42", true}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace pv
