#include "database/Engine.h"

#include <cctype>

#include "database/Engines.h"

namespace korvex::db {

std::unique_ptr<Database> openDatabase(std::string_view connect, const std::filesystem::path& path,
                                       bool readOnly, std::string& error) {
    if (connect == kConnectDbase3 || connect == kConnectDbase4 || connect == kConnectDbase5) {
        return openDbase(path, readOnly, error);
    }
    if (connect == kConnectExcel) {
        return openExcel(path, error);
    }
    if (connect == kConnectText) {
        return openText(path, readOnly, error);
    }
    error = connect.empty()
                ? std::string("No database type: the file is no .dbf, .xls or .csv file.")
                : "Unknown database type \"" + std::string(connect) + "\".";
    return nullptr;
}

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && isBlank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

// Consumes a keyword (any case) followed by a blank or the end; false when
// the text does not start with it.
bool takeKeyword(std::string_view& s, std::string_view word) {
    s = trim(s);
    if (s.size() < word.size()) {
        return false;
    }
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(s[i])) != word[i]) {
            return false;
        }
    }
    if (s.size() > word.size() && !isBlank(s[word.size()]) && s[word.size()] != '[') {
        return false;
    }
    s.remove_prefix(word.size());
    return true;
}

}  // namespace

std::optional<Query> parseQuery(std::string_view sql) {
    std::string_view s = trim(sql);
    if (!takeKeyword(s, "SELECT") || s.empty() || s.back() != ']') {
        return std::nullopt;
    }
    // The table name is the bracketed text at the end; it holds no brackets.
    const std::size_t open = s.rfind('[');
    if (open == std::string_view::npos) {
        return std::nullopt;
    }
    Query q;
    q.table = std::string(s.substr(open + 1, s.size() - open - 2));
    if (q.table.empty() || q.table.find(']') != std::string::npos) {
        return std::nullopt;
    }
    std::string_view head = trim(s.substr(0, open));
    constexpr std::string_view kFrom = "FROM";
    if (head.size() < kFrom.size() + 1 || !isBlank(head[head.size() - kFrom.size() - 1])) {
        return std::nullopt;
    }
    for (std::size_t k = 0; k < kFrom.size(); ++k) {
        if (std::toupper(static_cast<unsigned char>(head[head.size() - kFrom.size() + k])) !=
            kFrom[k]) {
            return std::nullopt;
        }
    }
    std::string_view list = trim(head.substr(0, head.size() - kFrom.size()));
    if (list == "*") {
        return q;
    }
    while (true) {
        const std::size_t comma = list.find(',');
        std::string_view name = trim(list.substr(0, comma));
        if (name.empty() || name.find_first_of("[]*") != std::string_view::npos) {
            return std::nullopt;
        }
        q.fields.emplace_back(name);
        if (comma == std::string_view::npos) {
            break;
        }
        list.remove_prefix(comma + 1);
    }
    return q;
}

}  // namespace korvex::db
