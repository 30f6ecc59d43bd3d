#pragma once

#include <QObject>
#include <QString>
#include <array>

class QLabel;
class QStatusBar;

namespace korvex {

// The six panes of the status bar, left to right: message, REC, LOG, link
// state, CAP, NUM. Each fixed pane is as wide as its widest text.
class CStatusPanes : public QObject {
    Q_OBJECT
public:
    enum Pane { Message = 0, Recording, Log, LinkState, CapsLock, NumLock, PaneCount };

    explicit CStatusPanes(QStatusBar* bar);

    void setMessage(const QString& text);
    QString message() const { return m_message; }
    // A command's prompt, shown in the message pane while the pointer is on
    // the command; endPrompt() brings the message back.
    void showPrompt(const QString& prompt);
    void endPrompt();
    // What the message pane shows now: the prompt, or else the message.
    QString shownMessage() const;
    void setText(Pane pane, const QString& text);
    QString text(Pane pane) const;
    void setPaneEnabled(Pane pane, bool enabled);
    // A failure that lasts (a log file that takes no lines, recordings that
    // hold nothing): shown beside the fixed panes until it is cleared with
    // an empty text, whatever the message pane shows meanwhile.
    void setAlert(const QString& text);
    QString alert() const { return m_alert; }
    bool paneEnabled(Pane pane) const;

private:
    std::array<QLabel*, PaneCount> m_labels{};
    QLabel* m_alertLabel = nullptr;
    QString m_alert;
    void showInMessagePane(const QString& text);

    QString m_message;
    QString m_prompt;
    bool m_prompting = false;
};

}  // namespace korvex
