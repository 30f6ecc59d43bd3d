#include "ui/ListFind.h"

namespace korvex {

void CListFind::find() {
    const std::optional<SearchRequest> request = m_host.askSearchString(m_history);
    if (!request || request->text.empty()) {
        return;
    }
    if (m_history.empty() || m_history.front() != request->text) {
        m_history.insert(m_history.begin(), request->text);
    }
    m_matchCase = request->matchCase;
    m_wholeWord = request->wholeWord;
    report(searchFrom(0));
}

void CListFind::findNext() {
    if (m_history.empty()) {
        return;
    }
    if (m_history.front().empty()) {
        m_host.showFindStatus(kEmpty);
        return;
    }
    if (searchFrom(m_lastFound + 1) >= 0) {
        return;
    }
    if (m_host.askStartFromBeginning()) {
        report(searchFrom(0));
    } else {
        m_host.showFindStatus(kNotFound);
    }
}

int CListFind::searchFrom(int start) {
    m_lastFound = m_host.findRow(m_history.front(), start, m_matchCase, m_wholeWord);
    if (m_lastFound >= 0) {
        m_host.selectRow(m_lastFound);
    }
    return m_lastFound;
}

void CListFind::report(int row) {
    m_host.showFindStatus(row >= 0 ? kFound : kNotFound);
}

}  // namespace korvex
