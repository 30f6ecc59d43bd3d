#include <QHeaderView>
#include <QTableView>

#include "ui/MainFrame.h"

namespace korvex {

// An empty report list holds the list view's place until the view is built.
QWidget* CMainFrame::createListView() {
    auto* view = new QTableView;
    view->setObjectName(QStringLiteral("listView"));
    view->horizontalHeader()->setStretchLastSection(true);
    view->verticalHeader()->hide();
    return view;
}

}  // namespace korvex
