#pragma once

#include <QObject>

class QSocketNotifier;

namespace korvex {

// Turns SIGINT and SIGTERM into a Qt signal on the UI thread, so the close
// sequence runs as it does for the window's close button.
class SignalBridge : public QObject {
    Q_OBJECT
public:
    explicit SignalBridge(QObject* parent = nullptr);
    ~SignalBridge() override;

signals:
    void terminationRequested();

private:
    static void handler(int signal);
    QSocketNotifier* m_notifier = nullptr;
};

}  // namespace korvex
