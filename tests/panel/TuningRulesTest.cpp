// The panel's plain rules: the enabling table and the step prediction.
#include <gtest/gtest.h>

#include "model/Receiver.h"
#include "ui/TuningPanelActions.h"
#include "ui/TuningPrediction.h"

namespace korvex::test {
namespace {

TEST(PanelEnablingTest, FollowsTheOperatingState) {
    struct Case {
        int state;
        const char* line1;
        PanelEnabling expected;  // refresh, scan dlg, start, search dlg, vfo start/stop, pass
    };
    const Case cases[] = {
        {kStateUnknown, "", {true, false, false, false, false, false, false}},
        {kStateVfo, "", {true, false, false, true, false, false, true}},
        {kStateVfoA, "", {true, false, false, true, true, false, true}},
        {kStateVfoB, "", {true, false, false, true, true, false, true}},
        {kStateSearch, "+++++++++++ ", {true, false, false, true, false, false, false}},
        {kStateSearch, " ++ stop ++ ", {true, false, false, true, false, false, true}},
        {kStateVfoSearchA, "+++++++++++ ", {true, false, false, true, false, true, false}},
        {kStateVfoSearchB, " ++ stop ++ ", {true, false, false, true, false, true, true}},
        {kStateMemoryRead, "stop", {true, true, true, false, false, false, false}},
        {kStateMemoryScan, "", {true, true, false, false, false, false, false}},
        {kStateSelectScan, "", {true, true, false, false, false, false, false}},
        {kStateVvA, "", {true, true, false, false, false, false, false}},
        {kStateVvB, "", {true, true, false, false, false, false, false}},
        {12, "", {true, false, false, false, false, false, false}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(panelEnabling(c.state, false, c.line1), c.expected) << c.state << c.line1;
        EXPECT_FALSE(panelEnabling(c.state, true, c.line1).refresh);
    }
}

TEST(PredictedFrequencyTest, StepsFromTheShownLine) {
    struct Case {
        const char* line;
        const char* step;
        int steps;
        const char* expected;  // nullptr: no prediction
    };
    const Case cases[] = {
        {"0145.500000", "12.50", 10, "145.625000"},
        {"145.625000", "12.50", -1, "145.612500"},
        {"0145.500000", "0.05", 1, "145.500050"},
        {"2039.900000", "100.00", 10, "2040.900000"},
        {"0000.500000", "100.00", 1, "0.600000"},
        {"0000.000050", "0.05", -1, "0.000000"},
        {"0000.000050", "0.05", -10, nullptr},
        {"----------", "12.50", 1, nullptr},
        {"+++++++++++ ", "12.50", 1, nullptr},
        {"0145.500000", "", 1, nullptr},
        {"", "12.50", 1, nullptr},
        {"99999999999999999999", "12.50", 1, nullptr},
        {"-145.5", "12.50", 1, nullptr},
    };
    for (const Case& c : cases) {
        const auto got = predictedFrequency(c.line, c.step, c.steps);
        if (c.expected == nullptr) {
            EXPECT_FALSE(got) << c.line << " " << c.step;
        } else {
            EXPECT_EQ(got.value_or("none"), c.expected) << c.line << " " << c.step;
        }
    }
}

}  // namespace
}  // namespace korvex::test
