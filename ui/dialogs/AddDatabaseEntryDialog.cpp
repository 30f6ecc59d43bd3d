#include "ui/dialogs/AddDatabaseEntryDialog.h"

#include <QClipboard>
#include <QDateTime>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/Cp1252.h"
#include "ui/dialogs/DbMessageIcon.h"
#include "ui/dialogs/MemoryGuard.h"
#include "ui/dialogs/Prompt.h"

namespace korvex {

namespace {

// Puts the current local time on the clipboard in a form the date fields take.
void copyNow(const QString& format) {
    QGuiApplication::clipboard()->setText(QDateTime::currentDateTime().toString(format));
}

constexpr int kEditWidth = 90;

}  // namespace

void showDbMessage(QWidget* parent, const db::DbMessage& message) {
    // The database layer's texts are UTF-8, the engine's error texts included.
    tell(parent, QString::fromStdString(message.text), QString::fromStdString(message.caption),
         promptIcon(message.icon));
}

CAddDatabaseEntryDialog::CAddDatabaseEntryDialog(const Setup& setup, Writer writer, QWidget* parent)
    : QDialog(parent), m_setup(setup), m_writer(std::move(writer)) {
    setObjectName(QStringLiteral("addDatabaseEntryDialog"));
    setWindowTitle(QStringLiteral("Add Database Entry"));

    auto* fields = new QGridLayout;
    for (std::size_t i = 0; i < db::kRoleCount; ++i) {
        const int column = static_cast<int>(i);
        auto* caption = new QLineEdit(QString::fromStdString(setup.fieldNames[i]), this);
        caption->setObjectName(QStringLiteral("caption%1").arg(column));
        caption->setReadOnly(true);
        caption->setFocusPolicy(Qt::NoFocus);
        caption->setMinimumWidth(kEditWidth);
        auto* value = new QLineEdit(this);
        value->setObjectName(QStringLiteral("value%1").arg(column));
        value->setMinimumWidth(kEditWidth);
        value->setEnabled(setup.fieldUsed[i]);
        fields->addWidget(caption, 0, column);
        fields->addWidget(value, 1, column);
        m_captions[i] = caption;
        m_values[i] = value;
    }
    m_values[0]->setText(fromCp1252(setup.frequency));
    m_values[1]->setText(fromCp1252(setup.mode));

    auto* date = new QPushButton(QStringLiteral("Current &Date"), this);
    auto* time = new QPushButton(QStringLiteral("Current &Time"), this);
    auto* both = new QPushButton(QStringLiteral("C&urrent Date and Time"), this);
    auto* add = new QPushButton(QStringLiteral("&Add To Database"), this);
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    date->setObjectName(QStringLiteral("currentDate"));
    time->setObjectName(QStringLiteral("currentTime"));
    both->setObjectName(QStringLiteral("currentDateTime"));
    add->setObjectName(QStringLiteral("addToDatabase"));
    cancel->setObjectName(QStringLiteral("cancel"));
    for (QPushButton* b : {date, time, both, cancel}) {
        b->setAutoDefault(false);
    }
    add->setDefault(true);
    connect(date, &QPushButton::clicked, this, [] { copyNow(QStringLiteral("yyyy-MM-dd")); });
    connect(time, &QPushButton::clicked, this, [] { copyNow(QStringLiteral("HH:mm")); });
    connect(both, &QPushButton::clicked, this, [] { copyNow(QStringLiteral("yyyy-MM-dd HH:mm")); });
    connect(add, &QPushButton::clicked, this, guarded(this, [this] { addToDatabase(); }));
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(date);
    buttons->addWidget(time);
    buttons->addWidget(both);
    buttons->addStretch(1);
    buttons->addWidget(add);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    m_values[0]->setFocus();
}

db::RecordTexts CAddDatabaseEntryDialog::values() const {
    db::RecordTexts texts;
    for (std::size_t i = 0; i < db::kRoleCount; ++i) {
        texts[i] = m_setup.fieldUsed[i] ? toCp1252(m_values[i]->text()) : std::string();
    }
    return texts;
}

void CAddDatabaseEntryDialog::addToDatabase() {
    if (!m_setup.writable || !m_writer) {
        return;
    }
    if (const std::optional<db::DbMessage> refused = m_writer(values())) {
        showDbMessage(this, *refused);
        return;
    }
    accept();
}

bool CAddDatabaseEntryDialog::run() {
    if (!m_setup.writable) {
        show();
        tell(this, QString::fromLatin1(kUnableToWriteText), QStringLiteral("Error"),
             PromptIcon::Error);
        reject();
        return false;
    }
    return exec() == QDialog::Accepted;
}

}  // namespace korvex
