// End-to-end: Log > Activity Report in the real window on the simulator's
// pseudo-terminal. The table's order after a known log, sorting by value,
// the refresh while entries arrive, and a chosen row tuned on the wire.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QAction>
#include <QApplication>
#include <QTableView>
#include <QTest>
#include <QtCharts/QBarSeries>
#include <QtCharts/QBarSet>
#include <QtCharts/QChart>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/support/FrameOnSimulator.h"
#include "ui/ActivityCharts.h"
#include "ui/ActivityReportWindow.h"
#include "ui/MainFrame.h"

namespace korvex::test {
namespace {

using namespace std::chrono_literals;

class ReportWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(run.dir.empty());
        ASSERT_TRUE(run.start()) << run.sim.log();
        frame = run.frame.get();
    }

    FrameOnSimulator run{"korvex-report"};
    const std::string& dir = run.dir;
    CMainFrame* frame = nullptr;
    bool sent(const std::string& command) const { return run.sim.sent(command); }
};

TEST_F(ReportWindowTest, ShowsTheBusiestFirstAndTunesTheChosenRowOnTheWire) {
    QAction* open = frame->action(CommandId::LogActivityReport);
    frame->updateCommandStates();
    EXPECT_FALSE(open->isEnabled()) << "nothing to report without entries";

    const std::string log = dir + "/night.log";
    std::ofstream(log, std::ios::binary)
        << "2026-03-01\t21:00:00\t00:00:10\t118.100000\t080\t\xB0\xB0\xB0\n"
           "2026-03-01\t22:10:00\t00:00:12\t145.500000\t040\ta.wav\n"
           "2026-03-01\t23:59:30\t00:01:00\t145.500000\t061\t\xB0\xB0\xB0\n"
           "2026-03-02\t00:15:00\t00:00:05\t118.100000\t100\t\xB0\xB0\xB0\n"
           "2026-03-02\t01:00:00\t00:00:01\t99.500000\t-\t\xB0\xB0\xB0\n"
           "2026-03-03\t22:00:00\t00:00:02\t145.500000\t050\t\xB0\xB0\xB0\n";
    ASSERT_TRUE(frame->document().readLogFile(log));
    frame->updateCommandStates();
    ASSERT_TRUE(open->isEnabled());
    open->trigger();

    CActivityReportWindow* window = frame->activityReport();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(window->isVisible());
    QTableView* table = window->table();
    QAbstractItemModel* model = table->model();
    ASSERT_EQ(model->rowCount(), 3);
    EXPECT_EQ(model->index(0, 0).data().toString(), "145.500000");
    EXPECT_EQ(model->index(0, 1).data().toString(), "3");
    EXPECT_EQ(model->index(0, 2).data().toString(), "0:01:14");
    EXPECT_EQ(model->index(0, 6).data().toString(), "50.3");
    EXPECT_EQ(model->index(2, 0).data().toString(), "99.500000");
    EXPECT_EQ(model->index(2, 6).data().toString(), "-");

    auto* hours = qobject_cast<QBarSeries*>(window->charts()->hourChart()->series().value(0));
    ASSERT_NE(hours, nullptr);
    EXPECT_EQ(hours->barSets().value(0)->at(22), 2.0);
    auto* days = qobject_cast<QBarSeries*>(window->charts()->dayChart()->series().value(0));
    ASSERT_NE(days, nullptr);
    EXPECT_EQ(days->barSets().value(0)->count(), 3);

    // Sorted by the frequency's value, not its text.
    table->sortByColumn(0, Qt::AscendingOrder);
    EXPECT_EQ(model->index(0, 0).data().toString(), "99.500000");
    EXPECT_EQ(model->index(2, 0).data().toString(), "145.500000");

    // Enter on a row tunes it as a typed frequency is tuned.
    QApplication::setActiveWindow(window);
    table->setFocus();
    table->setCurrentIndex(model->index(2, 0));
    QTest::keyClick(table, Qt::Key_Return);
    EXPECT_TRUE(pumpUntil([&] { return sent("RF0145500000"); }, 10000)) << run.sim.log();

    // A double click tunes too.
    const QRect cell = table->visualRect(model->index(1, 0));
    // The events of a real double click: press, release, double click, release.
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseRelease(table->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_TRUE(pumpUntil([&] { return sent("RF0118100000"); }, 10000)) << run.sim.log();

    // New entries show within the refresh interval.
    frame->document().appendEntry(
        {"2026-03-03", "23:00:00", "00:00:03", "433.125000", "010", "\xB0\xB0\xB0"});
    EXPECT_TRUE(pumpUntil([&] { return model->rowCount() == 4; },
                          3 * CActivityReportWindow::kRefreshIntervalMs));

    // The CSV export writes what the table shows.
    ASSERT_TRUE(window->exportCsv(QString::fromStdString(dir + "/report.csv")));
    EXPECT_EQ(readFile(dir + "/report.csv").substr(0, 14), "frequency_mhz,");
    EXPECT_NE(readFile(dir + "/report.csv").find("\n433.125000,1,3,3,"), std::string::npos);
    // Both charts as PNG files.
    EXPECT_TRUE(window->charts()->savePng(QString::fromStdString(dir + "/charts.png")).isEmpty());
    EXPECT_EQ(readFile(dir + "/charts-hours.png").substr(1, 3), "PNG");
    EXPECT_EQ(readFile(dir + "/charts-days.png").substr(1, 3), "PNG");
    EXPECT_FALSE(window->charts()
                     ->savePng(QString::fromStdString(dir + "/no-such-folder/charts.png"))
                     .isEmpty());
}

}  // namespace
}  // namespace korvex::test
