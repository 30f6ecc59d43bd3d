#include "ui/dialogs/PleaseWait.h"

#include <QProgressBar>
#include <QVBoxLayout>

namespace korvex {

CPleaseWait::CPleaseWait(int maximum, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setWindowTitle(QStringLiteral("please wait ..."));
    setWindowModality(Qt::NonModal);
    m_bar = new QProgressBar(this);
    m_bar->setRange(0, maximum);
    m_bar->setValue(0);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_bar);
    resize(260, 50);
}

void CPleaseWait::setPosition(int position) {
    m_bar->setValue(position);
}

int CPleaseWait::position() const {
    return m_bar->value();
}

}  // namespace korvex
