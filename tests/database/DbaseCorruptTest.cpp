// Damaged .dbf files: each gives a message, never a crash or a hang, and a
// seeded run of random damage to copies of every fixture table.
#include <gtest/gtest.h>

#include <random>

#include "tests/database/DbaseTestSupport.h"

namespace korvex::test {
namespace {

using Bytes = std::string;

void put16(Bytes& b, std::size_t at, unsigned v) {
    b[at] = static_cast<char>(v & 0xFF);
    b[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}

void put32(Bytes& b, std::size_t at, unsigned v) {
    put16(b, at, v & 0xFFFF);
    put16(b, at + 2, v >> 16);
}

// Opens the bytes as t.dbf, queries every field, reads every value and tries
// an append. The message when the query fails, "" when it worked.
std::string exercise(const Bytes& bytes) {
    TempDir folder;
    writeBytes(folder.file("t.dbf"), bytes);
    std::string error;
    auto database = db::openDbase(folder.folder(), false, error);
    if (!database) {
        return error;
    }
    auto rs = database->query("SELECT * FROM [t.dbf]", error);
    if (!rs) {
        EXPECT_FALSE(error.empty());
        return error.empty() ? "?" : error;
    }
    std::size_t n = 0;
    while (rs->next()) {
        for (std::size_t i = 0; i < rs->fields().size(); ++i) {
            rs->value(i);
        }
        ++n;
    }
    EXPECT_EQ(n, rs->recordCount());
    rs->append(std::vector<db::Value>(rs->fields().size()));
    return {};
}

TEST(DbaseCorruptTest, DamagedHeadersAreRefusedWithAMessage) {
    const Bytes good = readBytes(dbData("pyfreqs.dbf"));
    ASSERT_EQ(exercise(good), "");
    struct Case {
        const char* what;
        std::function<void(Bytes&)> damage;
    };
    const std::vector<Case> cases = {
        {"empty file", [](Bytes& b) { b.clear(); }},
        {"cut in the file header", [](Bytes& b) { b.resize(31); }},
        {"cut in the field descriptors", [](Bytes& b) { b.resize(100); }},
        {"cut after the header", [](Bytes& b) { b.resize(193); }},
        {"cut in the last record", [](Bytes& b) { b.resize(193 + 20 * 77 - 5); }},
        {"header longer than the file", [](Bytes& b) { put16(b, 8, 0xFFFF); }},
        {"header shorter than one field", [](Bytes& b) { put16(b, 8, 40); }},
        {"record length 0", [](Bytes& b) { put16(b, 10, 0); }},
        {"record length beyond the fields", [](Bytes& b) { put16(b, 10, 78); }},
        {"record length short of the fields", [](Bytes& b) { put16(b, 10, 60); }},
        {"field of width 0", [](Bytes& b) { b[32 + 32 + 16] = 0; }},
        {"wide field", [](Bytes& b) { b[32 + 16] = static_cast<char>(0xFF); }},
        {"field without a name", [](Bytes& b) { b[32] = 0; }},
        {"no fields", [](Bytes& b) { b[32] = 0x0D; }},
        {"one record too many", [](Bytes& b) { put32(b, 4, 21); }},
        {"huge record count", [](Bytes& b) { put32(b, 4, 0xFFFFFFFF); }},
        {"Visual FoxPro", [](Bytes& b) { b[0] = 0x30; }},
    };
    for (const auto& c : cases) {
        Bytes bytes = good;
        c.damage(bytes);
        EXPECT_NE(exercise(bytes), "") << c.what;
    }
}

TEST(DbaseCorruptTest, TablesThatAreOddButWhole) {
    const Bytes good = readBytes(dbData("pyfreqs.dbf"));
    // No records; no end mark; bytes after the last record; no header end
    // mark but a header that ends where the descriptors do.
    Bytes empty = good.substr(0, 193);
    put32(empty, 4, 0);
    EXPECT_EQ(exercise(empty), "");
    EXPECT_EQ(exercise(good.substr(0, good.size() - 1)), "");
    EXPECT_EQ(exercise(good + "garbage"), "");
    Bytes noEndMark = good.substr(0, 192) + good.substr(193);
    put16(noEndMark, 8, 192);
    EXPECT_EQ(exercise(noEndMark), "");
}

TEST(DbaseCorruptTest, FileCutShortWhileReading) {
    TempDir folder;
    copyFixture(folder, "big.dbf");
    std::string error;
    auto database = db::openDbase(folder.folder(), true, error);
    ASSERT_TRUE(database) << error;
    auto rs = queryOrFail(*database, "SELECT NAME FROM [big.dbf]");
    ASSERT_TRUE(rs);
    std::filesystem::resize_file(folder.file("big.dbf"), 100000);
    std::size_t n = 0;
    while (rs->next()) {
        EXPECT_FALSE(rs->value(0).text.empty());
        ++n;
    }
    EXPECT_GT(n, 1000u);
    EXPECT_LT(n, 20000u);
}

// Random damage: bytes changed (mostly in the header, where the layout
// lives), header numbers set to edge values, bytes inserted or removed, the
// file cut. Seeded, so a failure repeats.
Bytes mutate(const Bytes& in, std::mt19937& rng) {
    Bytes b = in;
    const auto pick = [&](std::size_t n) {
        return n == 0 ? std::size_t{0} : std::uniform_int_distribution<std::size_t>(0, n - 1)(rng);
    };
    const int steps = 1 + static_cast<int>(pick(6));
    for (int s = 0; s < steps && !b.empty(); ++s) {
        switch (pick(6)) {
            case 0:
                b[pick(std::min<std::size_t>(b.size(), 256))] = static_cast<char>(pick(256));
                break;
            case 1:
                b[pick(b.size())] = static_cast<char>(pick(256));
                break;
            case 2: {
                static const unsigned kEdges[] = {0, 1, 31, 32, 33, 64, 65, 255, 0x7FFF, 0xFFFF};
                const std::size_t at = std::vector<std::size_t>{4, 6, 8, 10}[pick(4)];
                if (b.size() >= at + 2) {
                    put16(b, at, kEdges[pick(std::size(kEdges))]);
                }
                break;
            }
            case 3:
                b.insert(pick(b.size()), Bytes(1 + pick(40), static_cast<char>(pick(256))));
                break;
            case 4:
                b.erase(pick(b.size()), 1 + pick(40));
                break;
            default:
                b.resize(pick(b.size()));
                break;
        }
    }
    return b;
}

TEST(DbaseCorruptTest, SeededRandomDamageNeverCrashes) {
    std::mt19937 rng(20261209);
    int refused = 0;
    int read = 0;
    for (const char* name : {"pyfreqs.dbf", "freqs.dbf", "textfreq.dbf", "vfp.dbf"}) {
        const Bytes good = readBytes(dbData(name));
        for (int i = 0; i < 250; ++i) {
            const Bytes damaged = mutate(good, rng);
            (exercise(damaged).empty() ? read : refused)++;
        }
    }
    // Both outcomes happen: the run does reach the readers.
    EXPECT_GT(refused, 100);
    EXPECT_GT(read, 50);
}

}  // namespace
}  // namespace korvex::test
