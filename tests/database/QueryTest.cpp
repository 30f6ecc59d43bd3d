#include <gtest/gtest.h>

#include "database/Engine.h"

using korvex::db::parseQuery;

TEST(QueryTest, ParsesBothShapes) {
    auto all = parseQuery("SELECT * FROM [freqs.dbf]");
    ASSERT_TRUE(all);
    EXPECT_EQ(all->table, "freqs.dbf");
    EXPECT_TRUE(all->fields.empty());

    auto some = parseQuery("select FREQ, Mode ,NAME from [data from 2020]");
    ASSERT_TRUE(some);
    EXPECT_EQ(some->table, "data from 2020");
    EXPECT_EQ(some->fields, (std::vector<std::string>{"FREQ", "Mode", "NAME"}));
}

TEST(QueryTest, RefusesOtherShapes) {
    for (const char* sql :
         {"", "SELECT", "SELECT * FROM freqs", "SELECT FROM [t]", "SELECT a,,b FROM [t]",
          "SELECT a FROM []", "SELECT [a] FROM [t]", "DELETE * FROM [t]",
          "SELECT a FROM [t] WHERE 1", "SELECTa FROM [t]", "SELECT a FROM[t", "SELECT aFROM [t]"}) {
        EXPECT_FALSE(parseQuery(sql)) << sql;
    }
}
