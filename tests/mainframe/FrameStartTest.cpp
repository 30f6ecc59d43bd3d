// Starting on a port that cannot be opened: the message with its cause, and
// a stop signal while that message is shown.
#include <QTimer>

#include "FrameFixture.h"

namespace korvex::test {
namespace {

const QString kStartupText = QStringLiteral(
    "ComPort in use or not available.\nUse Settings->ComPort to change serial port settings");

class FrameStartTest : public ::testing::Test {
protected:
    std::unique_ptr<CMainFrame> frameOn(const QString& device) {
        FrameOptions options;
        options.configDir = dir.path();
        options.portDevice = device;
        auto frame = std::make_unique<CMainFrame>(options);
        frame->settings().saveOnExit = false;
        return frame;
    }

    QTemporaryDir dir;
};

TEST_F(FrameStartTest, OpenFailureShowsTheCauseBeneathTheMessage) {
    const QString missing = dir.filePath(QStringLiteral("ttyUSB7"));
    struct Case {
        QString device;
        QString cause;
    };
    for (const Case& c : {Case{missing, missing + ": no such device"},
                          Case{dir.path(), dir.path() + ": a directory, not a serial device"}}) {
        auto frame = frameOn(c.device);
        auto modal = captureNextModal();
        frame->start();
        ASSERT_TRUE(modal->seen);
        EXPECT_EQ(modal->title, "Error");
        EXPECT_EQ(modal->text, kStartupText);
        EXPECT_TRUE(modal->labels.contains(c.cause)) << modal->labels.join('|').toStdString();
        EXPECT_FALSE(frame->isPolling());
        EXPECT_FALSE(frame->hasShutDown());
    }
}

TEST_F(FrameStartTest, StopSignalWhileTheStartupMessageIsShownClosesTheFrame) {
    auto frame = frameOn(dir.filePath(QStringLiteral("ttyUSB7")));
    bool boxShown = false;
    // The signal comes while start() waits in the message box's own loop.
    QTimer::singleShot(100, frame.get(), [&] {
        boxShown = QApplication::activeModalWidget() != nullptr;
        frame->closeOnSignal();
    });
    frame->start();
    EXPECT_TRUE(boxShown);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(frame->hasShutDown());
    EXPECT_FALSE(frame->isVisible());
}

}  // namespace
}  // namespace korvex::test
