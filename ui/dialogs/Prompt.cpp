#include "ui/dialogs/Prompt.h"

#include <QMessageBox>

namespace korvex {

namespace {

PromptHook& hook() {
    static PromptHook instance;
    return instance;
}

QMessageBox::Icon boxIcon(PromptIcon icon) {
    switch (icon) {
        case PromptIcon::Information:
            return QMessageBox::Information;
        case PromptIcon::Warning:
            return QMessageBox::Warning;
        case PromptIcon::Error:
            return QMessageBox::Critical;
        case PromptIcon::Question:
            return QMessageBox::Question;
        case PromptIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

bool ask(QWidget* parent, const Prompt& prompt) {
    if (hook()) {
        return hook()(prompt);
    }
    QMessageBox box(boxIcon(prompt.icon), prompt.caption, prompt.text, QMessageBox::NoButton,
                    parent);
    QMessageBox::StandardButton yes = QMessageBox::Ok;
    QMessageBox::StandardButton no = QMessageBox::NoButton;
    switch (prompt.buttons) {
        case PromptButtons::Ok:
            break;
        case PromptButtons::OkCancel:
            no = QMessageBox::Cancel;
            break;
        case PromptButtons::YesNo:
            yes = QMessageBox::Yes;
            no = QMessageBox::No;
            break;
    }
    box.addButton(yes);
    if (no != QMessageBox::NoButton) {
        box.addButton(no);
    }
    box.setDefaultButton(prompt.affirmativeDefault || no == QMessageBox::NoButton ? yes : no);
    return box.exec() == yes;
}

void tell(QWidget* parent, const QString& text, const QString& caption, PromptIcon icon) {
    ask(parent, Prompt{text, caption, icon, PromptButtons::Ok, true});
}

void setPromptHook(PromptHook h) {
    hook() = std::move(h);
}

QString tooManyCharactersText(int limit) {
    return QStringLiteral("Please enter no more than %1 characters.").arg(limit);
}

}  // namespace korvex
