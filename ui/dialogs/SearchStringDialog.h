#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

class QCheckBox;
class QComboBox;

namespace korvex {

// "Search String": the text of a list search, picked from the earlier texts
// or typed, with "&Match Case" and "&Whole Word".
class CSearchStringDialog : public QDialog {
    Q_OBJECT
public:
    // `history` is offered in the caller's order; both boxes start cleared.
    explicit CSearchStringDialog(const QStringList& history, QWidget* parent = nullptr);

    // After Ok: the text shown; after Cancel: empty.
    QString text() const { return m_text; }
    bool matchCase() const { return m_matchCase; }
    bool wholeWord() const { return m_wholeWord; }

    QComboBox* textBox() const { return m_textBox; }
    QCheckBox* matchCaseBox() const { return m_matchCaseBox; }
    QCheckBox* wholeWordBox() const { return m_wholeWordBox; }

public slots:
    void accept() override;
    void reject() override;

private:
    QComboBox* m_textBox = nullptr;
    QCheckBox* m_matchCaseBox = nullptr;
    QCheckBox* m_wholeWordBox = nullptr;
    QString m_text;
    bool m_matchCase = false;
    bool m_wholeWord = false;
};

}  // namespace korvex
