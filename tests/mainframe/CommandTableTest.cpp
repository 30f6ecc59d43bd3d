// The menu bar, the tool bar and the command states against the tables.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>
#include <set>

#include "FrameFixture.h"
#include "ui/CommandTable.h"
#include "ui/StatusPanes.h"

namespace korvex::test {
namespace {

QString qs(std::string_view s) {
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

using CommandTableTest = FrameTest;

TEST_F(CommandTableTest, MenuBarHoldsTheSixMenusInOrder) {
    const QList<QAction*> menus = frame->menuBar()->actions();
    ASSERT_EQ(menus.size(), 6);
    const QStringList expected = {"&File", "&Edit", "V&iew", "&Settings", "&Log", "&Help"};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(menus[i]->text(), expected[i]);
    }
}

TEST_F(CommandTableTest, EachMenuHoldsItsItemsWithCaptionShortcutAndPrompt) {
    for (QAction* menuAction : frame->menuBar()->actions()) {
        QList<const CommandEntry*> expected;
        for (const CommandEntry& entry : commandTable()) {
            if (qs(entry.menu) == menuAction->text()) {
                expected.push_back(&entry);
            }
        }
        QList<QAction*> items;
        for (QAction* a : menuAction->menu()->actions()) {
            if (!a->isSeparator()) {
                items.push_back(a);
            }
        }
        ASSERT_EQ(items.size(), expected.size()) << menuAction->text().toStdString();
        for (int i = 0; i < items.size(); ++i) {
            const CommandEntry& entry = *expected[i];
            EXPECT_EQ(items[i]->text(), qs(entry.caption));
            EXPECT_EQ(items[i]->statusTip(), qs(entry.prompt)) << entry.caption;
            EXPECT_EQ(items[i]->shortcut(), QKeySequence(qs(entry.shortcut))) << entry.caption;
            EXPECT_EQ(items[i]->isCheckable(), entry.checkable) << entry.caption;
        }
    }
}

// A few rows spelled out, so a slip in the table itself shows.
TEST_F(CommandTableTest, TableRowsKeepTheSystemsTexts) {
    struct Row {
        CommandId id;
        const char* caption;
        const char* shortcut;
        const char* prompt;
    };
    const Row rows[] = {
        {CommandId::FileNew, "&New", "Ctrl+N", "create a new logfile"},
        {CommandId::ConnectDb2, "Connect to DB&2", "", "connect to database 2"},
        {CommandId::EditCopy, "Copy ", "Ctrl+C", "copy selected channel to clipboard"},
        {CommandId::EditFindNext, "Find Next", "Ctrl+G",
         "find the next occurence of the search string"},
        {CommandId::ViewList, "&List View", "",
         "list mode, frequency and channel view (normal operation)"},
        {CommandId::SaveSettingsOnExit, "Save Settings On E&xit", "",
         "toggle save settings on exit"},
        {CommandId::PowerOff, "&Power Off", "", "switch rx to standby mode"},
        {CommandId::HelpContents, "&Help", "F1", "Help"},
        {CommandId::HelpAbout, "&About AR8600...", "", ""},
    };
    for (const Row& row : rows) {
        QAction* a = frame->action(row.id);
        EXPECT_EQ(a->text(), QString::fromLatin1(row.caption));
        EXPECT_EQ(a->shortcut(), QKeySequence(QString::fromLatin1(row.shortcut)));
        EXPECT_EQ(a->statusTip(), QString::fromLatin1(row.prompt));
    }
}

TEST_F(CommandTableTest, ToolBarButtonsFollowTheLayoutWithGaps) {
    const QList<QAction*> actions = frame->toolBar()->actions();
    const auto layout = toolBarLayout();
    ASSERT_EQ(actions.size(), static_cast<qsizetype>(layout.size()));
    for (std::size_t i = 0; i < layout.size(); ++i) {
        QAction* a = actions[static_cast<qsizetype>(i)];
        if (layout[i].separator) {
            EXPECT_TRUE(a->isSeparator()) << i;
            continue;
        }
        EXPECT_EQ(a, frame->action(layout[i].id)) << i;
        EXPECT_FALSE(a->icon().isNull()) << a->text().toStdString();
        EXPECT_FALSE(a->toolTip().isEmpty()) << a->text().toStdString();
    }
    EXPECT_EQ(frame->toolBar()->iconSize(), QSize(16, 15));
    // Eight groups: seven gaps.
    EXPECT_EQ(std::count_if(layout.begin(), layout.end(), [](auto s) { return s.separator; }), 7);
}

// At start, with no log, no recording and no receiver state yet, only the
// commands that wait for one of those are disabled.
TEST_F(CommandTableTest, OnlyCommandsWaitingForStateAreDisabledAtStart) {
    const std::set<CommandId> working = {
        CommandId::FileExit,
        CommandId::ViewList,
        CommandId::ViewBandscope,
        CommandId::ViewBandscopePeak,
        CommandId::ViewBandscopeStatistic,
        CommandId::ViewToolbar,
        CommandId::ViewStatusBar,
        CommandId::SettingsMisc,
        CommandId::SettingsSerial,
        CommandId::SettingsRigctl,
        CommandId::SettingsWebPage,
        CommandId::SaveSettingsNow,
        CommandId::SaveSettingsOnExit,
        CommandId::PowerOff,
        CommandId::HelpContents,
        CommandId::HelpShortcuts,
        CommandId::HelpLicense,
        CommandId::HelpAbout,
        // The frequency databases'.
        CommandId::ConnectDb1,
        CommandId::ConnectDb2,
        CommandId::ConnectDb3,
        CommandId::EditJump,
        CommandId::SettingsDatabase,
        // The log's: Stop Log and Stop Recording wait for a log or a recording.
        CommandId::FileNew,
        CommandId::FileOpen,
        CommandId::LogStart,
        CommandId::RecordNow,
        CommandId::SettingsLog,
        CommandId::EditFind,
        CommandId::EditFindNext,
    };
    for (const CommandEntry& entry : commandTable()) {
        EXPECT_EQ(frame->action(entry.id)->isEnabled(), working.count(entry.id) == 1)
            << entry.caption;
    }
}

TEST_F(CommandTableTest, AHandlerEnablesItsCommandAndDecidesItsCheckMark) {
    bool enabled = false;
    int runs = 0;
    frame->setCommandHandler(CommandId::LogStart, {[&] { ++runs; }, [&] { return enabled; }, {}});
    EXPECT_FALSE(frame->action(CommandId::LogStart)->isEnabled());
    enabled = true;
    // Menus re-evaluate when they open.
    QMenu* logMenu = frame->findChild<QMenu*>("logMenu");
    ASSERT_NE(logMenu, nullptr);
    emit logMenu->aboutToShow();
    EXPECT_TRUE(frame->action(CommandId::LogStart)->isEnabled());
    frame->action(CommandId::LogStart)->trigger();
    EXPECT_EQ(runs, 1);
}

TEST_F(CommandTableTest, HoveringAnItemShowsItsPromptInTheMessagePane) {
    frame->statusPanes().setMessage("Info: something");
    QMenu* settings = frame->findChild<QMenu*>("settingsMenu");
    ASSERT_NE(settings, nullptr);
    for (CommandId id : {CommandId::PowerOff, CommandId::SaveSettingsNow}) {
        // A menu opened from the bar sends its prompts by way of the bar.
        frame->action(id)->showStatusText(frame->menuBar());
        EXPECT_EQ(frame->statusPanes().shownMessage(), frame->action(id)->statusTip());
    }
    // Leaving the menu brings the message back.
    emit settings->aboutToHide();
    EXPECT_EQ(frame->statusPanes().shownMessage(), "Info: something");
}

TEST_F(CommandTableTest, LinkPaneShowsTheStateNameAndLockPanesStayEmpty) {
    const std::pair<LinkState, const char*> cases[] = {{LinkState::Idle, "IDLE"},
                                                       {LinkState::Retry, "RETRY"},
                                                       {LinkState::Err, "ERR"},
                                                       {static_cast<LinkState>(9), "???"}};
    for (const auto& [state, name] : cases) {
        frame->receiver().linkState = state;
        // The panes follow the model on the window's timer.
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return frame->statusPanes().text(CStatusPanes::LinkState) == name; }, 1000))
            << name;
    }
    EXPECT_TRUE(frame->statusPanes().text(CStatusPanes::CapsLock).isEmpty());
    EXPECT_TRUE(frame->statusPanes().text(CStatusPanes::NumLock).isEmpty());
}

TEST_F(CommandTableTest, LogAndRecordingPanesAreEnabledOnlyWhileTheyRun) {
    bool recording = false;
    frame->setRecordingProbe([&] { return recording; });
    for (const bool running : {true, false}) {
        frame->receiver().logActive = running;
        recording = running;
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return frame->statusPanes().paneEnabled(CStatusPanes::Log) == running; }, 1000));
        EXPECT_EQ(frame->statusPanes().paneEnabled(CStatusPanes::Recording), running);
        // Without a polled port the window blinks the texts itself.
        EXPECT_EQ(QTest::qWaitFor(
                      [&] { return frame->statusPanes().text(CStatusPanes::Log) == "LOG"; }, 1500),
                  running);
    }
}

TEST_F(CommandTableTest, TitleIsTheDocumentNameAndTheProgram) {
    EXPECT_EQ(frame->windowTitle(), "no log - Korvex v1.41");
    frame->setDocumentName("night.log");
    EXPECT_EQ(frame->windowTitle(), "night.log - Korvex v1.41");
}

}  // namespace
}  // namespace korvex::test
