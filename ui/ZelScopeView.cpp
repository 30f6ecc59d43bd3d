#include "ui/ZelScopeView.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>

namespace korvex {

CZelScopeView::CZelScopeView(QWidget* parent) : QWidget(parent), m_menu(new QMenu(this)) {
    setObjectName(QStringLiteral("scopeView"));
    setFocusPolicy(Qt::StrongFocus);
    m_menu->addAction(QStringLiteral("Halt Search"))->setEnabled(false);
    m_menu->addAction(QStringLiteral("Resume Search"))->setEnabled(false);
}

void CZelScopeView::openContextMenu(const QPoint& globalPos) {
    m_menu->popup(globalPos);
}

void CZelScopeView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    p.setPen(QColor(0, 160, 0));
    p.drawText(rect(), Qt::AlignCenter, QStringLiteral("Bandscope not initialized"));
}

void CZelScopeView::contextMenuEvent(QContextMenuEvent* event) {
    openContextMenu(event->globalPos());
}

}  // namespace korvex
