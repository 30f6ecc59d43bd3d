#include "ui/ZelViewRows.h"

#include <algorithm>
#include <numeric>

namespace korvex {

namespace {

constexpr std::string_view kDelimiters = " \t\n,.;";
constexpr std::string_view kDatabaseChars = "0123456789,.";
constexpr std::size_t kProgressStep = 100;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string lowered(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), lower);
    return out;
}

// "The first byte is not the empty marker": a cell without a first byte is
// neither used nor empty.
bool filled(std::string_view cell) {
    return !cell.empty() && cell.front() != EMPTY_BYTE;
}

bool emptyMarked(std::string_view cell) {
    return isEmptyField(cell);
}

bool isDelimiter(char c) {
    return kDelimiters.find(c) != std::string_view::npos;
}

}  // namespace

ListRows rowsFromChannels(const std::list<ChannelRecord>& records, const RowProgress& progress) {
    ListRows rows;
    rows.reserve(records.size());
    for (const ChannelRecord& record : records) {
        ListRow& row = rows.emplace_back();
        for (std::size_t i = 0; i < ChannelRecord::kFieldCount; ++i) {
            row[i] = record[i];
        }
        if (progress && rows.size() % kProgressStep == 0) {
            progress(rows.size(), records.size());
        }
    }
    return rows;
}

std::string passOwnerText(std::string_view passChannel) {
    if (passChannel.size() < 3) {
        return "SEARCH BANK -  -";
    }
    if (passChannel[2] == 'V') {
        return "- VFO -";
    }
    return "SEARCH BANK - " + std::string(1, passChannel[2]) + " -";
}

ListRows rowsFromPassFrequencies(const std::list<PassFrequencyRecord>& records) {
    ListRows rows;
    rows.reserve(records.size());
    for (const PassFrequencyRecord& record : records) {
        ListRow& row = rows.emplace_back();
        row[0] = record[PassFrequencyRecord::kChannel];
        row[1] = record[PassFrequencyRecord::kFrequency];
        row[2] = passOwnerText(row[0]);
    }
    return rows;
}

RowFacts classifyRow(const ListRow& row) {
    const std::string& c0 = row[0];
    const std::string& c1 = row[1];
    RowFacts facts;
    facts.memoryChannel = c0.size() == 3 && kBankLetters.find(c0[0]) != std::string_view::npos &&
                          isDigit(c0[1]) && isDigit(c0[2]);
    facts.usedMemoryChannel = facts.memoryChannel && filled(c1);
    facts.searchBank = c0.size() == 1 && filled(c1);
    facts.emptySearchBank = c0.size() == 1 && emptyMarked(c1);
    facts.selectScanEntry = c0.size() == 2 && filled(c1);
    facts.passFrequency = c0.size() == 5 && filled(c1);
    facts.logEntry = c0.size() == 10 && c0[4] == '-';
    const std::string& audio = row[5];
    facts.logEntryWithAudio =
        facts.logEntry && !audio.empty() && !emptyMarked(audio) && audio.front() != '-';
    facts.databaseRecord =
        c0.size() > 2 && c0.find_first_not_of(kDatabaseChars) == std::string::npos;
    return facts;
}

bool cellMatches(std::string_view cell, std::string_view text, bool matchCase, bool wholeWord) {
    std::string cellText;
    std::string needle;
    if (!matchCase) {
        cellText = lowered(cell);
        needle = lowered(text);
        cell = cellText;
        text = needle;
    }
    const std::size_t at = cell.find(text);
    if (at == std::string_view::npos) {
        return false;
    }
    if (!wholeWord) {
        return true;
    }
    const std::size_t end = at + text.size();
    const bool startsWord = at == 0 || isDelimiter(cell[at - 1]);
    const bool endsWord = end == cell.size() || isDelimiter(cell[end]);
    return startsWord && endsWord;
}

int findRow(const ListRows& rows, std::string_view text, int start, bool matchCase,
            bool wholeWord) {
    const std::size_t first = static_cast<std::size_t>(std::max(start, 0));
    for (std::size_t r = first; r < rows.size(); ++r) {
        for (const std::string& cell : rows[r]) {
            if (cellMatches(cell, text, matchCase, wholeWord)) {
                return static_cast<int>(r);
            }
        }
    }
    return -1;
}

int compareCells(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(lower(a[i]));
        const auto cb = static_cast<unsigned char>(lower(b[i]));
        if (ca != cb) {
            return ca < cb ? -1 : 1;
        }
    }
    if (a.size() == b.size()) {
        return 0;
    }
    return a.size() < b.size() ? -1 : 1;
}

std::int64_t leadingInteger(std::string_view cell) {
    // Eighteen digits fit; longer runs keep their first eighteen.
    std::int64_t value = 0;
    std::size_t digits = 0;
    for (const char c : cell) {
        if (!isDigit(c) || digits == 18) {
            break;
        }
        value = value * 10 + (c - '0');
        ++digits;
    }
    return value;
}

std::vector<std::size_t> sortOrder(const ListRows& rows, int column, bool byLeadingInteger) {
    std::vector<std::size_t> order(rows.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    if (column < 0 || column >= kListColumnCount) {
        return order;
    }
    const auto c = static_cast<std::size_t>(column);
    if (byLeadingInteger) {
        std::vector<std::int64_t> keys(rows.size());
        for (std::size_t i = 0; i < rows.size(); ++i) {
            keys[i] = leadingInteger(rows[i][c]);
        }
        std::stable_sort(order.begin(), order.end(),
                         [&keys](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
    } else {
        std::stable_sort(order.begin(), order.end(), [&rows, c](std::size_t a, std::size_t b) {
            return compareCells(rows[a][c], rows[b][c]) < 0;
        });
    }
    return order;
}

std::optional<int> RememberedSelection::takeFor(int newCount) {
    if (!m_active) {
        return std::nullopt;
    }
    m_active = false;
    if (newCount < m_count - 1 || m_row < 0) {
        return std::nullopt;
    }
    int row = m_row;
    if (newCount < m_count) {
        row = std::max(row - 1, 0);
    }
    if (row >= newCount) {
        return std::nullopt;
    }
    return row;
}

}  // namespace korvex
