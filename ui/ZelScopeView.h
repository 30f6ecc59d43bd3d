#pragma once

#include <QWidget>

class QMenu;

namespace korvex {

// The bandscope view's place in the view area. It draws an empty plot until
// the bandscope lands; its context menu already holds the two sweep commands,
// both disabled while there is no sweep to halt or resume.
class CZelScopeView : public QWidget {
    Q_OBJECT
public:
    explicit CZelScopeView(QWidget* parent = nullptr);

    // The context menu, as a right click or Alt+C opens it.
    QMenu* contextMenu() const { return m_menu; }
    void openContextMenu(const QPoint& globalPos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QMenu* m_menu = nullptr;
};

}  // namespace korvex
