#include "ui/ListFindView.h"

#include "ui/Cp1252.h"
#include "ui/StatusPanes.h"
#include "ui/ZelView.h"
#include "ui/dialogs/Prompt.h"
#include "ui/dialogs/SearchStringDialog.h"

namespace korvex {

std::optional<SearchRequest> CListFindView::askSearchString(
    const std::vector<std::string>& history) {
    QStringList offered;
    for (const std::string& text : history) {
        offered.append(fromCp1252(text));
    }
    CSearchStringDialog dialog(offered, m_view.window());
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return SearchRequest{toCp1252(dialog.text()), dialog.matchCase(), dialog.wholeWord()};
}

bool CListFindView::askStartFromBeginning() {
    return ask(m_view.window(),
               Prompt{QStringLiteral("Search string not found. Start from beginning?"),
                      QStringLiteral("Search string"), PromptIcon::Question,
                      PromptButtons::OkCancel, true});
}

void CListFindView::showFindStatus(std::string_view text) {
    m_panes.setMessage(fromCp1252(text));
}

int CListFindView::findRow(std::string_view text, int start, bool matchCase, bool wholeWord) {
    return m_view.find(text, start, matchCase, wholeWord);
}

void CListFindView::selectRow(int row) {
    m_view.selectItem(row);
}

}  // namespace korvex
