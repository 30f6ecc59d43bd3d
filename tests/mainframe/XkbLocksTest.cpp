// The CAP and NUM panes under a real X server: Caps Lock and Num Lock are
// switched with xdotool and the panes follow the keyboard's indicators.
#include <gtest/gtest.h>

#include <QApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "tests/support/TempDir.h"
#include "tests/support/XvfbDisplay.h"
#include "ui/KeyboardLocks.h"
#include "ui/MainFrame.h"
#include "ui/StatusPanes.h"

namespace korvex::test {
namespace {

void pressKey(const char* key) {
    QProcess::execute(QStringLiteral(XDOTOOL_PATH),
                      {QStringLiteral("key"), QString::fromLatin1(key)});
}

TEST(XkbLocks, PanesFollowCapsLockAndNumLock) {
    auto start = keyboardLocks();
    ASSERT_TRUE(start.has_value()) << "the X server reports its keyboard indicators";
    QTemporaryDir dir;
    FrameOptions options;
    options.configDir = dir.path();
    CMainFrame frame(options);
    frame.settings().saveOnExit = false;

    const auto panes = [&frame] {
        frame.onTimer();
        return std::pair(frame.statusPanes().text(CStatusPanes::CapsLock),
                         frame.statusPanes().text(CStatusPanes::NumLock));
    };
    for (int round = 0; round < 2; ++round) {
        const KeyboardLocks now = *keyboardLocks();
        EXPECT_EQ(panes(), std::pair(now.capsLock ? QStringLiteral("CAP") : QString(),
                                     now.numLock ? QStringLiteral("NUM") : QString()));
        pressKey("Caps_Lock");
        EXPECT_TRUE(QTest::qWaitFor([&] { return keyboardLocks()->capsLock != now.capsLock; }));
        pressKey("Num_Lock");
        EXPECT_TRUE(QTest::qWaitFor([&] { return keyboardLocks()->numLock != now.numLock; }));
        const KeyboardLocks after = *keyboardLocks();
        EXPECT_EQ(panes(), std::pair(after.capsLock ? QStringLiteral("CAP") : QString(),
                                     after.numLock ? QStringLiteral("NUM") : QString()));
    }
    EXPECT_EQ(*keyboardLocks(), *start) << "two presses each: back where it started";
}

}  // namespace
}  // namespace korvex::test

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests)) {
        return RUN_ALL_TESTS();
    }
    // This test is about X11: it runs on the xcb platform, on an X server of
    // its own whatever the caller has.
    korvex::test::TempDir dir("korvex-xkb");
    korvex::test::XvfbDisplay display;
    if (!display.start(dir / "xvfb.out", "1024x768x24")) {
        std::fputs("Xvfb did not start\n", stderr);
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    qputenv("DISPLAY", QByteArray::fromStdString(display.name()));
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
