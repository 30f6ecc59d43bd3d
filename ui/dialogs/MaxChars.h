#pragma once

#include <QValidator>

class QLineEdit;

namespace korvex {

// A text field limited to a number of characters: typing cannot make the
// text longer than the limit, but a longer text put in by the program stays
// whole and can be shortened, and the dialog refuses it on Ok with the
// standard message.
class CMaxChars : public QValidator {
    Q_OBJECT
public:
    CMaxChars(QLineEdit* edit, int limit);

    State validate(QString& input, int& pos) const override;
    int limit() const { return m_limit; }
    // The standard check: shows "Please enter no more than %1 characters."
    // and gives the field the focus when the text is too long.
    bool check() const;

private:
    QLineEdit* m_edit;
    int m_limit;
    qsizetype m_ceiling;
};

}  // namespace korvex
