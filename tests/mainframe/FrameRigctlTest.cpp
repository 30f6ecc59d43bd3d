// The network control's menu item, status pane and settings in the window,
// without a receiver.
#include <QAction>
#include <QLabel>
#include <QTcpServer>
#include <QTcpSocket>

#include "mainframe/FrameFixture.h"
#include "station/RigctlListener.h"
#include "support/PumpUntil.h"
#include "ui/StatusPanes.h"

namespace korvex::test {
namespace {

class FrameRigctlTest : public FrameTest {
protected:
    QLabel* pane() const { return frame->findChild<QLabel*>(QStringLiteral("rigctlPane")); }
    QAction* item() const { return frame->action(CommandId::SettingsRigctl); }
    static quint16 freePort() {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        return probe.serverPort();
    }
};

TEST_F(FrameRigctlTest, TheMenuItemStartsAndStopsTheServerAndTheSettingsFollow) {
    const quint16 port = freePort();
    frame->settings().rigctlPort = port;
    ASSERT_NE(pane(), nullptr);
    EXPECT_TRUE(pane()->isHidden());
    EXPECT_TRUE(item()->isCheckable());
    EXPECT_EQ(item()->text(), QStringLiteral("Network &Control (rigctld)"));

    item()->trigger();
    EXPECT_TRUE(frame->rigctl().isListening());
    EXPECT_EQ(frame->rigctl().port(), port);
    EXPECT_TRUE(item()->isChecked());
    EXPECT_TRUE(frame->settings().rigctlEnabled);
    EXPECT_EQ(pane()->text(), QStringLiteral("rigctld: 0 clients"));
    EXPECT_FALSE(pane()->isHidden());

    // Without a receiver a client hears so at once, and is counted.
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, port);
    ASSERT_TRUE(client.waitForConnected(3000));
    EXPECT_TRUE(pumpUntil([&] { return pane()->text() == "rigctld: 1 client"; }, 3000));
    client.write("\\get_powerstat\nf\nF 145500000\n");
    QByteArray reply;
    pumpUntil([&] { return (reply += client.readAll()).count('\n') >= 3; }, 3000);
    EXPECT_EQ(reply, "0\nRPRT -6\nRPRT -6\n");
    EXPECT_TRUE(frame->pollFields().commandQueue.empty());

    item()->trigger();
    EXPECT_FALSE(frame->rigctl().isListening());
    EXPECT_FALSE(item()->isChecked());
    EXPECT_FALSE(frame->settings().rigctlEnabled);
    EXPECT_TRUE(pane()->isHidden());
    EXPECT_TRUE(
        pumpUntil([&] { return client.state() == QAbstractSocket::UnconnectedState; }, 3000));
}

TEST_F(FrameRigctlTest, APortInUseIsSaidAndLeavesTheItemUnchecked) {
    QTcpServer holder;
    ASSERT_TRUE(holder.listen(QHostAddress::LocalHost, 0));
    frame->settings().rigctlPort = holder.serverPort();
    item()->trigger();
    EXPECT_FALSE(frame->rigctl().isListening());
    EXPECT_FALSE(item()->isChecked());
    EXPECT_FALSE(frame->settings().rigctlEnabled);
    EXPECT_TRUE(frame->statusPanes().message().startsWith("Network control: cannot listen on"))
        << frame->statusPanes().message().toStdString();

    frame->settings().rigctlBind = "not an address";
    EXPECT_FALSE(frame->startRigctl(freePort()));
}

}  // namespace
}  // namespace korvex::test
