#pragma once

#include <QMainWindow>
#include <QString>
#include <QTimer>
#include <memory>
#include <string>

#include "link/LinkHost.h"
#include "link/PollCycle.h"
#include "link/PollFields.h"
#include "link/SerialPort.h"
#include "link/Trace.h"
#include "model/Receiver.h"

class QAction;
class QMenu;

namespace korvex {

class CStatusPanes;
class QtSerialPort;
class ResponseParser;

// What the command line hands the window.
struct FrameOptions {
    QString portDevice;  // --port: overrides the settings for this run
    QString configDir;   // --config-dir
    QString tracePath;   // --trace
};

// The program's one top-level window: owns the receiver model, the link and
// the views, routes commands and shows the link's state. The behaviour lives
// in the classes it owns; its handlers only call them.
class CMainFrame : public QMainWindow, public LinkHost {
    Q_OBJECT
public:
    static constexpr int kPollIntervalMs = 100;
    inline static const QString kTitleSuffix = QStringLiteral("Korvex v1.41");

    explicit CMainFrame(const FrameOptions& options, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Opens the port and starts polling; on failure says so and carries on
    // without the timer, so the port can be opened from the serial dialog.
    void start();
    // Starts the poll timer and queues the initial read-out.
    void startPolling();
    void appendCommands(const std::string& commands);

    CReceiver& receiver() { return m_rx; }
    PollFields& pollFields() { return m_poll; }
    PollCycle& pollCycle() { return m_cycle; }
    CStatusPanes& statusPanes() { return *m_panes; }
    SerialPort& serialPort();
    bool isPolling() const { return m_timer.isActive(); }

    // LinkHost
    void showStatus(const std::string& text) override;
    void showMessage(const std::string& text, const std::string& caption,
                     MessageKind kind) override;
    void beep() override;
    void setBusyCursor(bool busy) override;
    void refreshFromModel() override;
    void refreshView() override;
    void bandscopeSample(int level, std::int64_t frequencyHz) override;

signals:
    // A reply with data has been decoded into the model.
    void modelRefreshed();
    // A list of the model has changed and the list view should refill.
    void listChanged();
    void viewRefreshRequested();
    void bandscopeSampleArrived(int level, qint64 frequencyHz);

public slots:
    void onTimer();
    void openSerialSettings();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createMenus();
    void onPortLost(const QString& reason);
    bool reopenPort(const SerialSettings& settings);
    void updateStatusPanes();
    void shutdown();

    FrameOptions m_options;
    CReceiver m_rx;
    PollFields m_poll;
    PollCycle m_cycle;
    std::unique_ptr<ResponseParser> m_parser;
    QtSerialPort* m_port = nullptr;
    Trace m_trace;
    QTimer m_timer;
    CStatusPanes* m_panes = nullptr;
    bool m_closing = false;
    bool m_shutDown = false;
};

}  // namespace korvex
