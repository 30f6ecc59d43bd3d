// The CAP and NUM panes under a real X server: Caps Lock and Num Lock are
// switched with xdotool and the panes follow the keyboard's indicators.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <memory>

#include "tests/support/TempDir.h"
#include "tests/support/XvfbDisplay.h"
#include "ui/KeyboardLocks.h"
#include "ui/MainFrame.h"
#include "ui/StatusPanes.h"

namespace korvex::test {
namespace {

// The private server main() starts, ":N".
std::string displayName;

void pressKey(const char* key) {
    Process xdotool;
    const TempDir out("korvex-xkb-key");
    ASSERT_TRUE(xdotool.startWithEnvironment({XDOTOOL_PATH, "key", key},
                                             {"PATH=/usr/bin:/bin", "DISPLAY=" + displayName},
                                             out / "xdotool.out"));
    EXPECT_EQ(xdotool.wait(std::chrono::seconds(10)), 0) << readFile(out / "xdotool.out");
}

TEST(XkbLocks, PanesFollowCapsLockAndNumLock) {
    auto start = keyboardLocks();
    ASSERT_TRUE(start.has_value()) << "the X server reports its keyboard indicators";
    const TempDir dir("korvex-xkb-frame");
    FrameOptions options;
    options.configDir = QString::fromStdString(dir.path());
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
    korvex::test::displayName = display.name();
    qputenv("QT_QPA_PLATFORM", "xcb");
    qputenv("DISPLAY", QByteArray::fromStdString(display.name()));
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
