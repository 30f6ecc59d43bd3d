#pragma once

// Find and Find Next over the list view: the search history, the options of
// the last search and the row found last. Plain C++: the list, the dialog,
// the question and the status bar are reached through ListFindHost.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvex {

// What the "Search String" dialog returns on Ok.
struct SearchRequest {
    std::string text;  // Windows-1252 bytes
    bool matchCase = false;
    bool wholeWord = false;
};

class ListFindHost {
public:
    virtual ~ListFindHost() = default;
    // The "Search String" dialog offering the history in this order;
    // nothing on Cancel.
    virtual std::optional<SearchRequest> askSearchString(
        const std::vector<std::string>& history) = 0;
    // "Search string not found. Start from beginning?"; true on OK.
    virtual bool askStartFromBeginning() = 0;
    virtual void showFindStatus(std::string_view text) = 0;
    // The list view's find: the first matching row at or after start, or -1.
    virtual int findRow(std::string_view text, int start, bool matchCase, bool wholeWord) = 0;
    virtual void selectRow(int row) = 0;
};

class CListFind {
public:
    static constexpr std::string_view kFound = "string found";
    static constexpr std::string_view kNotFound = "string not found";
    static constexpr std::string_view kEmpty = "empty search string";

    explicit CListFind(ListFindHost& host) : m_host(host) {}

    // Ctrl+F: asks for the text and searches from the first row.
    void find();
    // Ctrl+G: searches on from the row after the last one found.
    void findNext();

    // Newest first; lives as long as the program runs.
    const std::vector<std::string>& history() const { return m_history; }
    int lastFound() const { return m_lastFound; }

private:
    // Searches from `start`; selects and remembers a match.
    int searchFrom(int start);
    void report(int row);

    ListFindHost& m_host;
    std::vector<std::string> m_history;
    bool m_matchCase = false;
    bool m_wholeWord = false;
    int m_lastFound = -1;
};

}  // namespace korvex
