#include "ui/dialogs/TextEntryDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/dialogs/MaxChars.h"

namespace korvex {

CTextEntryDialog::Setup CTextEntryDialog::writeMemoryChannel() {
    return {QStringLiteral("Write Memory Channel"),
            QStringLiteral("Enter channel name (max.12 chars)"), 12};
}

CTextEntryDialog::Setup CTextEntryDialog::bankDescription() {
    return {QStringLiteral("Set Memory Bank Description"),
            QStringLiteral("Enter memory bank name (max. 8 chars)"), 8};
}

CTextEntryDialog::CTextEntryDialog(const Setup& setup, const QString& proposed, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(setup.title);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(setup.prompt, this));
    m_edit = new QLineEdit(this);
    m_limit = new CMaxChars(m_edit, setup.limit);
    m_edit->setText(proposed);
    m_edit->selectAll();
    layout->addWidget(m_edit);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("CANCEL"), QDialogButtonBox::RejectRole);
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &CTextEntryDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CTextEntryDialog::reject);
    layout->addWidget(buttons);
}

QString CTextEntryDialog::text() const {
    return m_edit->text();
}

void CTextEntryDialog::accept() {
    if (!m_limit->check()) {
        return;
    }
    QDialog::accept();
}

std::optional<QString> CTextEntryDialog::run(const Setup& setup, const QString& proposed,
                                             QWidget* parent) {
    CTextEntryDialog dialog(setup, proposed, parent);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.text();
}

}  // namespace korvex
