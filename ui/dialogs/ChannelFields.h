#pragma once

// The controls that a memory channel and a search bank share: the flags,
// the step and mode lists and the name, filled from the record's texts.

#include <QString>
#include <string>

class QCheckBox;
class QComboBox;
class QWidget;

namespace korvex {

// A check box, checked when the record's flag text begins with "1".
QCheckBox* flagBox(const QString& caption, const std::string& flag, QWidget* parent);
// The 17 step entries with the first that begins with the record's step
// text chosen (the first entry when none does).
QComboBox* stepChoice(const std::string& step, QWidget* parent);
// The mode names in digit order, chosen the same way.
QComboBox* modeChoice(const std::string& mode, QWidget* parent);
// The record's name without trailing blanks; empty for an empty slot.
QString nameText(const std::string& name);

}  // namespace korvex
