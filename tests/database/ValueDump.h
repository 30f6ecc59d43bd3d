#pragma once

// Record sets as compact texts, so a test compares whole rows at once.

#include <cstdio>
#include <string>
#include <vector>

#include "database/Engine.h"

namespace korvex::test {

// One value: "#" and the number, "@" and the date and time, "!" and the text
// of a bad date, "-" for null, the text itself for text.
inline std::string valueText(const db::Value& v) {
    char buffer[80];
    switch (v.kind) {
        case db::Value::Kind::Null:
            return "-";
        case db::Value::Kind::Number:
            std::snprintf(buffer, sizeof buffer, "#%.10g", v.number);
            return buffer;
        case db::Value::Kind::Text:
            return v.text;
        case db::Value::Kind::Date:
            std::snprintf(buffer, sizeof buffer, "@%04d-%02d-%02d %02d:%02d:%02d", v.date.year,
                          v.date.month, v.date.day, v.date.hour, v.date.minute, v.date.second);
            return buffer;
        case db::Value::Kind::BadDate:
            return "!" + v.text;
    }
    return "?";
}

// Every remaining record, its values joined by "|".
inline std::vector<std::string> dumpRecords(db::RecordSet& records) {
    std::vector<std::string> rows;
    while (records.next()) {
        std::string row;
        for (std::size_t i = 0; i < records.fields().size(); ++i) {
            row += (i > 0 ? "|" : "") + valueText(records.value(i));
        }
        rows.push_back(row);
    }
    return rows;
}

inline std::vector<int> fieldTypes(const db::RecordSet& records) {
    std::vector<int> out;
    for (const db::Field& f : records.fields()) {
        out.push_back(f.type);
    }
    return out;
}

}  // namespace korvex::test
