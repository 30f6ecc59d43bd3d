#pragma once

#include <QStackedWidget>
#include <functional>

namespace korvex {

// The frame's view area: the list view, created with the frame, and the
// bandscope view, created the first time it is shown. One of them is shown
// and is the active view.
class CViewArea : public QStackedWidget {
    Q_OBJECT
public:
    enum class Kind { List, Scope };
    using ScopeFactory = std::function<QWidget*(QWidget* parent)>;

    CViewArea(QWidget* listView, ScopeFactory scopeFactory, QWidget* parent = nullptr);

    QWidget* listView() const { return m_list; }
    // Null until the bandscope view has been shown once.
    QWidget* scopeView() const { return m_scope; }
    QWidget* activeView() const { return currentWidget(); }
    Kind activeKind() const { return currentWidget() == m_scope ? Kind::Scope : Kind::List; }

    void showList();
    void showScope();

signals:
    void activeViewChanged(Kind kind);

private:
    void activate(QWidget* view);

    QWidget* m_list = nullptr;
    QWidget* m_scope = nullptr;
    ScopeFactory m_scopeFactory;
};

}  // namespace korvex
