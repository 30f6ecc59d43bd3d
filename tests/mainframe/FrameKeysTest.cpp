// The frame's keyboard shortcuts: what each key queues or calls.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QMenu>
#include <QSignalSpy>

#include "FrameFixture.h"
#include "ui/ViewArea.h"
#include "ui/ZelScopeView.h"

namespace korvex::test {
namespace {

class FrameKeysTest : public FrameTest {
protected:
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(frame.get(), key, modifiers);
    }
    void clearQueue() { frame->pollFields().commandQueue.clear(); }

    // A stand-in panel with the four focus targets.
    void installPanel() {
        auto* panel = new QWidget;
        auto* layout = new QHBoxLayout(panel);
        step = new QComboBox(panel);
        mode = new QComboBox(panel);
        autoBox = new QCheckBox(QStringLiteral("A"), panel);
        list = new QComboBox(panel);
        for (QWidget* w : {static_cast<QWidget*>(step), static_cast<QWidget*>(mode),
                           static_cast<QWidget*>(autoBox), static_cast<QWidget*>(list)}) {
            layout->addWidget(w);
        }
        frame->setTuningPanel(panel);
        PanelHooks& hooks = frame->panelHooks();
        hooks.stepSelector = step;
        hooks.modeSelector = mode;
        hooks.autoBox = autoBox;
        hooks.listSelector = list;
        QApplication::processEvents();
    }

    QComboBox* step = nullptr;
    QComboBox* mode = nullptr;
    QCheckBox* autoBox = nullptr;
    QComboBox* list = nullptr;
};

const std::pair<Qt::Key, std::string> kDialCases[] = {{Qt::Key_Up, "\x1E\r"},
                                                      {Qt::Key_Right, "\x1C\r"},
                                                      {Qt::Key_Down, "\x1F\r"},
                                                      {Qt::Key_Left, "\x1D\r"}};

// With the panel in place: its step buttons queue the byte first (and may
// queue a read-back after it).
TEST_F(FrameKeysTest, CtrlArrowsQueueTheDialBytesFirst) {
    for (const auto& [key, bytes] : kDialCases) {
        clearQueue();
        press(key, Qt::ControlModifier);
        EXPECT_EQ(queue().substr(0, 2), bytes) << int(key);
    }
}

TEST_F(FrameKeysTest, WithoutAPanelCtrlArrowsQueueJustTheDialBytes) {
    frame->panelHooks().dial = {};
    for (const auto& [key, bytes] : kDialCases) {
        clearQueue();
        press(key, Qt::ControlModifier);
        EXPECT_EQ(queue(), bytes) << int(key);
    }
}

TEST_F(FrameKeysTest, ThePanelsDialTakesTheKeyInsteadOfTheFallback) {
    std::vector<cmd::DialKey> seen;
    frame->panelHooks().dial = [&](cmd::DialKey k) { seen.push_back(k); };
    clearQueue();
    press(Qt::Key_Up, Qt::ControlModifier);
    press(Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(seen, (std::vector{cmd::DialKey::Up, cmd::DialKey::Left}));
    EXPECT_EQ(queue(), "");
}

TEST_F(FrameKeysTest, KeypadKeysSelectTheVfos) {
    frame->panelHooks().vfo = {};
    const std::pair<Qt::Key, std::string> cases[] = {
        {Qt::Key_Slash, "VA\r"}, {Qt::Key_Asterisk, "VB\r"}, {Qt::Key_Minus, "VF\r"}};
    for (const auto& [key, word] : cases) {
        clearQueue();
        press(key, Qt::KeypadModifier);
        EXPECT_EQ(queue().substr(0, 3), word) << int(key);
    }
    // The main keyboard's minus is no VFO key.
    clearQueue();
    press(Qt::Key_Minus);
    EXPECT_EQ(queue(), "");
}

TEST_F(FrameKeysTest, PowerOffOnlyQueuesQp) {
    clearQueue();
    frame->action(CommandId::PowerOff)->trigger();
    EXPECT_EQ(queue(), "QP\r");
    EXPECT_FALSE(frame->pollFields().receiverPoweredOff);
}

TEST_F(FrameKeysTest, EnterGoesToThePanel) {
    int enters = 0;
    frame->panelHooks().enter = [&] { ++enters; };
    press(Qt::Key_Return);
    press(Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(enters, 2);
}

TEST_F(FrameKeysTest, ListViewKeysCallTheirHooks) {
    std::vector<std::string> calls;
    ListViewHooks& hooks = frame->listHooks();
    hooks.recallChannel = [&] { calls.push_back("recall"); };
    hooks.storeVfoHere = [&] { calls.push_back("store"); };
    hooks.deleteChannel = [&] { calls.push_back("delete"); };
    hooks.deleteLogEntry = [&] { calls.push_back("deleteLog"); };
    hooks.playAudio = [&] { calls.push_back("play"); };
    hooks.defaultAction = [&] { calls.push_back("default"); };
    hooks.print = [&] { calls.push_back("print"); };
    const std::tuple<Qt::Key, Qt::KeyboardModifiers, std::string> cases[] = {
        {Qt::Key_F10, Qt::NoModifier, "recall"},
        {Qt::Key_F11, Qt::NoModifier, "store"},
        {Qt::Key_Delete, Qt::ControlModifier, "delete"},
        {Qt::Key_Delete, Qt::AltModifier, "deleteLog"},
        {Qt::Key_Return, Qt::AltModifier, "play"},
        {Qt::Key_Return, Qt::ControlModifier, "default"},
        {Qt::Key_P, Qt::ControlModifier, "print"},
    };
    for (const auto& [key, modifiers, name] : cases) {
        calls.clear();
        press(key, modifiers);
        EXPECT_EQ(calls, std::vector<std::string>{name}) << name;
    }
}

TEST_F(FrameKeysTest, CtrlSAsksForTheDocumentSave) {
    QSignalSpy spy(frame.get(), &CMainFrame::saveDocumentRequested);
    press(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(spy.count(), 1);
}

TEST_F(FrameKeysTest, FunctionKeysMoveTheFocus) {
    installPanel();
    const std::pair<Qt::Key, QWidget*> cases[] = {{Qt::Key_F2, step},
                                                  {Qt::Key_F3, mode},
                                                  {Qt::Key_F5, autoBox},
                                                  {Qt::Key_F6, list},
                                                  {Qt::Key_F9, frame->listView()}};
    for (const auto& [key, target] : cases) {
        press(key);
        EXPECT_EQ(QApplication::focusWidget(), target) << int(key);
    }
}

TEST_F(FrameKeysTest, CtrlTabTwiceFromTheViewReturnsToIt) {
    installPanel();
    frame->listView()->setFocus();
    press(Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(QApplication::focusWidget(), autoBox);
    press(Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(QApplication::focusWidget(), frame->listView());
}

TEST_F(FrameKeysTest, AltCOpensTheListMenuNearTheTopLeft) {
    std::vector<QPoint> at;
    frame->listHooks().contextMenu = [&](const QPoint& p) { at.push_back(p); };
    press(Qt::Key_C, Qt::AltModifier);
    const QRect window = frame->frameGeometry();
    EXPECT_EQ(at, std::vector<QPoint>{QPoint(window.left() + 20, window.top() + 20)});
}

TEST_F(FrameKeysTest, AltCWithTheBandscopeShownOpensItsMenu) {
    bool listMenu = false;
    frame->listHooks().contextMenu = [&](const QPoint&) { listMenu = true; };
    frame->showScopeView();
    press(Qt::Key_C, Qt::AltModifier);
    auto* scope = qobject_cast<CZelScopeView*>(frame->viewArea().scopeView());
    ASSERT_NE(scope, nullptr);
    EXPECT_FALSE(listMenu);
    EXPECT_TRUE(scope->contextMenu()->isVisible());
    QStringList captions;
    for (QAction* a : scope->contextMenu()->actions()) {
        captions << a->text();
    }
    EXPECT_EQ(captions, (QStringList{"Halt Search", "Resume Search", "", "Save Sweep ..."}));
    scope->contextMenu()->hide();
}

TEST_F(FrameKeysTest, TheBandscopeViewIsMadeWhenFirstShownAndSwapsWithTheList) {
    CViewArea& views = frame->viewArea();
    EXPECT_EQ(views.scopeView(), nullptr);
    EXPECT_EQ(views.activeKind(), CViewArea::Kind::List);
    frame->showScopeView();
    QWidget* scope = views.scopeView();
    ASSERT_NE(scope, nullptr);
    EXPECT_EQ(views.activeView(), scope);
    EXPECT_TRUE(scope->isVisible());
    EXPECT_FALSE(frame->listView()->isVisible());
    frame->action(CommandId::ViewList)->trigger();
    EXPECT_EQ(views.activeKind(), CViewArea::Kind::List);
    EXPECT_TRUE(frame->listView()->isVisible());
    frame->showScopeView();
    EXPECT_EQ(views.scopeView(), scope);  // made once
}

}  // namespace
}  // namespace korvex::test
