#pragma once

#include "ui/ListFind.h"

namespace korvex {

class CStatusPanes;
class CZelView;

// Find and Find Next on the list view: the "Search String" dialog, the
// wrap-around question and the status bar's message pane.
class CListFindView : public ListFindHost {
public:
    CListFindView(CZelView& view, CStatusPanes& panes) : m_view(view), m_panes(panes) {}

    std::optional<SearchRequest> askSearchString(const std::vector<std::string>& history) override;
    bool askStartFromBeginning() override;
    void showFindStatus(std::string_view text) override;
    int findRow(std::string_view text, int start, bool matchCase, bool wholeWord) override;
    void selectRow(int row) override;

private:
    CZelView& m_view;
    CStatusPanes& m_panes;
};

}  // namespace korvex
