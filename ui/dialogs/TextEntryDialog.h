#pragma once

#include <QDialog>
#include <QString>
#include <optional>

class QLineEdit;

namespace korvex {

class CMaxChars;

// One limited text field with "OK" and "CANCEL": the name of a channel the
// VFO is stored into, and the description of a memory bank.
class CTextEntryDialog : public QDialog {
    Q_OBJECT
public:
    struct Setup {
        QString title;
        QString prompt;
        int limit = 0;
    };
    static Setup writeMemoryChannel();  // "Write Memory Channel", 12 characters
    static Setup bankDescription();     // "Set Memory Bank Description", 8 characters

    CTextEntryDialog(const Setup& setup, const QString& proposed, QWidget* parent = nullptr);

    QString text() const;
    QLineEdit* field() const { return m_edit; }

    // Runs the dialog; the entered text on OK.
    static std::optional<QString> run(const Setup& setup, const QString& proposed, QWidget* parent);

public slots:
    void accept() override;

private:
    QLineEdit* m_edit = nullptr;
    CMaxChars* m_limit = nullptr;
};

}  // namespace korvex
