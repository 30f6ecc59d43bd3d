// The bandscope view on its own, drawn off-screen at a fixed size: 800 x 560
// puts the plot at x 50..750, y 40..440 and the marker between y 480 and 490.
#include <gtest/gtest.h>

#include <QAction>
#include <QContextMenuEvent>
#include <QDir>
#include <QImage>
#include <QMenu>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <fstream>
#include <iterator>

#include "link/CommandQueue.h"
#include "log/ZelDoc.h"
#include "model/Receiver.h"
#include "tests/support/PumpUntil.h"
#include "tests/support/TempDir.h"
#include "ui/BandscopeSweep.h"
#include "ui/ScopePainter.h"
#include "ui/SweepFile.h"
#include "ui/ZelScopeView.h"

namespace korvex::test {
namespace {

class QuietHost : public SweepHost {
public:
    void scopeMessage(const std::string&) override {}
    bool scopeShown() const override { return shown; }
    void showScope() override { shown = true; }
    void showList() override { shown = false; }
    void redrawScope() override {}
    void setPanelEnabled(bool) override {}
    void refreshScopeTexts() override {}
    int scopeDelay() const override { return 0; }
    bool shown = false;
};

// Counts the paints a widget receives.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++paints;
        }
        return false;
    }
};

constexpr double kX0 = 50;
constexpr double kDx = 87.5;  // 700 pixels for 8 steps
constexpr int kBottom = 440;

int barX(int bin) {
    return static_cast<int>(kX0 + bin * kDx);
}

class ScopeViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(doc.setupBandscope(100'000'000, 100'100'000, 12500, "NFM", "", 'V', {255, 30}));
        sweep.show(ScopeMode::Normal);
        queue.clear();
        view.resize(800, 560);
    }
    void sweepTo(ScopeMode mode) { sweep.show(mode); }
    QColor pixel(int x, int y) { return view.grab().toImage().pixelColor(x, y); }
    // How many pixels of one row, around x, have the colour.
    int runOfColour(const QImage& image, int x, int y, const QColor& colour) {
        int n = 0;
        for (int i = x - 10; i <= x + 10; ++i) {
            n += image.pixelColor(i, y) == colour ? 1 : 0;
        }
        return n;
    }
    void moveTo(QPointF pos) {
        QMouseEvent move(QEvent::MouseMove, pos, view.mapToGlobal(pos), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(&view, &move);
    }
    void click(QPointF pos) {
        moveTo(pos);
        QTest::mouseClick(&view, Qt::LeftButton, Qt::NoModifier, pos.toPoint());
    }
    // A file in the test's folder, as the save chooser names it.
    QString inFolder(const QString& name) const {
        return QString::fromStdString(folder.path()) + '/' + name;
    }
    // One sample, saved as band.csv in the test's folder: the CSV's path.
    QString saveOneSample() {
        const QString csv = inFolder(QStringLiteral("band.csv"));
        view.setSaveFileChooser([csv](QWidget*) { return std::optional<QString>(csv); });
        doc.addSample(100'025'000, 51);
        view.updateMenu();
        EXPECT_TRUE(view.saveAction()->isEnabled());
        view.saveAction()->trigger();
        return csv;
    }

    TempDir folder{"korvex-scope"};

    CZelDoc doc;
    CReceiver rx;
    CommandQueue queue;
    QuietHost host;
    CBandscopeSweep sweep{doc, rx, queue, host};
    CZelScopeView view{doc, rx, sweep};
};

TEST_F(ScopeViewTest, NormalBarsAreRedAndAsHighAsTheLevel) {
    doc.addSample(100'025'000, 51);   // bin 2: 80 of 400 pixels
    doc.addSample(100'050'000, 255);  // bin 4: full height
    const QImage image = view.grab().toImage();
    EXPECT_EQ(image.pixelColor(barX(2), 400), scopecolor::kLevel);
    EXPECT_EQ(image.pixelColor(barX(2), kBottom - 78), scopecolor::kLevel);
    EXPECT_EQ(image.pixelColor(barX(2), kBottom - 83), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(barX(4), 45), scopecolor::kLevel);
    EXPECT_EQ(image.pixelColor(barX(3), 400), QColor(Qt::black)) << "no sample, no bar";
    EXPECT_EQ(runOfColour(image, barX(2), 400, scopecolor::kLevel), 5) << "wide bars past 12 px";
    // The marker stands under the last sample's bin.
    EXPECT_EQ(image.pixelColor(barX(4), 485), scopecolor::kLevel);
    EXPECT_EQ(image.pixelColor(barX(2), 485), QColor(Qt::black));
    // Grid: the plot's left edge and bottom line.
    EXPECT_EQ(image.pixelColor(50, 300), scopecolor::kGrid);
    EXPECT_EQ(image.pixelColor(300, kBottom), scopecolor::kGrid);
}

TEST_F(ScopeViewTest, PeakHoldDrawsThePeakInCyanUnderTheLevel) {
    doc.addSample(100'025'000, 204);  // peak: 320 pixels
    doc.addSample(100'025'000, 51);   // level: 80 pixels
    sweepTo(ScopeMode::PeakHold);
    const QImage image = view.grab().toImage();
    EXPECT_EQ(image.pixelColor(barX(2), 400), scopecolor::kLevel);
    EXPECT_EQ(image.pixelColor(barX(2), 300), scopecolor::kPeak);
    EXPECT_EQ(image.pixelColor(barX(2), kBottom - 318), scopecolor::kPeak);
    EXPECT_EQ(image.pixelColor(barX(2), kBottom - 323), QColor(Qt::black));
}

TEST_F(ScopeViewTest, StatisticDrawsThePercentInOrange) {
    for (int level : {10, 40, 40}) {
        doc.addSample(100'025'000, level);  // 66 %: 264 pixels
    }
    sweepTo(ScopeMode::Statistic);
    const QImage image = view.grab().toImage();
    EXPECT_EQ(image.pixelColor(barX(2), 300), scopecolor::kPercent);
    EXPECT_EQ(image.pixelColor(barX(2), kBottom - 262), scopecolor::kPercent);
    EXPECT_EQ(image.pixelColor(barX(2), kBottom - 267), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(barX(2), 485), scopecolor::kPercent) << "the marker too";
}

TEST_F(ScopeViewTest, NarrowBarsAndALevelAboveFullScale) {
    ASSERT_TRUE(doc.setupBandscope(100'000'000, 101'000'000, 10000, "NFM", "", 'V', {100, 30}));
    ASSERT_TRUE(doc.resetBins());  // 100 steps: 7 pixels apart
    doc.addSample(100'500'000, 250);
    const QImage image = view.grab().toImage();
    EXPECT_EQ(runOfColour(image, 400, 300, scopecolor::kLevel), 3);
    EXPECT_EQ(image.pixelColor(400, 42), scopecolor::kLevel);
    EXPECT_EQ(image.pixelColor(400, 30), QColor(Qt::black)) << "ends at the top of the plot";
}

TEST_F(ScopeViewTest, TheRunLineCountsTheSweepsOfBinZero) {
    EXPECT_EQ(runLine(doc, ScopeMode::Normal), "RUN: 0                     SCOPE MODE: normal");
    doc.addSample(100'000'000, 1);
    doc.addSample(100'012'500, 1);
    doc.addSample(100'000'000, 1);
    EXPECT_EQ(runLine(doc, ScopeMode::PeakHold),
              "RUN: 2                     SCOPE MODE: peak hold");
    EXPECT_EQ(runLine(doc, ScopeMode::Statistic),
              "RUN: 2                     SCOPE MODE: statistic");
}

TEST_F(ScopeViewTest, TheMenuFollowsTheSweep) {
    const auto openMenu = [&] {
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(100, 100),
                                view.mapToGlobal(QPoint(100, 100)));
        QApplication::sendEvent(&view, &event);
        EXPECT_TRUE(view.contextMenu()->isVisible());
        const std::pair result{view.haltAction()->isEnabled(), view.resumeAction()->isEnabled()};
        view.contextMenu()->close();
        return result;
    };
    view.show();
    rx.bandscopeRunning = true;  // sweeping
    EXPECT_EQ(openMenu(), std::pair(true, false));
    sweep.halt();
    EXPECT_EQ(openMenu(), std::pair(false, true));
    doc.markStale();
    EXPECT_EQ(openMenu(), std::pair(false, false));
    rx.bandscopeHalted = false;
    EXPECT_EQ(openMenu(), std::pair(false, false));
}

TEST_F(ScopeViewTest, TheMouseShowsItsFrequency) {
    QSignalSpy status(&view, &CZelScopeView::statusText);
    moveTo(QPointF(barX(2) + 40, 300));  // nearer to bin 2 than to bin 3
    EXPECT_EQ(view.mouseFrequency(), "100.02500");
    ASSERT_EQ(status.count(), 1);
    EXPECT_EQ(status.at(0).at(0).toString(), "100.02500 MHz");
    moveTo(QPointF(barX(2) + 45, 300));
    EXPECT_EQ(view.mouseFrequency(), "100.03750");
}

TEST_F(ScopeViewTest, AClickTunesOnlyWhileHalted) {
    view.show();
    QSignalSpy tune(&view, &CZelScopeView::tuneRequested);
    rx.bandscopeRunning = true;
    click(QPointF(barX(5), 300));
    EXPECT_EQ(tune.count(), 0) << "sweeping";
    EXPECT_EQ(view.cursor().shape(), Qt::ArrowCursor);

    sweep.halt();
    click(QPointF(barX(5) + 10, 300));
    ASSERT_EQ(tune.count(), 1);
    EXPECT_EQ(tune.at(0).at(0).toString(), "100.06250");
    EXPECT_EQ(view.cursor().shape(), Qt::CrossCursor);

    // Beside the plot the pointer is the normal one, but a click still tunes
    // to the frequency under its x.
    click(QPointF(barX(5), 500));
    EXPECT_EQ(view.cursor().shape(), Qt::ArrowCursor);
    ASSERT_EQ(tune.count(), 2);
    EXPECT_EQ(tune.at(1).at(0).toString(), "100.06250");

    // Resumed: until the receiver answers "LC2" the model still reads
    // halted, yet a click tunes nothing and the pointer is the normal one.
    sweep.resume();
    click(QPointF(barX(3), 300));
    EXPECT_EQ(tune.count(), 2) << "a resume is on its way";
    EXPECT_EQ(view.cursor().shape(), Qt::ArrowCursor);
}

TEST_F(ScopeViewTest, SamplesRepaintWithTheNextFrameNotEachTime) {
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    QTest::qWait(50);
    PaintCounter counter;
    view.installEventFilter(&counter);
    for (int i = 0; i < 2000; ++i) {
        doc.addSample(100'000'000 + (i % 9) * 12500, i % 256);
        view.sampleArrived();
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(counter.paints, 0) << "nothing paints before the frame";
    ASSERT_TRUE(pumpUntil([&] { return counter.paints > 0; }, 2000));
    QCoreApplication::processEvents();
    EXPECT_EQ(counter.paints, 1) << "one paint for all the samples";
}

TEST_F(ScopeViewTest, SaveSweepWritesTheCsvAndThePictureBesideIt) {
    const QString csv = saveOneSample();
    std::ifstream in(csv.toStdString());
    std::string header;
    std::string row;
    std::getline(in, header);
    EXPECT_EQ(header, "frequency_hz,level,peak,hits,samples,percent");
    int rows = 0;
    while (std::getline(in, row)) {
        ++rows;
    }
    EXPECT_EQ(rows, 10);
    const QImage png(inFolder(QStringLiteral("band.png")));
    ASSERT_FALSE(png.isNull());
    EXPECT_EQ(png.size(), QSize(800, 560));
    EXPECT_EQ(png.pixelColor(barX(2), 400), scopecolor::kLevel);

    QSignalSpy failed(&view, &CZelScopeView::saveFailed);
    view.setSaveFileChooser(
        [&](QWidget*) { return std::optional<QString>(inFolder("missing/x.csv")); });
    view.saveAction()->trigger();
    EXPECT_EQ(failed.count(), 1);
}

// The CSV and its picture are one save: when the picture cannot be written,
// the CSV is not replaced either, and a saved picture names its CSV.
TEST_F(ScopeViewTest, SaveSweepReplacesBothFilesOrNeither) {
    const QString csv = saveOneSample();
    const auto readCsv = [&] {
        std::ifstream in(csv.toStdString(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    };
    const std::string first = readCsv();
    const QImage firstPicture(inFolder(QStringLiteral("band.png")));
    EXPECT_EQ(firstPicture.text(QString::fromLatin1(kSweepDigestKey.data())).toStdString(),
              sweepDigest(first));

    // The picture's name is taken by a folder: nothing can replace it.
    doc.addSample(100'037'500, 99);
    ASSERT_TRUE(QDir(QString::fromStdString(folder.path()))
                    .rename(QStringLiteral("band.png"), QStringLiteral("old.png")));
    ASSERT_TRUE(QDir(QString::fromStdString(folder.path())).mkdir(QStringLiteral("band.png")));
    QSignalSpy failed(&view, &CZelScopeView::saveFailed);
    view.saveAction()->trigger();
    EXPECT_EQ(failed.count(), 1);
    EXPECT_EQ(readCsv(), first);
    EXPECT_EQ(
        QDir(QString::fromStdString(folder.path())).entryList(QDir::Files | QDir::Hidden).size(),
        2);
}

}  // namespace
}  // namespace korvex::test
