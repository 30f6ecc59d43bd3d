// End to end: memory files and the clipboard in the real main frame against
// the simulator tool on a pseudo-terminal.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <filesystem>
#include <functional>

#include "model/Receiver.h"
#include "tests/support/FrameOnSimulator.h"
#include "ui/MainFrame.h"
#include "ui/StatusPanes.h"
#include "ui/ZelView.h"
#include "ui/dialogs/Prompt.h"

namespace korvex::test {
namespace {

using namespace std::chrono_literals;

class ExchangeEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(run.startSimulator(simulatorFaults()));
        setPromptHook([this](const Prompt& prompt) {
            prompts.push_back(prompt.text.toStdString());
            return true;
        });
    }
    void TearDown() override {
        setPromptHook({});
        run.stop();
    }

    virtual std::vector<std::string> simulatorFaults() const { return {}; }

    bool pump(const std::function<bool()>& done, std::chrono::milliseconds limit) {
        return run.pump(done, limit);
    }

    bool idle() { return frame->pollFields().commandQueue.empty(); }

    void startFrame() {
        ASSERT_TRUE(run.startFrame(30s)) << sim.log();
        frame = run.frame.get();
        view = qobject_cast<CZelView*>(frame->listView());
        ASSERT_NE(view, nullptr);
    }

    // Shows bank index (0..19) and puts the receiver into memory recall on its first channel.
    void showBank(int index, char letter) {
        auto* selector = qobject_cast<QComboBox*>(frame->panelHooks().listSelector.data());
        ASSERT_NE(selector, nullptr);
        selector->setCurrentIndex(index);
        emit selector->activated(index);
        ASSERT_TRUE(pump(
            [&] {
                return view->itemCount() == 50 &&
                       view->itemText(49, 0) == std::string(1, letter) + "49" && idle();
            },
            30s));
        frame->appendCommands("MR" + std::string(1, letter) + "00\rRX\r");
        ASSERT_TRUE(pump(
            [&] { return frame->receiver().operatingState == kStateMemoryRead && idle(); }, 10s));
    }

    std::vector<ListRow> rows() const {
        std::vector<ListRow> out;
        for (int r = 0; r < view->itemCount(); ++r) {
            ListRow row;
            for (int c = 0; c < kListColumnCount; ++c) {
                row[static_cast<std::size_t>(c)] = view->itemText(r, c);
            }
            out.push_back(row);
        }
        return out;
    }

    void useFile(const std::filesystem::path& path) {
        ListDialogs dialogs = standardListDialogs();
        dialogs.fileName = [path](QWidget*, ExchangeFile, bool) { return path; };
        view->setDialogs(dialogs);
    }

    FrameOnSimulator run{"korvex-memfile-e2e"};
    const std::string& dir = run.dir;
    Simulator& sim = run.sim;
    CMainFrame* frame = nullptr;
    CZelView* view = nullptr;
    std::vector<std::string> prompts;
};

TEST_F(ExchangeEndToEnd, BankAWrittenToAFileAndReadIntoBankBReachesTheReceiver) {
    ASSERT_NO_FATAL_FAILURE(startFrame());
    ASSERT_NO_FATAL_FAILURE(showBank(10, 'a'));
    const std::vector<ListRow> bankA = rows();
    const std::filesystem::path file = std::filesystem::path(dir) / "airband.mem";
    useFile(file);
    view->selectItem(0);
    ASSERT_TRUE(view->entryEnabled(ListEntry::WriteBankToFile));
    view->runEntry(ListEntry::WriteBankToFile);
    ASSERT_TRUE(std::filesystem::exists(file));
    EXPECT_NE(readFile(file.string()).find("\r\nLabel: Airband"), std::string::npos);

    ASSERT_NO_FATAL_FAILURE(showBank(11, 'b'));
    const std::vector<ListRow> oldB = rows();
    view->selectItem(0);
    ASSERT_TRUE(view->entryEnabled(ListEntry::WriteFileToBank));
    prompts.clear();
    view->runEntry(ListEntry::WriteFileToBank);
    ASSERT_EQ(prompts.size(), 2u);
    EXPECT_EQ(prompts[0], "File contains bank a. Target bank is b.\nWrite channels anyway? ");
    EXPECT_TRUE(prompts[1].ends_with("Write channels now ?"));
    ASSERT_TRUE(frame->pollFields().memWriteActive || !idle());

    // "mem write done." and the read-back of bank b from the receiver.
    ASSERT_TRUE(pump(
        [&] {
            return !frame->pollFields().memWriteActive && idle() && view->itemCount() == 50 &&
                   view->itemText(49, 0) == "b49" && view->itemText(0, 1) != "+";
        },
        60s))
        << sim.log();
    const std::vector<ListRow> newB = rows();
    for (std::size_t n = 0; n < 50; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(newB[n][0], "b" + bankA[n][0].substr(1));
        for (std::size_t c : {2u, 3u, 4u, 5u, 6u, 7u}) {
            EXPECT_EQ(newB[n][c], bankA[n][c]) << "column " << c;
        }
    }
    // The bank as it stood is in a backup file that reads back into it.
    std::vector<std::filesystem::path> backups;
    for (const auto& entry :
         std::filesystem::directory_iterator(std::filesystem::path(dir) / "backups")) {
        backups.push_back(entry.path());
    }
    ASSERT_EQ(backups.size(), 1u);
    EXPECT_TRUE(backups[0].filename().string().starts_with("bank-b-"));
    EXPECT_NE(prompts[1].find(backups[0].string()), std::string::npos);
    const std::string backup = readFile(backups[0].string());
    EXPECT_NE(backup.find("Label: 70cm Ham"), std::string::npos);
    const std::string firstOld = oldB[0][7];
    EXPECT_NE(backup.find(firstOld), std::string::npos);
}

TEST_F(ExchangeEndToEnd, ChannelCopiedFromBankAIsPastedIntoBankB) {
    ASSERT_NO_FATAL_FAILURE(startFrame());
    ASSERT_NO_FATAL_FAILURE(showBank(10, 'a'));
    view->selectItem(0);
    const ListRow source = rows()[0];
    ASSERT_TRUE(view->canCopy());
    view->copySelected();
    EXPECT_TRUE(QGuiApplication::clipboard()->text().startsWith(QStringLiteral("Korvex:::a00\t")));

    ASSERT_NO_FATAL_FAILURE(showBank(11, 'b'));
    view->selectItem(7);
    ASSERT_TRUE(view->canPaste());
    prompts.clear();
    view->pasteIntoSelected();
    EXPECT_TRUE(prompts.empty());
    ASSERT_TRUE(pump([&] { return idle(); }, 20s));
    // Read bank b back from the receiver.
    ASSERT_NO_FATAL_FAILURE(showBank(11, 'b'));
    const ListRow pasted = rows()[7];
    EXPECT_EQ(pasted[0], "b07");
    for (std::size_t c : {2u, 3u, 5u, 6u, 7u}) {
        EXPECT_EQ(pasted[c], source[c]) << "column " << c;
    }
    EXPECT_EQ(pasted[4], "0");
}

// A receiver that refuses one channel of the bank: the write stops there,
// the operator is told how far it came, and nothing says it is done.
class RefusingReceiver : public ExchangeEndToEnd {
protected:
    std::vector<std::string> simulatorFaults() const override { return {"--refuse", "MXb05"}; }
};

TEST_F(RefusingReceiver, FileWriteStopsAtTheRefusedChannelAndSaysHowFarItCame) {
    ASSERT_NO_FATAL_FAILURE(startFrame());
    ASSERT_NO_FATAL_FAILURE(showBank(10, 'a'));
    const std::filesystem::path file = std::filesystem::path(dir) / "airband.mem";
    useFile(file);
    view->selectItem(0);
    view->runEntry(ListEntry::WriteBankToFile);
    ASSERT_NO_FATAL_FAILURE(showBank(11, 'b'));
    view->selectItem(0);
    prompts.clear();
    view->runEntry(ListEntry::WriteFileToBank);
    ASSERT_EQ(prompts.size(), 2u);
    const std::vector<ListRow> preview = rows();
    int before = 0;
    int total = 0;
    std::string notWritten;
    for (std::size_t n = 0; n < preview.size(); ++n) {
        const bool marked = preview[n][1] == "+" || preview[n][1] == "-";
        total += marked ? 1 : 0;
        before += marked && n < 5 ? 1 : 0;
        if (marked && n >= 5) {
            notWritten += (notWritten.empty() ? "" : ", ") + preview[n][0];
        }
    }
    ASSERT_EQ(preview[5][1], "+") << "the refused channel is one the write sends";

    ASSERT_TRUE(pump([&] { return prompts.size() == 3 && idle(); }, 60s))
        << readFile(dir + "/sim.log");
    EXPECT_EQ(prompts[2], "Memory write stopped: the receiver refused channel b05.\n" +
                              std::to_string(before) + " of " + std::to_string(total) +
                              " channels written.\nNot written: " + notWritten + ".");
    EXPECT_FALSE(frame->pollFields().memWriteActive);
    // The bank is read back, and nothing of the write follows the refusal.
    ASSERT_TRUE(pump(
        [&] { return idle() && view->itemCount() == 50 && view->itemText(5, 1) != "+"; }, 30s));
    EXPECT_FALSE(pump([&] { return prompts.size() > 3; }, 1s));
    EXPECT_NE(frame->statusPanes().message().toStdString(), "mem write done.");
    EXPECT_TRUE(frame->statusPanes().message().startsWith(QStringLiteral("mem write stopped: ")));
    const std::string log = readFile(dir + "/sim.log");
    EXPECT_NE(log.find("MXb05"), std::string::npos);
    EXPECT_EQ(log.find("MXb06"), std::string::npos) << log;
    EXPECT_EQ(log.find("TBb"), std::string::npos) << "the bank text is not written either";
}

}  // namespace
}  // namespace korvex::test
