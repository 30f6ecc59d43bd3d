// The bandscope half of the document: bins, samples, stale state, the CSV.
#include <gtest/gtest.h>

#include "log/ZelDoc.h"
#include "ui/SweepFile.h"

namespace korvex::test {
namespace {

void setUp(CZelDoc& doc, std::uint32_t lower, std::uint32_t upper, int step, int threshold = 30) {
    ASSERT_TRUE(doc.setupBandscope(lower, upper, step, "NFM", "", 'V', {255, threshold}));
}

TEST(ScopeBinsTest, OneBinPerStepAndASpare) {
    CZelDoc doc;
    setUp(doc, 100'000'000, 100'100'000, 12500);
    ASSERT_TRUE(doc.resetBins());
    EXPECT_EQ(doc.bins.size(), 10u);
    EXPECT_EQ(doc.stepCount(), 8u) << "bars for bins 0 to 8";
    EXPECT_EQ(doc.bins[3], BandscopeBin{});
    doc.clearBins();
    EXPECT_TRUE(doc.bins.empty());
}

TEST(ScopeBinsTest, AZeroStepIsRefusedAtSetUpAndNeverDivides) {
    CZelDoc doc;
    EXPECT_FALSE(doc.setupBandscope(100'000'000, 101'000'000, 0, "AM", "", 'V', {255, 30}));
    EXPECT_FALSE(doc.setupBandscope(100'000'000, 101'000'000, -5, "AM", "", 'V', {255, 30}));
    EXPECT_FALSE(doc.scopeReady);
    // Fields set some other way still give no bins and take no samples.
    doc.scopeLower = 100'000'000;
    doc.scopeUpper = 101'000'000;
    doc.scopeStep = 0;
    EXPECT_FALSE(doc.resetBins());
    EXPECT_EQ(doc.stepCount(), 0u);
    doc.addSample(100'500'000, 50);
    EXPECT_TRUE(doc.bins.empty());
}

TEST(ScopeBinsTest, ARangeTooWideForTheTableIsRefused) {
    // 0.1 to 3000 MHz in 50 Hz steps: sixty million bins.
    CZelDoc doc;
    setUp(doc, 100'000, 3'000'000'000u, 50);
    EXPECT_GT(CZelDoc::binCountFor(doc.scopeLower, doc.scopeUpper, doc.scopeStep),
              CZelDoc::kMaxBins);
    EXPECT_FALSE(doc.resetBins());
    EXPECT_TRUE(doc.bins.empty());
    // The widest range that fits.
    const std::uint32_t upper = 100'000 + static_cast<std::uint32_t>(CZelDoc::kMaxBins - 2) * 50;
    CZelDoc wide;
    setUp(wide, 100'000, upper, 50);
    ASSERT_TRUE(wide.resetBins());
    EXPECT_EQ(wide.bins.size(), CZelDoc::kMaxBins);
}

TEST(ScopeSampleTest, EdgesOfTheRange) {
    CZelDoc doc;
    setUp(doc, 100'000'000, 100'100'000, 12500);
    ASSERT_TRUE(doc.resetBins());
    doc.addSample(100'100'000, 77);
    EXPECT_EQ(doc.currentBin, 8) << "the upper edge lands in bin n";
    EXPECT_EQ(doc.bins[8].level, 77u);
    EXPECT_EQ(doc.bins[8].frequency, 100'100'000u);
    EXPECT_EQ(doc.currentText(), "100.1000");

    const std::vector<BandscopeBin> before = doc.bins;
    doc.addSample(99'987'500, 90);  // one step below the lower edge
    doc.addSample(99'999'999, 90);
    doc.addSample(100'125'000, 90);  // bin 10: past the spare
    doc.addSample(0, 90);
    EXPECT_EQ(doc.bins, before);
    EXPECT_EQ(doc.currentBin, 8) << "a dropped sample leaves the marker";
    EXPECT_EQ(doc.currentText(), "100.1000");

    doc.addSample(100'112'500, 10);  // the spare bin takes a sample
    EXPECT_EQ(doc.bins[9].samples, 1u);
}

TEST(ScopeSampleTest, HitsPeakAndPercent) {
    CZelDoc doc;
    setUp(doc, 100'000'000, 100'100'000, 12500, 30);
    ASSERT_TRUE(doc.resetBins());
    for (int level : {10, 40, 40}) {
        doc.addSample(100'025'000, level);
    }
    const BandscopeBin& bin = doc.bins[2];
    EXPECT_EQ(bin.hits, 2u);
    EXPECT_EQ(bin.samples, 3u);
    EXPECT_EQ(bin.percent, 66u);
    EXPECT_EQ(bin.peak, 40u);
    EXPECT_EQ(bin.level, 40u);
    doc.addSample(100'025'000, 30);  // at the threshold: no hit
    EXPECT_EQ(bin.hits, 2u);
    EXPECT_EQ(bin.percent, 50u);
    EXPECT_EQ(bin.level, 30u);
    EXPECT_EQ(bin.peak, 40u);
    // A frequency between two steps counts for the step below it.
    doc.addSample(100'037'499, 200);
    EXPECT_EQ(doc.currentBin, 2);
    EXPECT_EQ(bin.peak, 200u);
}

TEST(ScopeStaleTest, TheTitleSaysSoOnceAndANewSetUpClearsIt) {
    CZelDoc doc;
    setUp(doc, 145'000'000, 146'000'000, 12500);
    const std::string title = doc.scopeTitle;
    doc.markStale();
    doc.markStale();
    EXPECT_TRUE(doc.scopeStale);
    EXPECT_EQ(doc.scopeTitle, title + "  [stale data!]");
    ASSERT_TRUE(doc.setupBandscope(145'000'000, 146'000'000, 12500, "NFM", "", 'V', {255, 30}));
    EXPECT_FALSE(doc.scopeStale);
    EXPECT_EQ(doc.scopeTitle, title);
}

TEST(SweepCsvTest, OneRowPerBinWithItsFrequency) {
    CZelDoc doc;
    setUp(doc, 100'000'000, 100'025'000, 12500, 30);
    ASSERT_TRUE(doc.resetBins());
    doc.addSample(100'012'500, 40);
    doc.addSample(100'012'500, 20);
    EXPECT_EQ(sweepCsv(doc),
              "frequency_hz,level,peak,hits,samples,percent\n"
              "100000000,0,0,0,0,0\n"
              "100012500,20,40,1,2,50\n"
              "100025000,0,0,0,0,0\n"
              "100037500,0,0,0,0,0\n");
}

}  // namespace
}  // namespace korvex::test
