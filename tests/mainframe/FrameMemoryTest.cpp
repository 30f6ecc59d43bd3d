// Memory that runs out in a menu command: File Open of a log too large for
// the memory left says so with the log's own text, and the program goes on;
// the next open, with memory enough, opens its log whole.
#include <QAbstractButton>
#include <QMessageBox>
#include <functional>

#include "FrameFixture.h"
#include "log/LogActions.h"
#include "log/LogFile.h"
#include "tests/support/FailingNew.h"
#include "ui/dialogs/Prompt.h"

namespace korvex::test {
namespace {

class FrameMemoryTest : public FrameTest {
protected:
    void SetUp() override {
        FrameTest::SetUp();
        setPromptHook([this](const Prompt& p) {
            prompts.push_back(p);
            return true;
        });
        // The file dialog answers with the file the test chose.
        LogFileDialogs dialogs;
        dialogs.open = [this](QWidget*, const QString&) { return std::optional(chosen); };
        dialogs.chooseNew = dialogs.open;
        frame->setLogFileDialogs(dialogs);
    }
    void TearDown() override {
        setPromptHook({});
        FrameTest::TearDown();
    }

    // File > Open with `path` chosen; a message box that comes up is
    // recorded and closed.
    void openLog(const QString& path) {
        chosen = path;
        answeringBoxes([&] { frame->action(CommandId::FileOpen)->trigger(); });
    }
    // Runs `work`; a message box it brings up is recorded and answered Yes
    // when it asks, else closed.
    void answeringBoxes(const std::function<void()>& work) {
        QTimer answer;
        answer.setInterval(20);
        QObject::connect(&answer, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                prompts.push_back(Prompt{box->text(), box->windowTitle()});
                if (QAbstractButton* yes = box->button(QMessageBox::Yes)) {
                    yes->click();
                } else {
                    box->reject();
                }
            }
        });
        answer.start();
        work();
    }
    QString writeLog(const QString& name, int entries) {
        const QString path = filePath(name);
        std::string text;
        LogEntry entry;
        entry.field(0) = "2026-12-09";
        entry.field(1) = "15:18:30";
        entry.field(2) = "145.500000";
        entry.field(3) = "NFM";
        for (int i = 0; i < entries; ++i) {
            text += formatLogLine(entry, "\r\n");
        }
        writeText(path.toStdString(), text);
        return path;
    }
    void expectSmallLogOpens() {
        prompts.clear();
        openLog(writeLog(QStringLiteral("small.log"), 3));
        for (const Prompt& p : prompts) {
            ADD_FAILURE() << "box: " << p.caption.toStdString() << ": " << p.text.toStdString();
        }
        EXPECT_TRUE(frame->windowTitle().contains(QStringLiteral("small.log")))
            << frame->windowTitle().toStdString();
        EXPECT_EQ(frame->document().entryCount(), 3u);
    }

    QString chosen;
    std::vector<Prompt> prompts;
};

TEST_F(FrameMemoryTest, FileOpenOfALogTooLargeForTheMemorySaysSoAndTheProgramGoesOn) {
    const QString big = writeLog(QStringLiteral("big.log"), 60000);
    {
        const AllocationFailure failure(1u << 20);
        openLog(big);
    }
    ASSERT_FALSE(prompts.empty());
    EXPECT_EQ(prompts.back().text, "Not enough memory for Log-entries.");
    EXPECT_EQ(prompts.back().caption, "Error");
    EXPECT_FALSE(frame->hasShutDown());
    EXPECT_TRUE(frame->action(CommandId::FileOpen)->isEnabled());
    expectSmallLogOpens();
}

// The file is read, but the document finds no room for its entries: it says
// so, and that verdict belongs to that document only; the next open tries
// again and, with memory enough, holds its entries.
TEST_F(FrameMemoryTest, ALogWithoutRoomForItsEntriesDoesNotStopTheNextOpen) {
    const QString small = writeLog(QStringLiteral("first.log"), 3);
    {
        // The reader's buffer and three entries fit below this; the
        // document's room for a thousand entries does not.
        const AllocationFailure failure(128 * 1024);
        openLog(small);
    }
    ASSERT_FALSE(prompts.empty());
    EXPECT_EQ(prompts.back().text, "No more memory for Log-entries.");
    EXPECT_EQ(frame->document().entryCount(), 0u);

    // A rewrite now would write the file from an empty list: Delete All is
    // refused and says why, and the file keeps its three lines.
    const std::string before = readText(small.toStdString());
    prompts.clear();
    answeringBoxes([&] { frame->logActions().deleteAll(); });
    ASSERT_EQ(prompts.size(), 2u) << "the question, then the refusal";
    EXPECT_TRUE(prompts.back().text.startsWith(
        QStringLiteral("Not enough memory for Log-entries: the list does not hold every line")))
        << prompts.back().text.toStdString();
    EXPECT_EQ(readText(small.toStdString()), before);
    EXPECT_FALSE(frame->document().writeLogFile(small.toStdString()));
    EXPECT_EQ(readText(small.toStdString()), before);
    expectSmallLogOpens();
}

}  // namespace
}  // namespace korvex::test
