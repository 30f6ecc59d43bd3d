// The log's file commands and the log view's actions on real files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "link/CommandQueue.h"
#include "log/LogActions.h"
#include "log/LogFakes.h"
#include "log/LogFile.h"
#include "log/ZelDoc.h"
#include "model/Receiver.h"
#include "settings/KorvSettings.h"
#include "tests/support/TempDir.h"

namespace korvex::test {
namespace {

namespace fs = std::filesystem;

class LogActionsTest : public ::testing::Test {
protected:
    void SetUp() override {
        settings.logFilePath = log().string();
        doc.resetLog();
    }

    fs::path log() const { return folder.folder() / "air.log"; }
    fs::path wav(const std::string& name) const { return folder.folder() / name; }

    // An entry with a WAV file that exists when `withFile` is set.
    LogEntry addEntry(const std::string& audio, bool withFile) {
        LogEntry e{"2004-03-15", "14:02:31", "00:00:12", "145.5", "123", audio};
        doc.appendEntry(e);
        if (withFile) {
            std::ofstream(wav(audio)) << "RIFF";
        }
        return e;
    }

    std::string logText() const {
        std::ifstream in(log(), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    TempDir folder;
    CZelDoc doc;
    CReceiver rx;
    CommandQueue queue;
    FakeSound sound;
    KorvSettings settings;
    FakeLogHost host;
    CLogActions actions{doc, rx, queue, sound, settings, host};
};

TEST_F(LogActionsTest, NewLogCreatesAMissingFileAndKeepsAnExistingOne) {
    const fs::path fresh = folder.folder() / "fresh.log";
    actions.newLog(fresh.string());
    EXPECT_TRUE(fs::exists(fresh));
    EXPECT_EQ(doc.title(), "fresh.log");
    EXPECT_EQ(settings.logFilePath, fresh.string());
    EXPECT_TRUE(doc.entriesChanged);

    std::ofstream(log()) << "Title line\n2004-03-15\t1\t2\t3\t4\t5\r\n";
    queue.clear();
    actions.newLog(log().string());
    EXPECT_EQ(doc.entryCount(), 1u) << "an existing file keeps its content and is read";
    EXPECT_EQ(queue.text(), "NL\rNL\r");

    actions.newLog(std::nullopt);
    EXPECT_EQ(doc.title(), "no log") << "a cancelled dialog leaves no log";
    EXPECT_EQ(doc.entryCount(), 0u);
}

TEST_F(LogActionsTest, AFileThatCannotBeCreatedIsReportedAndLeavesNoLog) {
    actions.newLog((folder.folder() / "missing-folder" / "x.log").string());
    EXPECT_EQ(doc.title(), "no log");
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].rfind("Error: Unable to create the log file", 0), 0u);
}

TEST_F(LogActionsTest, DeleteAudioOfAGoneFileClearsTheNameAndRewritesTheFile) {
    const LogEntry e = addEntry("gone.wav", false);
    EXPECT_TRUE(actions.deleteAudio(e, 0));
    EXPECT_EQ(doc.entries()[0].audioFile, EMPTY_FIELD);
    EXPECT_EQ(logText(), "2004-03-15\t14:02:31\t00:00:12\t145.5\t123\t\xB0\xB0\xB0\r\n")
        << "a new file takes the line end of the appends";
    EXPECT_TRUE(rx.listChanged);
    EXPECT_EQ(queue.text(), "NL\r");
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(LogActionsTest, DeleteEntryRemovesItsWavAndTheLine) {
    addEntry("a.wav", true);
    const LogEntry b = addEntry("b.wav", true);
    EXPECT_TRUE(actions.deleteEntry(b, 1));
    EXPECT_FALSE(fs::exists(wav("b.wav")));
    EXPECT_TRUE(fs::exists(wav("a.wav")));
    EXPECT_EQ(doc.entryCount(), 1u);
    EXPECT_EQ(parseLogText(logText()).size(), 1u);
}

TEST_F(LogActionsTest, ARowShownAtAnotherIndexStillDeletesItsOwnEntry) {
    addEntry("a.wav", true);
    const LogEntry b = addEntry("b.wav", true);
    EXPECT_TRUE(actions.deleteEntry(b, 0)) << "a sorted view shows b first";
    ASSERT_EQ(doc.entryCount(), 1u);
    EXPECT_EQ(doc.entries()[0].audioFile, "a.wav");
}

TEST_F(LogActionsTest, DeleteAllKeepsTheEntryWhoseFileCannotBeDeleted) {
    addEntry("a.wav", true);
    addEntry("stuck.wav", false);
    addEntry("c.wav", true);
    // A folder of that name cannot be removed as a file, even by root.
    fs::create_directory(wav("stuck.wav"));
    EXPECT_TRUE(actions.deleteAll());
    ASSERT_EQ(doc.entryCount(), 1u);
    EXPECT_EQ(doc.entries()[0].audioFile, "stuck.wav");
    ASSERT_EQ(host.messages.size(), 2u);
    EXPECT_EQ(host.messages[0], "Warning? Delete ALL log entries and their audio files ?");
    EXPECT_EQ(host.messages[1], "Error: Unable to delete audio file. Access denied");
    EXPECT_FALSE(fs::exists(wav("a.wav")));
    EXPECT_EQ(parseLogText(logText()).size(), 1u);
}

TEST_F(LogActionsTest, DeleteAllAnsweredNoChangesNothing) {
    addEntry("a.wav", true);
    host.answerYes = false;
    EXPECT_FALSE(actions.deleteAll());
    EXPECT_EQ(doc.entryCount(), 1u);
    EXPECT_TRUE(fs::exists(wav("a.wav")));
}

TEST_F(LogActionsTest, NamesThatLeaveTheLogsFolderAreNeverDeletedOrPlayed) {
    const fs::path outside =
        folder.folder().parent_path() / (folder.folder().filename().string() + "-outside.wav");
    std::ofstream(outside) << "RIFF";
    const std::string traversal = "../" + outside.filename().string();
    const LogEntry e = addEntry(traversal, false);
    actions.play(e, 0);
    EXPECT_EQ(host.messages, std::vector<std::string>{"Info: File not found or in use."});
    EXPECT_TRUE(sound.calls.empty());
    EXPECT_TRUE(actions.deleteEntry(e, 0)) << "the entry goes, the outside file stays";
    EXPECT_TRUE(fs::exists(outside));
    fs::remove(outside);
}

TEST_F(LogActionsTest, PlayUsesTheLibraryOrTheExternalPlayer) {
    const LogEntry e = addEntry("a.wav", true);
    actions.play(e, 0);
    EXPECT_EQ(sound.calls, std::vector<std::string>{"StartPlay " + wav("a.wav").string()});

    sound.refusePlay = true;
    sound.playing = false;
    actions.play(e, 0);
    EXPECT_EQ(host.messages.back(), "Error: Can not play file");

    settings.useExternalPlayer = true;
    settings.playerPath = "/usr/bin/aplay";
    actions.play(e, 0);
    EXPECT_EQ(host.players, std::vector<std::string>{"/usr/bin/aplay " + wav("a.wav").string()});
    host.playerStarts = false;
    actions.play(e, 0);
    EXPECT_EQ(host.messages.back(),
              "Error: error while trying to start external player\n/usr/bin/aplay");

    rx.logActive = true;
    const auto before = host.players.size();
    actions.play(e, 0);
    EXPECT_EQ(host.players.size(), before) << "nothing plays while the log runs";
}

TEST_F(LogActionsTest, PlayingAMissingFileSaysSo) {
    const LogEntry e = addEntry("gone.wav", false);
    actions.play(e, 0);
    EXPECT_EQ(host.messages, std::vector<std::string>{"Info: File not found or in use."});
}

}  // namespace
}  // namespace korvex::test
