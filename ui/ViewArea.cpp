#include "ui/ViewArea.h"

namespace korvex {

CViewArea::CViewArea(QWidget* listView, ScopeFactory scopeFactory, QWidget* parent)
    : QStackedWidget(parent), m_list(listView), m_scopeFactory(std::move(scopeFactory)) {
    setObjectName(QStringLiteral("viewArea"));
    addWidget(m_list);
    setCurrentWidget(m_list);
}

void CViewArea::showList() {
    activate(m_list);
}

void CViewArea::showScope() {
    if (m_scope == nullptr) {
        m_scope = m_scopeFactory(this);
        addWidget(m_scope);
    }
    activate(m_scope);
}

void CViewArea::activate(QWidget* view) {
    if (currentWidget() == view) {
        return;
    }
    // The focus follows the shown view, so keys reach it and not a hidden one.
    const bool hadFocus = currentWidget() != nullptr && currentWidget()->hasFocus();
    setCurrentWidget(view);
    if (hadFocus) {
        view->setFocus();
    }
    emit activeViewChanged(activeKind());
}

}  // namespace korvex
