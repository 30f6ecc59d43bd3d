#pragma once

// Message boxes with the system's fixed texts. Every box of the list view
// and its dialogs goes through ask(), so tests can answer them.

#include <QString>
#include <functional>

class QWidget;

namespace korvex {

enum class PromptIcon { None, Information, Warning, Error, Question };
enum class PromptButtons { Ok, OkCancel, YesNo };

struct Prompt {
    QString text;
    QString caption;
    PromptIcon icon = PromptIcon::None;
    PromptButtons buttons = PromptButtons::Ok;
    // Yes or Ok is the default button; otherwise No or Cancel.
    bool affirmativeDefault = true;
};

// Shows the box modally; true for Yes or Ok.
bool ask(QWidget* parent, const Prompt& prompt);
// A plain box with an Ok button.
void tell(QWidget* parent, const QString& text, const QString& caption,
          PromptIcon icon = PromptIcon::None);

// Replaces the boxes (tests); an empty function restores them.
using PromptHook = std::function<bool(const Prompt&)>;
void setPromptHook(PromptHook hook);

// The standard length check's refusal.
QString tooManyCharactersText(int limit);

}  // namespace korvex
