#include <QSignalSpy>
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "tests/listview/ListViewFixture.h"

namespace korvex::test {
namespace {

using Actions = ListViewFixture;

const std::string kFlags = "GA\rMP\r";

TEST_F(Actions, RecallQueuesTheChannelAndNothingForAnEmptySlot) {
    showBankA();
    vfoState();
    view->selectItem(2);
    view->recallSelected();
    EXPECT_EQ(queued(), "MRA02\r" + std::string(kBatch) + kFlags);
    clearQueue();
    view->selectItem(1);
    view->recallSelected();
    EXPECT_EQ(queued(), "");
    EXPECT_TRUE(prompts.empty());
}

TEST_F(Actions, StoreVfoIntoAnEmptySlotWritesTheChannelAndChangesTheRow) {
    showBankA();
    vfoState();  // VFO at 145.5 MHz, step 12.5 kHz, NFM
    view->selectItem(1);
    channelNameAnswer = "new name";
    view->storeVfoHere();
    ASSERT_EQ(proposedNames, std::vector<std::string>{""});
    EXPECT_EQ(queued(), "MXA01 RF0145500000 AU0 ST012500 MD1 AT0 TMnew name\rMRA01\rAF0\rNL0\r" +
                            std::string(kBatch));
    ASSERT_TRUE(rx.listChanged);
    view->refill();
    EXPECT_EQ(view->itemText(1, 2), "0145.500000");
    EXPECT_EQ(view->itemText(1, 7), "new name");
    EXPECT_EQ(view->selectedRow(), 1);
}

TEST_F(Actions, StoreVfoProposesTheTextWithoutTrailingBlanksAndCancelQueuesNothing) {
    readBankSizes();
    readBank('A', {channelLine("A00", "0101100000", "radio   ")});
    show(ListMode::MemoryBank);
    setState("VA RF0430000000 ST025000 AU0 MD2 AT1");
    view->selectItem(0);
    view->storeVfoHere();
    EXPECT_EQ(proposedNames, std::vector<std::string>{"radio"});
    EXPECT_EQ(queued(), "");
    EXPECT_FALSE(rx.listChanged);
}

TEST_F(Actions, StoreVfoIsRefusedOutsideTheVfoStates) {
    showBankA();
    memoryState();
    view->selectItem(1);
    channelNameAnswer = "x";
    view->storeVfoHere();
    EXPECT_TRUE(proposedNames.empty());
    EXPECT_EQ(queued(), "");
}

TEST_F(Actions, EditWritesTheEditedRecord) {
    showBankA();
    memoryState();
    view->selectItem(2);
    ChannelRecord edited;
    edited.field = {"A02", "0", "0146000000", "025000", "0", "1", "1", "edited"};
    editAnswer = edited;
    view->editSelected();
    ASSERT_EQ(editedRecords.size(), 1u);
    EXPECT_EQ(editedRecords[0][0], "A02");
    EXPECT_EQ(editedRecords[0][2], "0145.500000");
    EXPECT_EQ(editedRecords[0][7], "two m");
    EXPECT_EQ(queued(), "MXA02 RF0146000000 AU0 ST025000 MD1 AT1 TMedited\r");
    view->refill();
    EXPECT_EQ(view->itemText(2, 2), "0146.000000");
    EXPECT_EQ(view->itemText(2, 5), "NFM");
    EXPECT_EQ(view->selectedRow(), 2);
}

TEST_F(Actions, DeleteChannelAsksAndEmptiesTheSlot) {
    showBankA();
    memoryState();
    view->selectItem(2);
    answers = {false};
    view->deleteSelected();
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_EQ(prompts[0].text, "Really delete channel A02 ?");
    EXPECT_EQ(prompts[0].caption, "Warning");
    EXPECT_EQ(prompts[0].buttons, PromptButtons::YesNo);
    EXPECT_TRUE(prompts[0].affirmativeDefault);
    EXPECT_EQ(queued(), "");

    view->deleteSelected();
    EXPECT_EQ(queued(), "MRA02\rMQ02\rNL\rNL\r");
    view->refill();
    EXPECT_EQ(view->itemCount(), 50);
    EXPECT_EQ(view->itemText(2, 2), std::string(EMPTY_FIELD));
    // The remembered selection puts the cursor back on the emptied slot.
    EXPECT_EQ(view->selectedRow(), 2);
}

TEST_F(Actions, BankDescriptionWritesTheTextAndRereadsTheBankInfo) {
    showBankA();
    memoryState();
    view->selectItem(0);
    descriptionAnswer = "AIR";
    view->runEntry(ListEntry::BankDescription);
    EXPECT_EQ(queued(), "TBAAIR\rTB\rTB\r");
    EXPECT_EQ(bankNameChanges, 1);
}

TEST_F(Actions, DeleteAllChannelsNeedsTwoYes) {
    showBankA();
    memoryState();
    view->selectItem(0);
    answers = {true, false};
    view->runEntry(ListEntry::DeleteAllChannels);
    ASSERT_EQ(prompts.size(), 2u);
    EXPECT_EQ(prompts[0].text, "Really delete *ALL* channels in bank A ?");
    EXPECT_EQ(prompts[0].caption, "Warning");
    EXPECT_EQ(prompts[1].text, "WARNING: ALL CHANNELS IN BANK WILL BE DELETED! PROCEED?");
    EXPECT_EQ(prompts[1].caption, "Last Chance");
    EXPECT_FALSE(prompts[0].affirmativeDefault);
    EXPECT_FALSE(prompts[1].affirmativeDefault);
    EXPECT_EQ(queued(), "");
    EXPECT_EQ(rx.currentBank().size(), 50u);

    prompts.clear();
    answers = {false};
    view->runEntry(ListEntry::DeleteAllChannels);
    EXPECT_EQ(prompts.size(), 1u);
    EXPECT_EQ(queued(), "");

    // The bank is saved before it is deleted; without a backup nothing is.
    const auto backups = scratchFolder() / "backups";
    std::filesystem::create_directories(scratchFolder());
    { std::ofstream blocker(backups); }  // a file where the folder should be
    answers = {true, true};
    prompts.clear();
    view->runEntry(ListEntry::DeleteAllChannels);
    ASSERT_EQ(prompts.size(), 3u);
    EXPECT_EQ(prompts[2].text, "The bank could not be saved before deleting.\nAborting operation.");
    EXPECT_EQ(queued(), "");
    EXPECT_EQ(rx.currentBank().size(), 50u);

    std::filesystem::remove(backups);
    answers = {true, true};
    view->runEntry(ListEntry::DeleteAllChannels);
    EXPECT_EQ(queued(), "MQA%%\rMAA\rMA\rMA\rMA\rMA\r");
    EXPECT_TRUE(rx.currentBank().empty());
    ASSERT_TRUE(std::filesystem::is_directory(backups));
    const auto saved = std::filesystem::directory_iterator(backups)->path();
    EXPECT_TRUE(saved.filename().string().starts_with("bank-A-"));
    std::ifstream in(saved, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 51) << "header and 50 channels";
    ASSERT_FALSE(host.statusTexts.empty());
    EXPECT_EQ(host.statusTexts.back(), "bank A saved in " + saved.string());
}

TEST_F(Actions, ResizeIsRefusedWhileCommandsWait) {
    showBankA();
    memoryState();
    view->selectItem(0);
    poll.commandQueue.append("NL\r");
    resizeAnswer = "a30";
    view->runEntry(ListEntry::ResizeBank);
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_EQ(prompts[0].text,
              "There are commands in queue!\nQueue MUST be empty before performing\n this "
              "operation. Try again later.");
    EXPECT_EQ(prompts[0].caption, "Command Queue Not Empty");
    EXPECT_EQ(prompts[0].icon, PromptIcon::Error);
    EXPECT_TRUE(resizeBanks.empty());
    EXPECT_EQ(queued(), "NL\r");
    EXPECT_EQ(view->itemCount(), 50);
    EXPECT_FALSE(rx.bankResizeActive);
}

TEST_F(Actions, ResizeClearsThePairAndQueuesTheResize) {
    readBankSizes();
    readBank('a', {channelLine("a00", "0080200000", "low")});
    readBank('A', {channelLine("A00", "0101100000", "radio")});
    show(ListMode::MemoryBank);
    memoryState();
    view->sortByColumn(7);
    view->selectItem(5);
    resizeAnswer = "a30";
    view->runEntry(ListEntry::ResizeBank);
    // The bank is the one of row 0, whatever row is selected.
    EXPECT_EQ(resizeBanks, std::vector<char>{'A'});
    EXPECT_EQ(queued(), "MWa30\rTB\rTB\r");
    EXPECT_TRUE(rx.bankResizeActive);
    EXPECT_TRUE(rx.banks[0].empty());
    EXPECT_TRUE(rx.banks[10].empty());
    EXPECT_EQ(view->itemCount(), 0);
    ASSERT_FALSE(host.statusTexts.empty());
    EXPECT_EQ(host.statusTexts.back(), "memory bank resize active, please wait...");
    EXPECT_EQ(bankNameChanges, 1);
}

TEST_F(Actions, ResizeWithoutAShrinkingBankChangesNothing) {
    showBankA();
    memoryState();
    view->selectItem(0);
    for (const std::optional<std::string>& answer :
         {std::optional<std::string>{}, std::optional<std::string>{""}}) {
        resizeAnswer = answer;
        view->runEntry(ListEntry::ResizeBank);
        EXPECT_EQ(queued(), "");
        EXPECT_EQ(view->itemCount(), 50);
        EXPECT_EQ(rx.currentBank().size(), 50u);
        EXPECT_FALSE(rx.bankResizeActive);
        EXPECT_EQ(bankNameChanges, 0);
    }
}

TEST_F(Actions, SelectScanCommands) {
    showBankA();
    memoryState();
    view->selectItem(2);
    view->runEntry(ListEntry::AddToSelectScan);
    EXPECT_EQ(queued(), "MRA02\r" + std::string(kBatch) + kFlags + "GA1\rGA\r");
    clearQueue();

    exchange("GR\r", {"GR00 MXA02 RF0145500000 ST012500 AU0 MD1 AT0 TMtwo m", "GR01 ---"});
    show(ListMode::SelectScan);
    ASSERT_EQ(view->itemCount(), 2);
    view->selectItem(0);
    view->runEntry(ListEntry::StartSelectScan);
    EXPECT_EQ(queued(), "LC1\rSM\r" + std::string(kBatch));
    clearQueue();

    view->runEntry(ListEntry::RemoveFromSelectScan);
    EXPECT_EQ(queued(), "GD00\rGR\r");
    EXPECT_TRUE(rx.selectScanList.empty());
    clearQueue();

    exchange("GR\r", {"GR00 MXA02 RF0145500000 ST012500 AU0 MD1 AT0 TMtwo m", "GR01 ---"});
    show(ListMode::SelectScan);
    view->selectItem(0);
    answers = {false};
    view->runEntry(ListEntry::DeleteAllSelectScan);
    EXPECT_EQ(prompts.back().text, "Really Delete *ALL* Channels from Select Scan List ?");
    EXPECT_FALSE(prompts.back().affirmativeDefault);
    EXPECT_EQ(queued(), "");
    view->runEntry(ListEntry::DeleteAllSelectScan);
    EXPECT_EQ(queued(), "");  // the default answer is No
    answers = {true};
    view->runEntry(ListEntry::DeleteAllSelectScan);
    EXPECT_EQ(queued(), "GD%%\rGR\r");
}

TEST_F(Actions, SearchThisBankHandsTheRangeOnAndStartsTheSearch) {
    vfoState();
    exchange("SR%%\r", {"SRC SL0145012500 SU0146000000 ST025000 AU0 MD1 AT0 TTtwo m", "SRD ---"});
    show(ListMode::SearchBanks);
    QSignalSpy spy(view.get(), &CZelView::bandscopeSearchRequested);
    view->selectItem(0);
    view->doubleClickAction();
    ASSERT_EQ(spy.count(), 1);
    const auto search = spy.at(0).at(0).value<BandscopeSearch>();
    EXPECT_EQ(search.lowerHz, 145012500);
    EXPECT_EQ(search.upperHz, 146000000);
    EXPECT_EQ(search.stepHz, 25000);
    EXPECT_EQ(search.mode, "NFM");
    EXPECT_EQ(search.text, "two m");
    EXPECT_EQ(search.bank, "C");
    EXPECT_EQ(queued(), "LC1\rSSC\r" + std::string(kBatch));

    clearQueue();
    view->selectItem(1);  // an empty search bank cannot be searched
    view->runEntry(ListEntry::SearchThisBank);
    EXPECT_EQ(queued(), "");
}

TEST_F(Actions, SearchThisBankSetsUpTheDocumentsBandscope) {
    CZelDoc doc;
    ListViewContext ctx;
    ctx.rx = &rx;
    ctx.queue = &poll.commandQueue;
    ctx.host = &host;
    ctx.document = [&doc] { return &doc; };
    ctx.scopeLevels = [] { return ScopeLevels{200, 30}; };
    CZelView withDoc(ctx);
    exchange("SR%%\r", {"SRC SL0146000000 SU0145012500 ST025000 AU0 MD1 AT0 TTtwo m"});
    withDoc.switchLayout(ListMode::SearchBanks);
    withDoc.refill();
    withDoc.selectItem(0);
    withDoc.runEntry(ListEntry::SearchThisBank);
    EXPECT_TRUE(doc.scopeReady);
    EXPECT_EQ(doc.scopeLower, 145012500u);
    EXPECT_EQ(doc.scopeUpper, 146000000u);
    EXPECT_EQ(doc.scopeStep, 25000);
    EXPECT_EQ(doc.scopeModeText, "NFM");
    EXPECT_EQ(doc.scopeBankText, "two m");
    EXPECT_EQ(doc.scopeKind, 'C');
    EXPECT_EQ(doc.scopeLevelMax, 200);
}

TEST_F(Actions, DeleteSearchBankAsksWithNoPreselected) {
    vfoState();
    exchange("SR%%\r", {"SRC SL0145012500 SU0146000000 ST025000 AU0 MD1 AT0 TTtwo m"});
    show(ListMode::SearchBanks);
    view->selectItem(0);
    view->runEntry(ListEntry::DeleteSearchBank);
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_EQ(prompts[0].text, "Really delete search bank C ?");
    EXPECT_EQ(queued(), "");
    answers = {true};
    view->runEntry(ListEntry::DeleteSearchBank);
    EXPECT_EQ(queued(), "QSC\rSR%%\rSR\rSR\rSR\r");
    EXPECT_TRUE(rx.searchBanks.empty());
}

TEST_F(Actions, EditSearchBankWritesTheBankAndReadsTheListAgain) {
    memoryState();
    exchange("SR%%\r", {"SRC SL0145012500 SU0146000000 ST025000 AU0 MD1 AT0 TTtwo m", "SRD ---"});
    show(ListMode::SearchBanks);
    view->selectItem(1);
    ASSERT_TRUE(view->entryEnabled(ListEntry::EditSearchBank)) << "an empty bank can be set up";
    view->runEntry(ListEntry::EditSearchBank);
    ASSERT_EQ(editedSearchBanks.size(), 1u);
    EXPECT_EQ(editedSearchBanks[0][ChannelRecord::kBank], "D");
    EXPECT_EQ(queued(), "") << "Cancel";

    view->selectItem(0);
    searchBankAnswer = "SEC SL0145000000 SU0146000000 AU1 AT0 TTx\r";
    view->runEntry(ListEntry::EditSearchBank);
    EXPECT_EQ(editedSearchBanks.back()[ChannelRecord::kText], "two m");
    EXPECT_EQ(queued(), *searchBankAnswer + "SR%%\rSR\rSR\rSR\r");
    EXPECT_TRUE(rx.searchBanks.empty());
    EXPECT_TRUE(prompts.empty());

    // The rows stay while the list is read again; the dialog still opens.
    clearQueue();
    view->runEntry(ListEntry::EditSearchBank);
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_EQ(prompts[0].text, "Oooops. Empty Search List. This should not happen ...");
    EXPECT_EQ(editedSearchBanks.size(), 3u);
    EXPECT_EQ(editedSearchBanks.back()[ChannelRecord::kBank], "C");
}

TEST_F(Actions, PassFrequencyDeletes) {
    exchange("PR\r", {"PRB03 0145500000", "PRB04 ---"});
    show(ListMode::PassFrequencies);
    view->selectItem(0);
    view->runEntry(ListEntry::DeletePassFrequency);
    EXPECT_TRUE(prompts.empty());
    EXPECT_EQ(queued(), "PDB03\rPR\r");
    EXPECT_TRUE(rx.passFrequencies.empty());
    clearQueue();

    exchange("PR\r", {"PRB03 0145500000", "PRB04 ---"});
    show(ListMode::PassFrequencies);
    view->selectItem(0);
    answers = {false};
    view->runEntry(ListEntry::DeleteAllPassFrequencies);
    EXPECT_EQ(prompts.back().text, "Really delete ALL Pass Frequencies stored in bank - B - ?");
    EXPECT_TRUE(prompts.back().affirmativeDefault);
    EXPECT_EQ(queued(), "");
    view->runEntry(ListEntry::DeleteAllPassFrequencies);
    EXPECT_EQ(queued(), "PDB%%\rPR\r");
}

TEST_F(Actions, DoubleClickAndCtrlEnterFollowTheirOrder) {
    int plays = 0;
    int tunes = 0;
    view->setEntryHandler(ListEntry::PlayAudio, [&plays] { ++plays; });
    view->setEntryHandler(ListEntry::TuneFromDatabase, [&tunes] { ++tunes; });
    ListRows rows(2);
    rows[0][0] = "2026-12-08";
    rows[0][5] = "0812120001.wav";
    rows[1][0] = "145.500";
    view->setRowSource(ListMode::LogView, [&rows](const RowProgress&) { return rows; });
    show(ListMode::LogView);

    view->selectItem(0);
    view->doubleClickAction();
    view->defaultAction();
    EXPECT_EQ(plays, 2);
    rx.logActive = true;
    view->doubleClickAction();
    EXPECT_EQ(plays, 2);
    rx.logActive = false;

    view->selectItem(1);
    view->doubleClickAction();
    view->defaultAction();
    EXPECT_EQ(tunes, 2);

    // With no row nothing happens at all.
    view->clearSelection();
    view->doubleClickAction();
    view->defaultAction();
    EXPECT_EQ(plays, 2);
    EXPECT_EQ(tunes, 2);
    EXPECT_EQ(queued(), "");
}

TEST_F(Actions, CtrlEnterRecallsAUsedChannel) {
    showBankA();
    vfoState();
    view->selectItem(0);
    view->defaultAction();
    EXPECT_EQ(queued(), "MRA00\r" + std::string(kBatch) + kFlags);
}

}  // namespace
}  // namespace korvex::test
