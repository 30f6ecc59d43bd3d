// The web page's menu item, status pane and token in the window, without a
// receiver.
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QTcpServer>

#include "mainframe/FrameFixture.h"
#include "station/StationWeb.h"
#include "support/RawConnection.h"
#include "ui/dialogs/MiscSettingsDialog.h"
#include "ui/dialogs/Prompt.h"

namespace korvex::test {
namespace {

class FrameWebTest : public FrameTest {
protected:
    QLabel* pane() const { return frame->findChild<QLabel*>(QStringLiteral("webPane")); }
    QAction* item() const { return frame->action(CommandId::SettingsWebPage); }
    void TearDown() override {
        setPromptHook({});
        FrameTest::TearDown();
    }
};

TEST_F(FrameWebTest, TheMenuItemIsCheckedWhileThePageIsServed) {
    const int port = freeLoopbackPort();
    frame->settings().httpPort = port;
    ASSERT_NE(pane(), nullptr);
    EXPECT_TRUE(pane()->isHidden());
    EXPECT_TRUE(item()->isCheckable());
    EXPECT_FALSE(item()->isChecked());

    item()->trigger();
    EXPECT_TRUE(frame->web().running());
    EXPECT_TRUE(item()->isChecked());
    EXPECT_TRUE(frame->settings().httpEnabled);
    EXPECT_EQ(pane()->text(), QStringLiteral("Web: http://127.0.0.1:%1/").arg(port));
    EXPECT_FALSE(pane()->isHidden());
    // On loopback without control no token is asked for, none is made.
    EXPECT_TRUE(frame->settings().httpToken.empty());

    item()->trigger();
    EXPECT_FALSE(frame->web().running());
    EXPECT_FALSE(item()->isChecked());
    EXPECT_FALSE(frame->settings().httpEnabled);
    EXPECT_TRUE(pane()->isHidden());
}

TEST_F(FrameWebTest, APortInUseIsSaidInABoxAndLeavesTheItemUnchecked) {
    std::vector<Prompt> boxes;
    setPromptHook([&](const Prompt& p) {
        boxes.push_back(p);
        return true;
    });
    QTcpServer holder;
    ASSERT_TRUE(holder.listen(QHostAddress::LocalHost, 0));
    frame->settings().httpPort = holder.serverPort();
    item()->trigger();
    EXPECT_FALSE(frame->web().running());
    EXPECT_FALSE(item()->isChecked());
    EXPECT_FALSE(frame->settings().httpEnabled);
    EXPECT_TRUE(pane()->isHidden());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, QStringLiteral("Web Page"));
    EXPECT_TRUE(boxes[0].text.startsWith("Web page: cannot listen on 127.0.0.1 port"))
        << boxes[0].text.toStdString();
}

// Control on asks for the token even on loopback: it is made, saved in
// Korv.ini and shown in the settings.
TEST_F(FrameWebTest, AMadeTokenIsSavedAndShownInTheSettings) {
    const int port = freeLoopbackPort();
    frame->settings().httpControl = true;
    ASSERT_TRUE(frame->startWebPage(port));
    const std::string token = frame->settings().httpToken;
    EXPECT_EQ(token.size(), 32u);
    EXPECT_EQ(frame->web().token(), token);
    EXPECT_EQ(loadSettings(iniPath()).httpToken, token);
    CMiscSettingsDialog dialog(frame->settings(), frame->receiver(), frame.get());
    EXPECT_EQ(dialog.webTokenField()->text().toStdString(), token);
    EXPECT_TRUE(dialog.webTokenField()->isReadOnly());
}

}  // namespace
}  // namespace korvex::test
