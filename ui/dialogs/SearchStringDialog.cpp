#include "ui/dialogs/SearchStringDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvex {

CSearchStringDialog::CSearchStringDialog(const QStringList& history, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Search String"));
    setObjectName(QStringLiteral("searchStringDialog"));
    auto* layout = new QVBoxLayout(this);

    m_textBox = new QComboBox(this);
    m_textBox->setObjectName(QStringLiteral("searchText"));
    m_textBox->setEditable(true);
    // The history is the caller's: typing a text does not add to the list.
    m_textBox->setInsertPolicy(QComboBox::NoInsert);
    m_textBox->setDuplicatesEnabled(true);
    m_textBox->addItems(history);
    m_textBox->setCurrentIndex(-1);
    m_textBox->setEditText(QString());
    m_textBox->setMinimumContentsLength(24);
    layout->addWidget(m_textBox);

    auto* options = new QHBoxLayout;
    m_matchCaseBox = new QCheckBox(QStringLiteral("&Match Case"), this);
    m_wholeWordBox = new QCheckBox(QStringLiteral("&Whole Word"), this);
    options->addWidget(m_matchCaseBox);
    options->addWidget(m_wholeWordBox);
    options->addStretch(1);
    layout->addLayout(options);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("&Ok"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &CSearchStringDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CSearchStringDialog::reject);
    layout->addWidget(buttons);
    m_textBox->setFocus();
}

void CSearchStringDialog::accept() {
    m_text = m_textBox->currentText();
    m_matchCase = m_matchCaseBox->isChecked();
    m_wholeWord = m_wholeWordBox->isChecked();
    QDialog::accept();
}

void CSearchStringDialog::reject() {
    m_text.clear();
    QDialog::reject();
}

}  // namespace korvex
