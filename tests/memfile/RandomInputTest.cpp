// Seeded random input for the memory-file reader, the CSV reader and the
// clipboard record: nothing crashes, and what comes out keeps its shape.
#include <gtest/gtest.h>

#include <random>

#include "link/MemoryFileCommands.h"
#include "model/ClipboardRecord.h"
#include "model/CsvBank.h"
#include "model/MemoryFile.h"
#include "tests/support/FuzzInput.h"

namespace korvex {
namespace {

std::string mutated(std::mt19937& rng, const std::string& text) {
    return test::mutatedInput(rng, text, "ABab0123456789 .-,;\"\t\r\nPSATUOLN*:\xB0\xC3\xE9Korvex");
}

void expectCleanCommands(const std::string& commands) {
    for (std::size_t i = 0; i < commands.size(); ++i) {
        const auto c = static_cast<unsigned char>(commands[i]);
        ASSERT_TRUE(c >= 0x20 || c == '\r') << "control character at " << i;
        if (c == '\r' && i + 1 < commands.size()) {
            const std::string_view next = std::string_view(commands).substr(i + 1, 2);
            ASSERT_TRUE(next == "MX" || next == "MR" || next == "MQ" || next == "TB" ||
                        next == "WP" || next == "WM")
                << "unexpected command " << next;
        }
    }
}

TEST(RandomInput, MemoryFileReaderKeepsTheRowsShapeAndCommandsClean) {
    std::mt19937 rng(12);
    const std::string seed =
        "AR8200 extras memory data\r\nA00       80.200000   5.00  AUTO  NFM ATT               "
        "Marine\r\n"
        "A01 ---\r\nA02 P   1296.000000  12.50         AM                   Tower\r\nLabel: Boats";
    for (int round = 0; round < 3000; ++round) {
        const std::string text = round % 10 == 0
                                     ? std::string(rng() % 600, static_cast<char>(rng()))
                                     : mutated(rng, seed);
        memfile::Rows rows;
        for (int n = 0; n < 10; ++n) {
            rows.push_back(ChannelRecord::emptySlot("A0" + std::to_string(n)));
        }
        const memfile::FileSummary summary = memfile::summarize(text);
        EXPECT_LE(summary.label.size(), 8u);
        memfile::questionsFor(summary, 'A', rows.size());
        memfile::applyFile(text, 'A', rows);
        ASSERT_EQ(rows.size(), 10u);
        for (const ChannelRecord& row : rows) {
            EXPECT_LE(row[ChannelRecord::kText].size(), 12u);
        }
        expectCleanCommands(cmd::memoryFileWrite(rows, 'A', summary.label));
    }
}

TEST(RandomInput, CsvReaderPlacesEveryRowOrCountsIt) {
    std::mt19937 rng(34);
    const std::string seed =
        "Location,Name,Frequency,Mode,TStep,Comment\r\n0,\"a,b\",145.5,FM,12.5,ATT\r\n"
        "1,x,88.1,WFM,100,\r\n7;y;7.1;CW;0.05;AUTO\r\n";
    for (int round = 0; round < 3000; ++round) {
        const std::string text = mutated(rng, seed);
        const csv::ImportResult result = csv::importBank(text, 'c', 5);
        ASSERT_EQ(result.channels.size(), 5u);
        int placed = 0;
        for (const auto& slot : result.channels) {
            if (slot) {
                ++placed;
                EXPECT_EQ((*slot)[ChannelRecord::kFrequency].size(), 11u);
                EXPECT_LE((*slot)[ChannelRecord::kText].size(), 12u);
            }
        }
        EXPECT_EQ(placed, result.placed);
        std::vector<ChannelRecord> rows;
        for (const auto& slot : result.channels) {
            rows.push_back(slot.value_or(ChannelRecord::emptySlot("c00")));
        }
        expectCleanCommands(cmd::memoryFileWrite(rows, 'c', "x"));
    }
}

TEST(RandomInput, ClipboardRecordOfAnyLengthOrContent) {
    std::mt19937 rng(56);
    const std::string seed = "Korvex:::A05\t0\t0080.200000\t012.500\t1\tNFM\t0\tHarbour";
    for (int round = 0; round < 5000; ++round) {
        std::string text = round % 7 == 0 ? std::string(rng() % 70000, static_cast<char>(rng()))
                                          : mutated(rng, seed);
        if (const auto record = clip::parseRecord(text, "b07")) {
            EXPECT_EQ((*record)[ChannelRecord::kChannel], "b07");
        }
    }
}

}  // namespace
}  // namespace korvex
