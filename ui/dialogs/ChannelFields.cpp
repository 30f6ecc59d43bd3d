#include "ui/dialogs/ChannelFields.h"

#include <QCheckBox>
#include <QComboBox>
#include <span>
#include <string_view>

#include "model/Records.h"
#include "model/Tables.h"
#include "ui/Cp1252.h"
#include "ui/dialogs/ListChoices.h"

namespace korvex {

namespace {

QComboBox* choice(std::span<const std::string_view> entries, const std::string& text,
                  QWidget* parent) {
    auto* list = new QComboBox(parent);
    for (const std::string_view entry : entries) {
        list->addItem(fromCp1252(entry));
    }
    list->setCurrentIndex(choiceStartingWith(entries, text));
    return list;
}

}  // namespace

QCheckBox* flagBox(const QString& caption, const std::string& flag, QWidget* parent) {
    auto* box = new QCheckBox(caption, parent);
    box->setChecked(!flag.empty() && flag.front() == '1');
    return box;
}

QComboBox* stepChoice(const std::string& step, QWidget* parent) {
    return choice(kStepEntries, step, parent);
}

QComboBox* modeChoice(const std::string& mode, QWidget* parent) {
    return choice(kModeNamesByDigit, mode, parent);
}

QString nameText(const std::string& name) {
    if (isEmptyField(name)) {
        return {};
    }
    std::string text = name;
    while (!text.empty() && text.back() == ' ') {
        text.pop_back();
    }
    return fromCp1252(text);
}

}  // namespace korvex
