// Memory files, CSV and the clipboard from the list view: refusals,
// questions, the preview and what is queued.
#include <QApplication>
#include <QClipboard>
#include <fstream>
#include <random>

#include "tests/listview/ListViewFixture.h"

namespace korvex::test {
namespace {

const std::string kConfirmEnd =
    "Ready for writing channels.\nWrite protections will be DISABLED!\nPASS = '+': channel will "
    "be changed\nPASS = '-': channel will be cleared\nDO NOT PRESS ANY BUTTON DURING WRITING!\n"
    "Write channels now ?";

class Exchange : public ListViewFixture {
protected:
    std::filesystem::path file;
    int fileDialogs = 0;

    void SetUp() override {
        ListViewFixture::SetUp();
        file = scratchFolder() / "bank.mem";
        ListDialogs dialogs;
        dialogs.fileName = [this](QWidget*, ExchangeFile, bool) {
            ++fileDialogs;
            return std::optional<std::filesystem::path>(file);
        };
        view->setDialogs(dialogs);
    }
    void writeFile(const std::string& text) { std::ofstream(file, std::ios::binary) << text; }
    std::string promptText(std::size_t i) const { return prompts.at(i).text.toStdString(); }
};

TEST_F(Exchange, SortedViewRefusesWritingAndReading) {
    showBankA();
    memoryState();
    view->sortByColumn(7);
    view->selectItem(0);
    for (ListEntry entry : {ListEntry::WriteBankToFile, ListEntry::WriteFileToBank,
                            ListEntry::ExportCsv, ListEntry::ImportCsv}) {
        prompts.clear();
        view->runEntry(entry);
        ASSERT_EQ(prompts.size(), 1u);
        EXPECT_EQ(promptText(0),
                  "Items in listview must be\nsorted by channel numbers.\nAborting operation.");
        EXPECT_EQ(prompts[0].caption.toStdString(), "Error");
        EXPECT_EQ(prompts[0].icon, PromptIcon::Error);
    }
    EXPECT_EQ(fileDialogs, 0);
}

TEST_F(Exchange, FileFromAnotherBankIsPreviewedBackedUpAndWrittenOnOk) {
    showBankA();
    memoryState();
    view->selectItem(0);
    writeFile(
        "AR8200 extras memory data\r\nB00     145.5 5.00 NFM  Call\r\nB01 ---\r\nB02 ---\r\n"
        "Label: Marine");
    answers = {true, true, false};  // fewer entries, other bank, Cancel at the confirmation
    view->runEntry(ListEntry::WriteFileToBank);
    ASSERT_EQ(prompts.size(), 3u);
    EXPECT_EQ(promptText(0),
              "There are less entries in file than channels in memory bank.\nSome channels will "
              "not be changed. Proceed?");
    EXPECT_EQ(promptText(1), "File contains bank B. Target bank is A.\nWrite channels anyway? ");
    EXPECT_EQ(prompts[1].caption.toStdString(), "Warning");
    EXPECT_TRUE(promptText(2).ends_with(kConfirmEnd));
    EXPECT_EQ(prompts[2].caption.toStdString(), "Confirm memory write");
    // The preview stays after Cancel; nothing is queued.
    EXPECT_EQ(view->itemText(0, 1), "+");
    EXPECT_EQ(view->itemText(0, 2), "0145.500000");
    EXPECT_EQ(view->itemText(1, 1), std::string(EMPTY_FIELD)) << "empty stays empty";
    EXPECT_EQ(view->itemText(2, 1), "-");
    EXPECT_EQ(view->itemText(2, 2), "---");
    EXPECT_EQ(queued(), "");
    EXPECT_FALSE(poll.memWriteActive);

    // The backup holds the bank as the receiver has it, not the preview.
    const auto backups = scratchFolder() / "backups";
    ASSERT_TRUE(std::filesystem::exists(backups));
    const auto first = std::filesystem::directory_iterator(backups)->path();
    EXPECT_NE(promptText(2).find(first.string()), std::string::npos);
    std::ifstream in(first, std::ios::binary);
    const std::string saved((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(saved.find("A02      145.500000 100.00       WFM                   two m"),
              std::string::npos)
        << saved;

    show(ListMode::MemoryBank);
    prompts.clear();
    answers = {true, true, true};
    view->selectItem(0);
    view->runEntry(ListEntry::WriteFileToBank);
    EXPECT_TRUE(poll.memWriteActive);
    EXPECT_EQ(queued(),
              "AF0\rWP0\rWMA0\rMXA00 RF0145500000 AU0 ST005000 MD1 AT0 TMCall\rMRA02\rMQ02\r"
              "TBAMarine\rTB\rTB\r");
}

// Random bytes hold no channel line; before, they led to the write prompt.
TEST_F(Exchange, RandomBytesOrAFileBeyondTheLimitAreNoMemoryFile) {
    showBankA();
    memoryState();
    view->selectItem(0);
    std::mt19937 rng(17);
    std::string bytes(64 * 1024, '\0');
    for (char& c : bytes) {
        c = static_cast<char>(rng());
    }
    writeFile(bytes);
    view->runEntry(ListEntry::WriteFileToBank);
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_EQ(promptText(0), "File contains no memory channels.\nAborting operation.");

    writeFile("A00 ---\r\n");
    std::filesystem::resize_file(file, 16 * 1024 * 1024 + 1);
    view->runEntry(ListEntry::WriteFileToBank);
    ASSERT_EQ(prompts.size(), 2u);
    EXPECT_EQ(promptText(1), "Input File could not be opened!\n" + file.string() +
                                 "\nA memory or CSV file may be at most 16 MB.");
    EXPECT_EQ(queued(), "");
}

TEST_F(Exchange, MixedOrUnreadableFilesAreRefused) {
    showBankA();
    memoryState();
    view->selectItem(0);
    writeFile("A00 ---\r\nB01 ---\r\n");
    view->runEntry(ListEntry::WriteFileToBank);
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_EQ(promptText(0), "File contains channels from different banks.");
    file = scratchFolder() / "missing.mem";
    view->runEntry(ListEntry::WriteFileToBank);
    ASSERT_EQ(prompts.size(), 2u);
    EXPECT_EQ(promptText(1), "Input File could not be opened!");
    file = scratchFolder() / "no-folder" / "out.mem";
    view->runEntry(ListEntry::WriteBankToFile);
    ASSERT_EQ(prompts.size(), 3u);
    EXPECT_EQ(promptText(2), "Output File could not be opened!");
    EXPECT_EQ(queued(), "");
}

TEST_F(Exchange, PasteNeedsMemoryModeAndIgnoresForeignTextAndChannelsAbove89) {
    showBankA();
    // A bank of 100 slots, so channels 90 to 99 exist.
    for (int n = 50; n < 100; ++n) {
        rx.currentBank().push_back(ChannelRecord::emptySlot("A" + std::to_string(n)));
    }
    show(ListMode::MemoryBank);
    vfoState();
    view->selectItem(0);
    view->copySelected();
    const QString record = QApplication::clipboard()->text();
    EXPECT_TRUE(record.startsWith(QStringLiteral("Korvex:::A00\t0\t0101.100000\t")));
    view->selectItem(7);
    ASSERT_TRUE(view->canPaste());
    view->pasteIntoSelected();
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_EQ(promptText(0),
              "You can paste to memory only when in memory mode.\nClick on button 'MemMode' and "
              "try again.");
    memoryState();
    EXPECT_EQ(queued(), "");
    QApplication::clipboard()->setText(QStringLiteral("145.500"));
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), "145.500");
    view->pasteIntoSelected();
    EXPECT_EQ(queued(), "");
    QApplication::clipboard()->setText(record);
    view->selectItem(95);
    view->pasteIntoSelected();
    EXPECT_EQ(queued(), "");
    view->selectItem(7);
    view->pasteIntoSelected();
    EXPECT_EQ(queued(), "MXA07 RF0101100000 AU0 ST100000 MD0 AT0 TMradio\rMRA07\rNL\r");
    EXPECT_TRUE(rx.listChanged);
    EXPECT_EQ(prompts.size(), 1u);
}

TEST_F(Exchange, CutCopiesTheOldTextsAndClearsTheChannel) {
    showBankA();
    memoryState();
    view->selectItem(2);
    view->cutSelected();
    EXPECT_TRUE(QApplication::clipboard()->text().startsWith(
        QStringLiteral("Korvex:::A02\t0\t0145.500000\t")));
    EXPECT_EQ(view->itemText(2, 7), "two m") << "the row keeps its texts until the refill";
    EXPECT_EQ(queued(), "MRA02\rMQ02\rNL\rNL\r");
    show(ListMode::MemoryBank);
    EXPECT_EQ(view->itemText(2, 1), std::string(EMPTY_FIELD));
}

}  // namespace
}  // namespace korvex::test
