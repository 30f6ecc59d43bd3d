// Seeded random damage to copies of the Excel and CSV fixtures: opening,
// querying and reading never crash, and an append to a damaged CSV either
// adds exactly one record or leaves the file as it was.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "database/Engine.h"
#include "tests/database/DataFolder.h"
#include "tests/support/TempDir.h"

namespace {

using namespace korvex::db;
using korvex::test::readBytes;
using korvex::test::TempDir;
using korvex::test::writeBytes;

using korvex::test::kData;

// Flips, overwrites, inserts or drops bytes, and sometimes cuts the end off.
// `inPlace` keeps every byte where it was (a compound document whose sectors
// shift is refused at once, so its damage must stay local to go deeper).
std::string damaged(std::mt19937& rng, std::string bytes, std::string_view alphabet,
                    bool inPlace = false) {
    const int edits = std::uniform_int_distribution<int>(1, inPlace ? 4 : 12)(rng);
    for (int i = 0; i < edits && !bytes.empty(); ++i) {
        const auto pos = std::uniform_int_distribution<std::size_t>(0, bytes.size() - 1)(rng);
        const char c =
            rng() % 2 == 0 ? static_cast<char>(rng()) : alphabet[rng() % alphabet.size()];
        switch (inPlace && rng() % 5 < 3 ? 0 : rng() % 5) {
            case 0:
                bytes[pos] = static_cast<char>(bytes[pos] ^ (1 << (rng() % 8)));
                break;
            case 1:
                bytes.insert(pos, 1, c);
                break;
            case 2:
                bytes.erase(pos, 1 + rng() % 16);
                break;
            case 3:
                // A run of 0x00 or 0xFF: sizes, counts and offsets gone wild.
                for (std::size_t k = pos; k < bytes.size() && k < pos + 4; ++k) {
                    bytes[k] = rng() % 2 == 0 ? '\0' : '\xFF';
                }
                break;
            default:
                bytes[pos] = c;
        }
    }
    if (rng() % (inPlace ? 10 : 4) == 0) {
        bytes.resize(std::uniform_int_distribution<std::size_t>(0, bytes.size())(rng));
    }
    return bytes;
}

std::size_t readAll(RecordSet& records) {
    std::size_t rows = 0;
    while (records.next()) {
        for (std::size_t i = 0; i <= records.fields().size(); ++i) {
            (void)records.value(i);
        }
        ++rows;
    }
    return rows;
}

// FreeXL reads past its own buffers on some of these files; the engine reads
// workbooks in a child process, so that becomes an error text here (the
// sanitizer build prints the child's report and goes on).
TEST(SheetRandomInput, DamagedWorkbooksGiveRecordsOrAnError) {
    TempDir folder;
    std::mt19937 rng(20261209);
    const std::string binary("\x00\xFF\x09\x08\x06\x10\xFD\x00\x01\x02", 10);
    for (const char* name : {"freqs.xls", "freqs_khz.xls", "typed.xls"}) {
        const std::string original = readBytes(kData / name);
        ASSERT_FALSE(original.empty()) << name;
        for (int round = 0; round < 120; ++round) {
            const auto file = folder.file("damaged.xls");
            writeBytes(file, damaged(rng, original, binary, round % 4 != 0));
            std::string error;
            auto db = openDatabase(kConnectExcel, file, true, error);
            if (!db) {
                EXPECT_FALSE(error.empty()) << name << " round " << round;
                continue;
            }
            for (const std::string& sheet : db->tableNames()) {
                error.clear();
                auto records = db->query("SELECT * FROM [" + sheet + "]", error);
                if (!records) {
                    EXPECT_FALSE(error.empty());
                    continue;
                }
                EXPECT_EQ(readAll(*records), records->recordCount());
            }
        }
    }
}

TEST(SheetRandomInput, DamagedCsvFilesReadAndAppendWholeOrNotAtAll) {
    TempDir folder;
    std::mt19937 rng(1209);
    const std::string text =
        ",;\"\r\n \xEF\xBB\xBF\xFC\xC3\xA9"
        "0123456789.-:eE";
    const std::vector<std::string> originals = {
        readBytes(kData / "freqs.csv"),
        "\xEF\xBB\xBF"
        "FREQ;NAME;HEARD\r\n145.5;\"a;\"\"b\"\"\r\nc\";2024-01-02 10:30\r\n"
        "7.055;M\xC3\xBCnchen;\r\n",
        "FREQ,NAME\n1,K\xF6ln\n2,\"x\"\n",
    };
    for (const std::string& original : originals) {
        for (int round = 0; round < 200; ++round) {
            const std::string bytes = damaged(rng, original, text);
            writeBytes(folder.file("t.csv"), bytes);
            std::string error;
            auto db = openDatabase(kConnectText, folder.folder(), false, error);
            ASSERT_TRUE(db) << error;
            auto records = db->query("SELECT * FROM [t.csv]", error);
            ASSERT_TRUE(records) << error;
            const std::size_t rows = readAll(*records);
            ASSERT_EQ(rows, records->recordCount());
            if (records->fields().empty()) {
                continue;
            }
            // One non-empty value of each field's type.
            std::vector<Value> values;
            for (const Field& field : records->fields()) {
                values.push_back(field.type == kDouble     ? Value::ofNumber(12.5)
                                 : field.type == kDateTime ? Value::ofDate({2024, 1, 2, 3, 4, 0})
                                                           : Value::ofText("new, \"one\""));
            }
            if (records->append(values)) {
                EXPECT_EQ(readBytes(folder.file("t.csv")), bytes) << "round " << round;
                continue;
            }
            auto again = db->query("SELECT * FROM [t.csv]", error);
            ASSERT_TRUE(again) << error;
            ASSERT_EQ(again->recordCount(), rows + 1) << "round " << round;
            std::string last;
            while (again->next()) {
                last = again->value(0).kind == Value::Kind::Text ? again->value(0).text : "";
            }
            if (values[0].kind == Value::Kind::Text) {
                EXPECT_EQ(last, "new, \"one\"") << "round " << round;
            }
        }
    }
}

}  // namespace
