// The bandscope set-up of the document.
#include <gtest/gtest.h>

#include "log/ZelDoc.h"

namespace korvex::test {
namespace {

TEST(ZelDocSetupTest, RefusesAMissingFrequencyAndChangesNothing) {
    CZelDoc doc;
    EXPECT_FALSE(doc.setupBandscope(0, 145'000'000, 12500, "NFM", "x", 'V', {255, 30}));
    EXPECT_FALSE(doc.setupBandscope(145'000'000, 0, 12500, "NFM", "x", 'V', {255, 30}));
    EXPECT_FALSE(doc.scopeReady);
    EXPECT_EQ(doc.scopeTitle, "");
    EXPECT_EQ(doc.scopeLower, 0u);
}

TEST(ZelDocSetupTest, OrdersTheRangeAndBuildsLabels) {
    CZelDoc doc;
    doc.scopeStale = true;
    doc.bins.resize(4);
    ASSERT_TRUE(doc.setupBandscope(100'100'000, 100'000'000, 12500, "AM", "AIR", 'c', {255, 40}));
    EXPECT_EQ(doc.scopeLower, 100'000'000u);
    EXPECT_EQ(doc.scopeUpper, 100'100'000u);
    EXPECT_EQ(doc.scopeStep, 12500);
    EXPECT_EQ(doc.scopeLevelMax, 255);
    EXPECT_EQ(doc.levelThreshold, 40);
    EXPECT_TRUE(doc.scopeReady);
    EXPECT_FALSE(doc.scopeStale);
    EXPECT_EQ(doc.bins.size(), 4u) << "the bins are not touched";
    const std::array<std::string, 6> x = {"100.0", "100.0", "100.0", "100.1", "100.1", "100.1"};
    EXPECT_EQ(doc.xLabels, x);
    const std::array<std::string, 6> y = {"000", "051", "102", "153", "204", "255"};
    EXPECT_EQ(doc.yLabels, y);
    EXPECT_EQ(doc.scopeTitle, "BANK: c   BANK DESC: AIR   MODE: AM   STEP: 12500Hz");
}

TEST(ZelDocSetupTest, TitlesAndLabelsAtTheEdges) {
    struct Case {
        char kind;
        int levelMax;
        const char* title;
        const char* topLabel;
    };
    for (const Case& c : {Case{'V', 100, "VFO Search A   MODE: WFM   STEP: 50Hz", "100"},
                          // No full scale in the settings: the whole level range.
                          Case{'W', 0, "VFO Search B   MODE: WFM   STEP: 50Hz", "255"},
                          Case{'V', -5, "VFO Search A   MODE: WFM   STEP: 50Hz", "255"}}) {
        CZelDoc doc;
        // The widest range the receiver tunes: no overflow in the labels.
        ASSERT_TRUE(
            doc.setupBandscope(3'000'000'000u, 100'000, 50, "WFM", "", c.kind, {c.levelMax, 0}));
        EXPECT_EQ(doc.scopeTitle, c.title);
        EXPECT_EQ(doc.yLabels[5], c.topLabel);
        EXPECT_EQ(doc.xLabels[0], "0.1");
        EXPECT_EQ(doc.xLabels[5], "3000.0");
        EXPECT_EQ(doc.xLabels[1], "600.1");
    }
}

}  // namespace
}  // namespace korvex::test
