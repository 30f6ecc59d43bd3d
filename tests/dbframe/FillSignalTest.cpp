// SIGTERM while the DATABASE list fills: the fill lets the window paint,
// and the signal is handled there. The databases stay open until the fill
// has returned; the fill ends early and the close follows.
#include <csignal>

#include "station/SignalBridge.h"
#include "tests/dbframe/FrameDbTest.h"

namespace korvex::test {
namespace {

TEST_F(FrameDbTest, AStopSignalDuringAFillClosesTheDatabasesOnlyAfterTheFill) {
    folder.configure(1, folder.copy("big.dbf"), "dBASE III;", kFreqFields);
    trigger(CommandId::ConnectDb1);
    SignalBridge bridge;
    QObject::connect(&bridge, &SignalBridge::terminationRequested, frame.get(),
                     &CMainFrame::closeOnSignal);
    bool filling = false;
    bool shutDownDuringFill = false;
    QObject::connect(frame.get(), &CMainFrame::shutdownStarted, frame.get(),
                     [&] { shutDownDuringFill = filling; });
    // Waits in the bridge's socket until the fill first lets events through.
    ASSERT_EQ(std::raise(SIGTERM), 0);
    filling = true;
    showDatabase();
    filling = false;
    EXPECT_FALSE(shutDownDuringFill);
    EXPECT_TRUE(frame->closePending());
    EXPECT_GT(view().itemCount(), 0);
    EXPECT_LT(view().itemCount(), 15000) << "the fill ends early when the program closes";
    EXPECT_TRUE(QTest::qWaitFor([&] { return frame->hasShutDown(); }, 1000));
    EXPECT_FALSE(frame->isVisible());
    EXPECT_FALSE(dbSlots().connected(1));
}

}  // namespace
}  // namespace korvex::test
