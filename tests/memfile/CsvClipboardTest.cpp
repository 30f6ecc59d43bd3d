// CSV banks and the clipboard record.
#include <gtest/gtest.h>

#include "link/FrequencyText.h"
#include "link/MemoryCommands.h"
#include "model/ClipboardRecord.h"
#include "model/CsvBank.h"
#include "model/Receiver.h"
#include "support/MemoryCap.h"

namespace korvex {
namespace {

ChannelRecord channel(std::string ch, std::string freq, std::string step, std::string autoMode,
                      std::string mode, std::string att, std::string text) {
    ChannelRecord r;
    r.field = {ch, "0", freq, step, autoMode, mode, att, text};
    return r;
}

TEST(CsvImport, HandWrittenFileWithReorderedColumnsSemicolonsQuotesAndBom) {
    const std::string file =
        "\xEF\xBB\xBF"
        "Mode;TStep;Frequency;Name;Location;Comment;Duplex\r\n"
        "FM;12.5;145.500000;\"Calling; main\";2;;\r\n"
        "WFM;100;0088.5;\"Radio \"\"One\"\" FM long name\";0;ATT;\r\n"
        "DV;6.25;446.00625;Caf\xC3\xA9 \xE2\x82\xAC \xE4\xB8\xAD;;AUTO ATT;\r\n"
        "USB;5;not a number;Bad;3;;\r\n"
        "\r\n"
        "cw;0.050;7.0305;;99;;\r\n";
    const csv::ImportResult result = csv::importBank(file, 'b', 5);
    ASSERT_TRUE(result.hasFrequencyColumn);
    EXPECT_EQ(result.placed, 4);
    EXPECT_EQ(result.unusable, 1) << "the row without a frequency";
    EXPECT_EQ(result.unknownModes, 1) << "DV is written as NFM";
    ASSERT_EQ(result.channels.size(), 5u);
    const ChannelRecord& wfm = *result.channels[0];
    EXPECT_EQ(wfm.field, (std::array<std::string, 8>{"b00", "+", "0088.500000", "100.000", "0",
                                                     "WFM", "1", "Radio \"One\" "}));
    // Location 2 taken as given; the rows without a fitting location fill
    // the free channels in order.
    EXPECT_EQ((*result.channels[2])[ChannelRecord::kText], "Calling; mai");
    EXPECT_EQ((*result.channels[2])[ChannelRecord::kMode], "NFM");
    EXPECT_EQ((*result.channels[2])[ChannelRecord::kStep], "012.500");
    const ChannelRecord& dv = *result.channels[1];
    EXPECT_EQ(dv[ChannelRecord::kFrequency], "0446.006250");
    EXPECT_EQ(dv[ChannelRecord::kStep], "006.250");
    EXPECT_EQ(dv[ChannelRecord::kMode], "NFM");
    EXPECT_EQ(dv[ChannelRecord::kAutoMode], "1");
    EXPECT_EQ(dv[ChannelRecord::kAttenuator], "1");
    EXPECT_EQ(dv[ChannelRecord::kText], "Caf\xE9 \x80 ?");
    const ChannelRecord& cw = *result.channels[3];
    EXPECT_EQ(cw[ChannelRecord::kMode], "CW");
    EXPECT_EQ(cw[ChannelRecord::kStep], "000.050");
    EXPECT_FALSE(result.channels[4]);
}

TEST(CsvImport, FrequenciesAndStepsTheReceiverCannotHoldAreRefused) {
    const std::string file =
        "Frequency,TStep,Name\n"
        "2100,12.5,over the top\n"  // above 2040 MHz
        "0.05,5,below\n"            // under 0.1 MHz
        "145.51234,,off grid\n"     // taken on the 50 Hz grid, as typed
        "145.5,7,no such step\n"
        "145.5,2.5,nor this\n"
        "145.5,12.5x,nor this\n"
        "145.5,8.330,kept\n";
    const auto rule = [](bool mark2) {
        return [mark2](std::string_view f) -> std::optional<std::string> {
            const std::string held = heldFrequency(f, mark2);
            return held.empty() ? std::nullopt : std::optional<std::string>(held);
        };
    };
    const csv::ImportResult plain = csv::importBank(file, 'A', 10, rule(false));
    EXPECT_EQ(plain.placed, 2);
    EXPECT_EQ(plain.unusable, 5);
    ASSERT_TRUE(plain.channels[0] && plain.channels[1]);
    EXPECT_EQ((*plain.channels[0])[ChannelRecord::kFrequency], "0145.512300");
    EXPECT_EQ((*plain.channels[0])[ChannelRecord::kStep], "012.500") << "no step: 12.5 kHz";
    EXPECT_EQ((*plain.channels[1])[ChannelRecord::kStep], "008.330");
    // The MARK II option reaches 3000 MHz, as for a typed frequency.
    const csv::ImportResult mark2 = csv::importBank(file, 'A', 10, rule(true));
    EXPECT_EQ(mark2.placed, 3);
    EXPECT_EQ((*mark2.channels[0])[ChannelRecord::kFrequency], "2100.000000");
}

TEST(CsvImport, WithoutFrequencyColumnOrRoomRowsAreCounted) {
    EXPECT_FALSE(csv::importBank("Name,Mode\nx,FM\n", 'A', 10).hasFrequencyColumn);
    const csv::ImportResult full = csv::importBank("Frequency\n145\n146\n147\n10000\n0\n", 'A', 2);
    EXPECT_EQ(full.placed, 2);
    EXPECT_EQ(full.unusable, 3) << "one without room, two outside the receiver's range";
}

// 8 MB of one-value rows: before, every row was kept (about 180 bytes of
// memory per file byte).
TEST(CsvImport, ABankImportKeepsNoMoreRowsThanTheBankHolds) {
    if (!test::kCanCapMemory) {
        GTEST_SKIP() << "no address-space limit under a sanitizer";
    }
    std::string text = "Frequency\r\n";
    const std::size_t rows = 8 * 1024 * 1024 / 7;
    text.reserve(rows * 7 + 16);
    for (std::size_t n = 0; n < rows; ++n) {
        text += "145.5\r\n";
    }
    EXPECT_EQ(test::runWithMemoryCap(64 * 1024 * 1024,
                                     [&] {
                                         const auto result = csv::importBank(text, 'A', 50);
                                         return result.placed == 50 &&
                                                result.unusable == static_cast<int>(rows - 50);
                                     }),
              test::CappedRun::Finished);
}

TEST(CsvRecords, LimitsHoldWhileARecordIsReadAndEdgesAreKept) {
    const csv::RecordLimits limits{4, 6};
    const auto end = [&](std::string_view text) {
        return csv::forEachRecord(
            text, ',', [](auto&) { return true; }, limits);
    };
    EXPECT_EQ(end("a,b,c,d\nabcdef\n\"ab\"\"cd\"\"\"\n"), csv::RecordsEnd::Complete)
        << "four fields, six bytes, doubled quotes counted once";
    EXPECT_EQ(end("a,b,c,d,e\n"), csv::RecordsEnd::TooManyFields);
    EXPECT_EQ(end("a,b,c,d,"), csv::RecordsEnd::TooManyFields) << "an empty last field counts";
    EXPECT_EQ(end("abcdefg\n"), csv::RecordsEnd::FieldTooLong);
    EXPECT_EQ(end("x,\"abc\ndefg"), csv::RecordsEnd::FieldTooLong) << "line ends inside quotes";
    EXPECT_TRUE(csv::parseRecords("a,b,c,d,e\n", ',', limits).empty());
}

// 16 MB of separators on one line held 16 million empty fields (over 500 MB),
// and an endless quoted field grew to the file's size, before the limits
// were applied to the finished record.
TEST(CsvImport, ARowBeyondTheLimitsIsRefusedBeforeItIsHeld) {
    if (!test::kCanCapMemory) {
        GTEST_SKIP() << "no address-space limit under a sanitizer";
    }
    const std::size_t size = 16 * 1024 * 1024 - 32;
    const std::string separators = "Frequency," + std::string(size, ',') + "\n145.5\n";
    const std::string quoted = "Frequency,Name\n145.5,\"" + std::string(size, 'n');
    for (const auto& [text, reason] : {std::pair{&separators, "a record has more than 1024 fields"},
                                       std::pair{&quoted, "a field is longer than 128 KB"}}) {
        EXPECT_EQ(test::runWithMemoryCap(24 * 1024 * 1024,
                                         [&] {
                                             const auto result = csv::importBank(*text, 'A', 50);
                                             return result.refused == reason && result.placed == 0;
                                         }),
                  test::CappedRun::Finished)
            << reason;
    }
}

TEST(CsvExport, ExportThenImportKeepsEveryFieldTheReceiverHolds) {
    std::vector<ChannelRecord> rows = {
        channel("A00", "0080.200000", "005.000", "0", "NFM", "0", "Marine \xE9   "),
        ChannelRecord::emptySlot("A01"),
        channel("A02", "1296.000000", "012.500", "1", "AM", "1", "Tower, \"x\""),
        channel("A03", "0000.100000", "100.000", "0", "SFM", "0", ""),
        channel("A04", "0145.006250", "006.250", "0", "WAM", "1", "Semi;colon"),
    };
    const std::string text = csv::exportBank(rows);
    EXPECT_TRUE(text.starts_with(std::string(csv::kHeader) + "\r\n"));
    EXPECT_NE(text.find("0,Marine \xC3\xA9,80.200000,,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,"
                        "NFM,5.000,,,,,,,\r\n"),
              std::string::npos)
        << text;
    const csv::ImportResult back = csv::importBank(text, 'A', 5);
    EXPECT_EQ(back.placed, 4);
    EXPECT_EQ(back.unusable, 0);
    EXPECT_EQ(back.unknownModes, 0);
    for (std::size_t n : {0u, 2u, 3u, 4u}) {
        SCOPED_TRACE(n);
        ASSERT_TRUE(back.channels[n]);
        ChannelRecord expected = rows[n];
        expected[ChannelRecord::kPass] = "+";
        while (!expected[ChannelRecord::kText].empty() &&
               expected[ChannelRecord::kText].back() == ' ') {
            expected[ChannelRecord::kText].pop_back();
        }
        EXPECT_EQ(*back.channels[n], expected);
    }
    EXPECT_FALSE(back.channels[1]);
}

// (A whole record beyond a copy's size is refused before this: see
// ARecordLongerThanACopyMakesIsNoRecord.)
TEST(Clipboard, EveryFieldIsHeldToItsColumnBeforeACommandIsBuilt) {
    const std::string huge(500, 'x');
    const auto withText =
        clip::parseRecord("Korvex:::A05\t1\t0080.200000\t012.500\t0\tNFM\t0\t" + huge, "b07");
    ASSERT_TRUE(withText);
    EXPECT_EQ((*withText)[ChannelRecord::kText], std::string(12, 'x'));
    CReceiver rx;
    rx.selectBank('b');
    rx.currentBank().assign(10, ChannelRecord::emptySlot("b00"));
    EXPECT_EQ(cmd::pasteChannel(rx, "b07", *withText),
              "MXb07 RF0080200000 AU0 ST012500 MD1 AT0 TMxxxxxxxxxxxx\rMRb07\r");
    // A longer field of any other column is no copied row.
    EXPECT_FALSE(clip::parseRecord(
        "Korvex:::A05\t1\t0080.200000\t012.500\t0\t" + huge + "\t0\tname", "b07"));
    EXPECT_FALSE(clip::parseRecord(
        "Korvex:::A05\t" + huge + "\t0080.200000\t012.500\t0\tNFM\t0\tname", "b07"));
    EXPECT_FALSE(
        clip::parseRecord("Korvex:::A05\t1\t0080.2000001\t012.500\t0\tNFM\t0\tname", "b07"));
}

TEST(Clipboard, RecordCarriesTheRowAndTakesTheTargetChannel) {
    const ChannelRecord row =
        channel("A05", "0080.200000", "012.500", "1", "NFM", "0", "Harbour     ");
    const std::string record = clip::makeRecord(row);
    EXPECT_EQ(record, "Korvex:::A05\t0\t0080.200000\t012.500\t1\tNFM\t0\tHarbour     ");
    const auto pasted = clip::parseRecord(record, "b07");
    ASSERT_TRUE(pasted);
    EXPECT_EQ((*pasted)[ChannelRecord::kChannel], "b07");
    EXPECT_EQ((*pasted)[ChannelRecord::kText], "Harbour     ");

    CReceiver rx;
    rx.selectBank('b');
    rx.currentBank().assign(10, ChannelRecord::emptySlot("b00"));
    // Auto mode is always written off.
    EXPECT_EQ(cmd::pasteChannel(rx, "b07", *pasted),
              "MXb07 RF0080200000 AU0 ST012500 MD1 AT0 TMHarbour     \rMRb07\r");
}

TEST(Clipboard, ForeignShortAndMalformedTextsAreNoRecord) {
    EXPECT_FALSE(clip::parseRecord("145.500", "A00"));
    EXPECT_FALSE(clip::parseRecord("Korvex:::A05\t0\t0080.2", "A00"));
    EXPECT_FALSE(clip::parseRecord("Korvex:::", "A00"));
    EXPECT_FALSE(clip::parseRecord("Korvex:::A05\t0\t80.2 QP\r\t012.500\t0\tNFM\t0\tx", "A00"));
    EXPECT_FALSE(clip::parseRecord("Korvex:::A05\t0\t0080.200000\t012.500\t0\tNFM", "A00"))
        << "no attenuator field";
    // Numbers of another shape would reach the receiver with the wrong digit count.
    EXPECT_FALSE(clip::parseRecord("Korvex:::A05\t0\t145.5\t012.500\t0\tNFM\t0\tx", "A00"));
    EXPECT_FALSE(clip::parseRecord("Korvex:::A05\t0\t0145.500000\t5\t0\tNFM\t0\tx", "A00"));
    EXPECT_FALSE(clip::parseRecord("Korvex:::A05\t0\t0145.500000\t005.000\t0\tNFM\tX\tx", "A00"));
    // A record from a slot that reads empty cannot make a channel write.
    EXPECT_FALSE(clip::parseRecord(clip::makeRecord(ChannelRecord::emptySlot("A05")), "A00"));
}

TEST(Clipboard, ARecordLongerThanACopyMakesIsNoRecord) {
    const std::string head = "Korvex:::A05\t0\t0080.200000\t012.500\t1\tNFM\t0\t";
    const std::string fits = head + std::string(clip::kLongestRecord - head.size(), 'n');
    EXPECT_TRUE(clip::parseRecord(fits, "A00")) << "the limit itself";
    EXPECT_FALSE(clip::parseRecord(fits + "n", "A00"));
    EXPECT_FALSE(clip::parseRecord(head + std::string(10 * 1024 * 1024, 'n'), "A00"))
        << "a 10 MB name";
    EXPECT_TRUE(clip::parseRecord(fits + std::string(1, '\0') + std::string(5000, 'x'), "A00"))
        << "the text ends at its first NUL";
}

}  // namespace
}  // namespace korvex
