// A stop signal that comes while a loop runs inside other work (a message
// box, a file dialog, the serial dialog, a menu, a list fill that keeps the
// window painted): the work's loop ends as after a cancel, and the close
// runs only once the program is back outside it.
#include <QFileDialog>
#include <QMenu>
#include <QThread>
#include <functional>

#include "FrameFixture.h"
#include "ui/NestedLoops.h"
#include "ui/TuningPanel.h"
#include "ui/TuningPanelActions.h"
#include "ui/ZelView.h"

namespace korvex::test {
namespace {

class FrameSignalTest : public FrameTest {
protected:
    // Runs `work`, which enters a nested loop; the stop signal comes 100 ms
    // later from inside that loop. Checks that nothing was closed under the
    // loop and that the close follows within a second of its return.
    void signalDuring(const std::function<void()>& work) {
        bool handled = false;
        bool shutDownInside = false;
        QTimer::singleShot(100, frame.get(), [&] {
            handled = true;
            frame->closeOnSignal();
            shutDownInside = frame->hasShutDown();
        });
        QObject::connect(frame.get(), &CMainFrame::shutdownStarted, frame.get(),
                         [&] { shutDownWhileWorking = working; });
        working = true;
        work();
        working = false;
        ASSERT_TRUE(handled) << "the work ended before the signal came";
        EXPECT_FALSE(shutDownInside);
        EXPECT_FALSE(shutDownWhileWorking);
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
        EXPECT_TRUE(frame->closePending());
        EXPECT_TRUE(QTest::qWaitFor([&] { return frame->hasShutDown(); }, 1000));
        EXPECT_FALSE(frame->isVisible());
        EXPECT_FALSE(frame->closePending());
    }

    void showList(ListMode mode) {
        auto& panel = *qobject_cast<CTuningPanel*>(frame->tuningPanel());
        for (int position = 0; position < 32; ++position) {
            if (listModeAt(position) == mode) {
                panel.actions().chooseList(position);
                panel.updateFromModel();
                return;
            }
        }
        FAIL() << "no such list";
    }
    CZelView& view() { return *qobject_cast<CZelView*>(frame->listView()); }

    bool working = false;
    bool shutDownWhileWorking = false;
};

TEST_F(FrameSignalTest, AMessageBoxIsDismissedAndTheCloseWaitsForItsCaller) {
    signalDuring([&] { frame->showMessage("Disk full", "Error", MessageKind::Error); });
}

TEST_F(FrameSignalTest, TheFileDialogOfFileOpenIsDismissedBeforeTheClose) {
    std::string logBefore;
    signalDuring([&] {
        frame->action(CommandId::FileOpen)->trigger();
        logBefore = frame->windowTitle().toStdString();
    });
    EXPECT_NE(logBefore.find("no log"), std::string::npos) << "a cancelled open opens nothing";
}

TEST_F(FrameSignalTest, APlainFileDialogIsDismissedToo) {
    signalDuring([&] {
        QFileDialog dialog(frame.get());
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        EXPECT_EQ(dialog.exec(), QDialog::Rejected);
    });
}

TEST_F(FrameSignalTest, TheSerialDialogIsCancelledAndThePortLeftAsItWas) {
    const std::string device = frame->serialPort().settings().device;
    signalDuring([&] { frame->openSerialSettings(); });
    EXPECT_EQ(frame->serialPort().settings().device, device);
}

TEST_F(FrameSignalTest, AMenuRunningItsOwnLoopIsClosed) {
    signalDuring([&] {
        QMenu menu(frame.get());
        menu.addAction(QStringLiteral("Recall"));
        EXPECT_EQ(menu.exec(frame->mapToGlobal(QPoint(40, 40))), nullptr);
    });
}

TEST_F(FrameSignalTest, ASecondBoxOpenedAfterTheFirstWasDismissedIsDismissedToo) {
    int boxes = 0;
    signalDuring([&] {
        // The caller of the first box goes on and asks again: that box is
        // dismissed on the next look, and the close still waits.
        frame->showMessage("first", "Error", MessageKind::Error);
        ++boxes;
        frame->showMessage("second", "Error", MessageKind::Error);
        ++boxes;
    });
    EXPECT_EQ(boxes, 2);
}

TEST_F(FrameSignalTest, TheLogViewFillEndsBeforeTheClose) {
    // The fill lets the window paint once it turns out slow; a close under
    // it would stop the log with the fill still reading the document.
    view().setRowSource(ListMode::LogView, [&](const RowProgress& progress) {
        ListRows rows(300);
        // Long enough for the progress window to come up.
        QThread::msleep(400);
        for (std::size_t done = 0; done < rows.size(); done += 100) {
            progress(done, rows.size());
            QThread::msleep(60);
        }
        return rows;
    });
    signalDuring([&] { showList(ListMode::LogView); });
}

TEST_F(FrameSignalTest, OutsideAnyNestedLoopTheCloseIsImmediate) {
    ASSERT_FALSE(nested::inside());
    frame->closeOnSignal();
    EXPECT_TRUE(frame->hasShutDown());
    EXPECT_FALSE(frame->closePending());
    EXPECT_FALSE(frame->isVisible());
}

TEST_F(FrameSignalTest, TheMainLoopLevelIsTheOutermost) {
    // Inside the program's main loop (level 1) a close runs at once; a box
    // opened from it (level 2) is a nested loop.
    nested::setMainLoopLevel(1);
    bool insideMain = true;
    bool insideBox = false;
    QTimer::singleShot(0, [&] {
        insideMain = nested::inside();
        QTimer::singleShot(50, [&] {
            insideBox = nested::inside();
            nested::endModalLoops();
        });
        frame->showMessage("x", "Error", MessageKind::Error);
        QCoreApplication::exit(0);
    });
    QCoreApplication::exec();
    nested::setMainLoopLevel(0);
    EXPECT_FALSE(insideMain);
    EXPECT_TRUE(insideBox);
}

}  // namespace
}  // namespace korvex::test
