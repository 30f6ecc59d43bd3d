// The activity log in the window: its commands' enabling, the file dialogs,
// Start and Stop Log, Record Now and the LOG VIEW.
#include <QAction>
#include <QLineEdit>

#include "FrameFixture.h"
#include "log/LogActions.h"
#include "log/LogControl.h"
#include "log/LogFakes.h"
#include "ui/ListKind.h"
#include "ui/LogViewRows.h"
#include "ui/StatusPanes.h"
#include "ui/ZelView.h"

namespace korvex::test {
namespace {

class FrameLogTest : public FrameTest {
protected:
    void SetUp() override {
        FrameTest::SetUp();
        auto fake = std::make_unique<FakeSound>();
        sound = fake.get();
        frame->setSoundControl(std::move(fake));
        LogFileDialogs dialogs;
        dialogs.chooseNew = [this](QWidget*, const QString& initial) {
            offered << initial;
            return chosen;
        };
        dialogs.open = dialogs.chooseNew;
        frame->setLogFileDialogs(dialogs);
    }

    bool enabled(CommandId id) {
        frame->updateCommandStates();
        return frame->action(id)->isEnabled();
    }
    CZelView* view() { return qobject_cast<CZelView*>(frame->listView()); }
    QString logPath(const char* name) const { return filePath(QString::fromLatin1(name)); }

    FakeSound* sound = nullptr;
    std::optional<QString> chosen;
    QStringList offered;
};

TEST_F(FrameLogTest, StartLogAsksForAFileThenRunsAndStops) {
    EXPECT_TRUE(enabled(CommandId::LogStart));
    EXPECT_FALSE(enabled(CommandId::LogStop));

    chosen = std::nullopt;
    frame->startLog();
    EXPECT_FALSE(frame->receiver().logActive) << "a cancelled dialog starts nothing";
    EXPECT_EQ(offered, QStringList{QStringLiteral("new.log")});

    chosen = logPath("air.log");
    frame->pollFields().commandQueue.clear();
    frame->startLog();
    EXPECT_TRUE(frame->receiver().logActive);
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("air.log - Korvex v1.41"));
    EXPECT_EQ(frame->settings().logFilePath, logPath("air.log").toStdString());
    EXPECT_NE(queue().find("LC1\r"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(logPath("air.log").toStdString()));
    EXPECT_FALSE(enabled(CommandId::LogStart));
    EXPECT_TRUE(enabled(CommandId::LogStop));
    EXPECT_FALSE(enabled(CommandId::FileNew));
    EXPECT_FALSE(enabled(CommandId::FileOpen));
    EXPECT_FALSE(enabled(CommandId::RecordNow));

    frame->stopLog();
    EXPECT_FALSE(frame->receiver().logActive);
    // Until the thread has written its last entry nothing may touch the
    // entries or start a recording.
    ASSERT_TRUE(frame->logControl().threadExists());
    EXPECT_FALSE(enabled(CommandId::FileNew));
    EXPECT_FALSE(enabled(CommandId::RecordNow));
    EXPECT_FALSE(enabled(CommandId::LogStart));
    EXPECT_TRUE(QTest::qWaitFor([&] {
        frame->logControl().reap();
        return !frame->logControl().threadExists();
    }));
    EXPECT_TRUE(enabled(CommandId::LogStart));
    EXPECT_TRUE(enabled(CommandId::FileNew));
}

TEST_F(FrameLogTest, StartLogIsRefusedInTheVfoStates) {
    for (int state : {kStateVfoA, kStateVfoB, kStateVvA, kStateVvB}) {
        frame->receiver().operatingState = state;
        EXPECT_FALSE(enabled(CommandId::LogStart)) << state;
    }
    frame->receiver().operatingState = kStateMemoryScan;
    EXPECT_TRUE(enabled(CommandId::LogStart));
}

TEST_F(FrameLogTest, RecordNowTwiceSaysSoAndStopRecordingFollowsTheLibrary) {
    frame->settings().logFilePath = logPath("air.log").toStdString();
    EXPECT_TRUE(enabled(CommandId::RecordNow));
    EXPECT_FALSE(enabled(CommandId::StopRecording));
    frame->action(CommandId::RecordNow)->trigger();
    ASSERT_EQ(sound->calls.size(), 1u);
    EXPECT_EQ(sound->calls[0].rfind("StartRec 11025 8 " + temp.path() + "/m", 0), 0u)
        << sound->calls[0];
    EXPECT_FALSE(enabled(CommandId::RecordNow));
    EXPECT_TRUE(enabled(CommandId::StopRecording));
    // No port is polled here: the window blinks "REC" all the same.
    ASSERT_FALSE(frame->isPolling());
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return frame->statusPanes().text(CStatusPanes::Recording) == "REC"; }, 3000));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return frame->statusPanes().text(CStatusPanes::Recording).isEmpty(); }, 3000));

    auto box = captureNextModal();
    frame->logControl().recordNow(frame->settings().logFilePath);
    EXPECT_EQ(box->text, QStringLiteral("Already recording or wrong parameters!"));

    frame->action(CommandId::StopRecording)->trigger();
    EXPECT_FALSE(sound->recording);
    auto second = captureNextModal();
    frame->logControl().stopRecording();
    EXPECT_EQ(second->text, QStringLiteral("Not Recording!"));
}

// Recordings that hold nothing, one after the other while nobody watches:
// one box, then the status bar only, until a recording holds samples again.
TEST_F(FrameLogTest, RecordingsWithoutSamplesAreBoxedOnceAndShownUntilOneWorks) {
    frame->settings().logFilePath = logPath("air.log").toStdString();
    sound->recordInto = [](const std::string&) {};
    const auto recordAndStop = [&] {
        frame->logControl().recordNow(frame->settings().logFilePath);
        frame->logControl().stopRecording();
    };
    auto box = captureNextModal();
    recordAndStop();
    EXPECT_TRUE(box->seen);
    EXPECT_EQ(box->text.left(21), QStringLiteral("No usable recording:\n"));
    EXPECT_EQ(frame->statusPanes().alert(), box->text);

    auto noBox = captureNextModal();
    recordAndStop();
    recordAndStop();
    QTest::qWait(100);
    EXPECT_FALSE(noBox->seen);
    EXPECT_TRUE(frame->statusPanes().alert().startsWith(QStringLiteral("No usable recording")));

    sound->recordInto = [](const std::string& path) { FakeSound::writeWav(path, 2000); };
    recordAndStop();
    EXPECT_EQ(frame->statusPanes().alert(), QString());
    noBox.reset();
}

TEST_F(FrameLogTest, OpenFillsTheLogViewWithoutTakingTheFocus) {
    writeText(logPath("air.log").toStdString(),
              "My airband log\n"
              "2004-03-15\t14:02:31\t00:00:12\t145.500000\t123\tair040315_140231.wav\r\n"
              "2004-03-15\t14:05:00\t00:00:03\t118.100000\t088\t\xB0\xB0\xB0\n");
    chosen = logPath("air.log");
    frame->openLogFile();
    EXPECT_EQ(frame->document().entryCount(), 2u);
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("air.log - Korvex v1.41"));

    frame->refreshFromModel();  // the panel has shown its first list
    view()->switchLayout(ListMode::LogView);
    auto* entry = frame->tuningPanel()->findChild<QLineEdit*>();
    ASSERT_NE(entry, nullptr);
    entry->setFocus();
    frame->receiver().logActive = true;  // the running log marks the newest row
    frame->document().entriesChanged = true;
    frame->refreshFromModel();
    frame->receiver().logActive = false;
    ASSERT_EQ(view()->itemCount(), 2);
    EXPECT_EQ(view()->itemText(0, 3), "145.500000");
    EXPECT_EQ(view()->itemText(1, 5), "\xB0\xB0\xB0");
    EXPECT_EQ(view()->selectedRow(), 1);
    EXPECT_TRUE(entry->hasFocus()) << "a refill leaves the focus where it was";
}

TEST_F(FrameLogTest, TheLogViewFillLetsTheDocumentBeUsedWhileItShowsProgress) {
    // The progress window handles events between steps: the idle tick and
    // the report window's timer ask the document then, and the log thread
    // appends. None of them may wait for a lock the fill still holds.
    CZelDoc& doc = frame->document();
    LogEntry entry;
    entry.date = "2026-12-09";
    entry.frequency = "0145.500000";
    for (int i = 0; i < 250; ++i) {
        doc.appendEntry(entry);
    }
    int steps = 0;
    const ListRows rows = logRows(doc, [&](std::size_t, std::size_t) {
        ++steps;
        frame->updateCommandStates();
        EXPECT_GE(doc.entryCount(), 250u);
        doc.appendEntry(entry);
    });
    EXPECT_EQ(rows.size(), 250u);
    EXPECT_EQ(steps, 3);
    EXPECT_EQ(doc.entryCount(), 253u);
}

TEST_F(FrameLogTest, LogActionsFollowTheirRulesOnTheSelectedRow) {
    writeText(logPath("air.log").toStdString(),
              "2004-03-15\t14:02:31\t00:00:12\t145.500000\t123\ta.wav\n"
              "2004-03-15\t14:05:00\t00:00:03\t118.100000\t088\t\xB0\xB0\xB0\n");
    writeText(logPath("a.wav").toStdString(), "RIFF");
    chosen = logPath("air.log");
    frame->openLogFile();
    view()->switchLayout(ListMode::LogView);
    view()->refill();

    view()->selectItem(1);
    EXPECT_FALSE(view()->entryEnabled(ListEntry::PlayAudio)) << "no audio";
    EXPECT_TRUE(view()->entryEnabled(ListEntry::DeleteLogEntry));
    view()->selectItem(0);
    EXPECT_TRUE(view()->entryEnabled(ListEntry::PlayAudio));
    EXPECT_FALSE(view()->entryEnabled(ListEntry::StopPlaying));
    frame->listHooks().playAudio();
    EXPECT_EQ(sound->calls.back(), "StartPlay " + logPath("a.wav").toStdString());
    EXPECT_TRUE(view()->entryEnabled(ListEntry::StopPlaying));
    EXPECT_FALSE(view()->entryEnabled(ListEntry::DeleteAudioFile)) << "not while playing";
    view()->runEntry(ListEntry::StopPlaying);
    EXPECT_FALSE(sound->playing);

    frame->listHooks().deleteLogEntry();
    EXPECT_FALSE(std::filesystem::exists(logPath("a.wav").toStdString()));
    EXPECT_EQ(frame->document().entryCount(), 1u);
    EXPECT_EQ(readText(logPath("air.log").toStdString()),
              "2004-03-15\t14:05:00\t00:00:03\t118.100000\t088\t\xB0\xB0\xB0\n");
    frame->receiver().logActive = true;
    EXPECT_FALSE(view()->entryEnabled(ListEntry::DeleteLogEntry));
    frame->receiver().logActive = false;
}

}  // namespace
}  // namespace korvex::test
