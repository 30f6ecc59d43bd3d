// Memory that runs out in a menu command: File Open of a log too large for
// the memory left says so with the log's own text, and the program goes on.
#include <QFileDialog>
#include <QMessageBox>

#include "FrameFixture.h"
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
    }
    void TearDown() override {
        setPromptHook({});
        FrameTest::TearDown();
    }

    // File > Open with `path` chosen in its file dialog; a message box that
    // comes up is recorded and closed.
    void openLog(const QString& path) {
        QTimer answer;
        answer.setInterval(20);
        QObject::connect(&answer, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
                dialog->selectFile(path);
                // Queued: a box the dialog opens itself is answered here too.
                QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
            } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                prompts.push_back(Prompt{box->text(), box->windowTitle()});
                box->reject();
            }
        });
        answer.start();
        frame->action(CommandId::FileOpen)->trigger();
    }
    QString writeLog(const QString& name, int entries) {
        const QString path = dir.filePath(name);
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
}

}  // namespace
}  // namespace korvex::test
