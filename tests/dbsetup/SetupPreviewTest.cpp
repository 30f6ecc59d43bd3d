#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "database/Engine.h"
#include "database/SetupPreview.h"

namespace korvex::db {
namespace {

// A table held in memory; a query for any other table fails.
class MemoryTable : public Database {
public:
    std::string name = "t.dbf";
    std::vector<Field> fields;
    std::vector<std::vector<Value>> records;
    std::string lastQuery;

    std::vector<std::string> tableNames() const override { return {name}; }
    std::unique_ptr<RecordSet> query(std::string_view sql, std::string& error) override;
};

class MemoryRecords : public RecordSet {
public:
    explicit MemoryRecords(const MemoryTable& table) : m_table(table) {}
    const std::vector<Field>& fields() const override { return m_table.fields; }
    bool next() override { return ++m_at < static_cast<long>(m_table.records.size()); }
    Value value(std::size_t field) const override {
        return m_table.records[static_cast<std::size_t>(m_at)][field];
    }
    std::size_t recordCount() const override { return m_table.records.size(); }
    bool canAppend() const override { return false; }
    std::optional<AppendError> append(const std::vector<Value>&) override {
        return AppendError{0, "read only"};
    }

private:
    const MemoryTable& m_table;
    long m_at = -1;
};

std::unique_ptr<RecordSet> MemoryTable::query(std::string_view sql, std::string& error) {
    lastQuery = std::string(sql);
    const auto parsed = parseQuery(sql);
    if (!parsed || parsed->table != name) {
        error = "no such table";
        return nullptr;
    }
    return std::make_unique<MemoryRecords>(*this);
}

std::vector<Value> record(double freq, const std::string& mode, const std::string& name) {
    return {Value::ofNumber(freq), Value::ofText(mode), Value::ofText(name)};
}

MemoryTable threeFields() {
    MemoryTable t;
    t.fields = {{"FREQ", kDouble}, {"MODE", kText}, {"NAME", kText}};
    return t;
}

TEST(SetupPreviewTest, ShowsAtMostTheFirstFiveRecords) {
    for (std::size_t count : {0u, 4u, 5u, 6u}) {
        MemoryTable t = threeFields();
        for (std::size_t i = 0; i < count; ++i) {
            t.records.push_back(record(118.0 + static_cast<double>(i), "AM", "r"));
        }
        std::string error;
        const auto preview = readSetupPreview(t, "t.dbf", error);
        ASSERT_TRUE(preview) << error;
        EXPECT_EQ(t.lastQuery, "SELECT * FROM [t.dbf]");
        EXPECT_EQ(preview->rows.size(), std::min<std::size_t>(count, 5)) << count;
        ASSERT_EQ(preview->columns.size(), 3u);
        EXPECT_FALSE(preview->unsupportedFields);
    }
}

TEST(SetupPreviewTest, RecordWithBrokenBarOutsideTheFirstFieldIsLeftOut) {
    MemoryTable t;
    t.fields = {{"NAME", kText}, {"MODE", kText}, {"NOTE", kText}};
    t.records = {
        {Value::ofText("a\xC2\xA6"), Value::ofText("AM"), Value::ofText("first field may")},
        {Value::ofText("b"), Value::ofText("N\xC2\xA6M"), Value::ofText("dropped")},
        {Value::ofText("c"), Value::ofText("AM"), Value::ofText("end \xC2\xA6")},
        // U+05A6 shares the byte A6 in UTF-8 but is no broken bar.
        {Value::ofText("d"), Value::ofText("AM"), Value::ofText("\xD6\xA6")},
        {Value::ofText("e"), Value::ofText("AM"), Value::ofText("kept")},
        {Value::ofText("f"), Value::ofText("AM"), Value::ofText("sixth record")},
    };
    std::string error;
    const auto preview = readSetupPreview(t, "t.dbf", error);
    ASSERT_TRUE(preview);
    std::vector<std::string> firsts;
    for (const auto& row : preview->rows) {
        ASSERT_EQ(row.size(), 3u);
        firsts.push_back(row[0]);
    }
    // Five records are read; the two refused ones are not replaced by later ones.
    EXPECT_EQ(firsts, (std::vector<std::string>{"a\xC2\xA6", "d", "e"}));
}

TEST(SetupPreviewTest, HeaderCaptionIsCutTo19CharactersButTheNameIsKept) {
    MemoryTable t;
    // 19 characters with two-byte ones inside, then 20 and 25 characters.
    const std::string nineteen = "Frequenz_\xC3\xBC\xC3\xBC_Sender_";
    const std::string twenty = nineteen + "X";
    const std::string longer = "Description of the station";
    t.fields = {{nineteen, kText}, {twenty, kText}, {longer, kText}, {"", kText}};
    std::string error;
    const auto preview = readSetupPreview(t, "t.dbf", error);
    ASSERT_TRUE(preview);
    ASSERT_EQ(preview->columns.size(), 4u);
    EXPECT_EQ(preview->columns[0].caption, nineteen);
    EXPECT_EQ(preview->columns[1].caption, nineteen);
    EXPECT_EQ(preview->columns[1].name, twenty);
    EXPECT_EQ(preview->columns[2].caption, "Description of the ");
    EXPECT_EQ(preview->columns[2].name, longer);
    EXPECT_EQ(preview->columns[3].caption, "");
    EXPECT_EQ(preview->columns[2].index, 2u);
}

TEST(SetupPreviewTest, UnsupportedFieldIsShownAsMarksAndFlagged) {
    MemoryTable t;
    t.fields = {{"FREQ", kNumeric}, {"ON", kBoolean}, {"WHEN", kDateTime}};
    t.records = {
        {Value::ofNumber(145.5), Value::ofNumber(1), Value::ofDate({2024, 3, 15, 0, 0, 0})}};
    std::string error;
    const auto preview = readSetupPreview(t, "t.dbf", error);
    ASSERT_TRUE(preview);
    EXPECT_TRUE(preview->unsupportedFields);
    ASSERT_EQ(preview->rows.size(), 1u);
    EXPECT_EQ(preview->rows[0][1], "?!?");
    EXPECT_EQ(preview->columns[1].type, kBoolean);
}

TEST(SetupPreviewTest, FailedQueryGivesTheEnginesText) {
    MemoryTable t = threeFields();
    std::string error;
    EXPECT_FALSE(readSetupPreview(t, "other.dbf", error));
    EXPECT_EQ(error, "no such table");
}

}  // namespace
}  // namespace korvex::db
