#pragma once

#include <gtest/gtest.h>

#include <stdlib.h>

#include <deque>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "link/MemoryCommands.h"
#include "link/PollFields.h"
#include "link/ResponseParser.h"
#include "model/Receiver.h"
#include "tests/support/FakeLinkHost.h"
#include "tests/support/PromptRecorder.h"
#include "tests/support/TempDir.h"
#include "ui/ZelView.h"
#include "ui/dialogs/Prompt.h"

namespace korvex::test {

inline constexpr std::string_view kBatch = "RX\rAF\rNL\rDB\rSB\rXB\r";

// A memory channel report as the receiver sends it.
inline std::string channelLine(std::string_view channel, std::string_view tenDigits,
                               std::string_view name, std::string_view mode = "0") {
    return "MX" + std::string(channel) + " MP0 RF" + std::string(tenDigits) + " ST100000 AU0 MD" +
           std::string(mode) + " AT0 TM" + std::string(name);
}
inline std::string emptySlotLine(std::string_view channel) {
    return "MX" + std::string(channel) + " ---";
}

// A real model filled by the parser from the receiver's replies, and a list
// view over it whose message boxes and dialogs answer from scripts.
class ListViewFixture : public PromptRecorder {
protected:
    CReceiver rx;
    PollFields poll;
    FakeLinkHost host;
    ResponseParser parser{rx, poll, host};
    std::unique_ptr<CZelView> view;

    int bankNameChanges = 0;
    std::optional<std::string> channelNameAnswer;
    std::vector<std::string> proposedNames;
    std::optional<ChannelRecord> editAnswer;
    std::vector<ChannelRecord> editedRecords;
    std::optional<std::string> descriptionAnswer;
    std::optional<std::string> resizeAnswer;
    std::vector<char> resizeBanks;
    std::optional<std::string> searchBankAnswer;
    std::vector<ChannelRecord> editedSearchBanks;

    void SetUp() override {
        PromptRecorder::SetUp();
        ListViewContext ctx;
        ctx.rx = &rx;
        ctx.queue = &poll.commandQueue;
        ctx.host = &host;
        ctx.mark2 = [] { return false; };
        ctx.bankNamesChanged = [this] { ++bankNameChanges; };
        ctx.memoryWriteStarted = [this](const std::string& commands, bool announceDone) {
            beginMemoryWrite(poll, commands, announceDone);
        };
        ctx.backupFolder = [this] { return scratchFolder() / "backups"; };
        view = std::make_unique<CZelView>(ctx);
        view->resize(800, 400);
        ListDialogs dialogs;
        dialogs.channelName = [this](QWidget*, const std::string& proposed) {
            proposedNames.push_back(proposed);
            return channelNameAnswer;
        };
        dialogs.editChannel = [this](QWidget*, const ChannelRecord& r, bool) {
            editedRecords.push_back(r);
            return editAnswer;
        };
        dialogs.bankDescription = [this](QWidget*) { return descriptionAnswer; };
        dialogs.bankResize = [this](QWidget*, const CReceiver&, char bank) {
            resizeBanks.push_back(bank);
            return resizeAnswer;
        };
        dialogs.searchBank = [this](QWidget*, const ChannelRecord& r, bool) {
            editedSearchBanks.push_back(r);
            return searchBankAnswer;
        };
        view->setDialogs(dialogs);
    }
    void TearDown() override { PromptRecorder::TearDown(); }
    // A folder of this test's own, made when first asked for.
    const std::filesystem::path& scratchFolder() {
        if (!m_scratch) {
            m_scratch = std::make_unique<TempDir>("korvex-listview");
        }
        return m_scratch->folder();
    }
    std::unique_ptr<TempDir> m_scratch;

    void exchange(std::string_view command, const std::vector<std::string>& lines) {
        rx.sentCommand = std::string(command);
        rx.linkState = LinkState::Wait;
        for (const std::string& line : lines) {
            parser.receive(line + "\r\n");
        }
    }
    // Bank sizes: each bank of a pair gets its size, the partner the rest.
    void readBankSizes(int upperSize = 50) {
        for (int half = 0; half < 2; ++half) {
            std::vector<std::string> lines;
            for (int i = 0; i < 10; ++i) {
                const int bank = half * 10 + i;
                char head[16];
                std::snprintf(head, sizeof head, "MW %c:%02d TB%c", CReceiver::bankLetter(bank),
                              half == 0 ? upperSize : 100 - upperSize, CReceiver::bankLetter(bank));
                lines.push_back(std::string(head) + "BANK" + std::to_string(bank) + "    ");
                lines.back().resize(19, ' ');
            }
            exchange("TB\r", lines);
        }
    }
    // Reads a bank as the read-out does, page by page; slots without a
    // channel line are reported empty.
    void readBank(char letter, const std::vector<std::string>& channelLines) {
        ASSERT_FALSE(cmd::memoryBankReadout(rx, host, letter).empty());
        const int size = rx.bankSize(rx.currentBankIndex());
        for (int page = 0; page < size / 10; ++page) {
            std::vector<std::string> lines;
            for (int i = 0; i < 10; ++i) {
                const std::size_t slot = static_cast<std::size_t>(page * 10 + i);
                char channel[16];
                std::snprintf(channel, sizeof channel, "%c%02d", letter, static_cast<int>(slot));
                lines.push_back(slot < channelLines.size() && !channelLines[slot].empty()
                                    ? channelLines[slot]
                                    : emptySlotLine(channel));
            }
            exchange(page == 0 ? "MA" + std::string(1, letter) + "\r" : "MA\r", lines);
        }
    }
    void setState(std::string_view rxReply) { exchange("RX\r", {std::string(rxReply)}); }
    void vfoState() { setState("VF RF0145500000 ST012500 AU0 MD1 AT0"); }
    void memoryState() { setState("MR MXA00 MP0 RF0101100000 ST100000 AU0 MD0 AT0 TMname"); }

    void show(ListMode mode) {
        view->switchLayout(mode);
        view->refill();
        rx.listChanged = false;
    }
    // Bank A: A00 and A02 used, the rest of its 50 slots empty.
    void showBankA() {
        readBankSizes();
        readBank('A', {channelLine("A00", "0101100000", "radio"), "",
                       channelLine("A02", "0145500000", "two m")});
        show(ListMode::MemoryBank);
    }
    std::string queued() const { return poll.commandQueue.text(); }
    void clearQueue() { poll.commandQueue.clear(); }
};

}  // namespace korvex::test
