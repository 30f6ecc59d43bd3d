#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "link/LinkHost.h"
#include "link/PollCycle.h"
#include "link/PollFields.h"
#include "link/SerialPort.h"
#include "link/Trace.h"
#include "log/LogEntry.h"
#include "log/LogHost.h"
#include "log/LogThread.h"
#include "log/SoundControl.h"
#include "log/ZelDoc.h"
#include "model/Receiver.h"
#include "model/StepGuard.h"
#include "settings/KorvSettings.h"
#include "station/StationHost.h"

namespace korvex {

class CLogActions;
class CLogControl;
class CRigctlListener;
class CStationWeb;
class QtSendTimer;
class QtSerialPort;
class ResponseParser;

// What the command line hands the station (and the window that holds one).
struct StationOptions {
    QString portDevice;  // --port: overrides the settings for this run
    QString configDir;   // --config-dir
    QString tracePath;   // --trace
    // --rigctld: serve the network control on this port, 0 the settings'
    // port; -1 when not asked.
    int rigctldPort = -1;
    // --http: serve the web page on this port, 0 the settings' port; -1 when
    // not asked.
    int httpPort = -1;
};

// The program without its window: the settings, the receiver model, the
// serial line with its poll timer, queue, parser and trace, the document,
// the activity log with its thread, the recording and the network control.
// Whoever runs it (the window, or the headless station) is its host and
// hears of changes through the signals below.
class CStation : public QObject, private LinkHost, private LogHost {
    Q_OBJECT
public:
    static constexpr int kPollIntervalMs = 100;
    static constexpr int kIdleIntervalMs = 200;

    CStation(const StationOptions& options, StationHost& host, QObject* parent = nullptr);
    ~CStation() override;

    const StationOptions& options() const { return m_options; }

    // ---- settings ----
    // Reads "Korv.ini" from the folder the options choose, writing a default
    // one first when there is none. A file that is refused reads as empty;
    // its problem is returned, else "".
    std::string loadSettings();
    // The link's pacing (tick or reply) and gap from the settings.
    void applyPacing();
    KorvSettings& settings() { return m_settings; }
    const std::filesystem::path& settingsPath() const { return m_settingsPath; }
    // Writes the settings with a window placement; false when the file
    // could not be written.
    bool saveSettings(const WindowPlacement& placement);
    // The same, keeping the placement the file was read with.
    bool saveSettings() { return saveSettings(m_settings.window); }
    // "Save Settings on Exit" flipped and written at once; false when the
    // file could not be written.
    bool toggleSaveOnExit();
    // The settings the log reads at every use follow the settings.
    void syncAudioSettings();

    // ---- the link ----
    CReceiver& receiver() { return m_rx; }
    CZelDoc& document() { return m_doc; }
    PollFields& pollFields() { return m_poll; }
    PollCycle& pollCycle() { return m_cycle; }
    ResponseParser& parser() { return *m_parser; }
    QtSerialPort& serialPort() { return *m_port; }
    bool isPolling() const { return m_timer.isActive(); }
    // Opens the port of the settings, or the one the options name; false,
    // with the port's errorText(), when it cannot.
    bool openPort();
    // Closes the port and opens it with other settings; the link starts
    // free and reads the receiver out again. False when it cannot be opened.
    bool reopenPort(const SerialSettings& settings);
    // The serial settings as "Korv.ini" has them.
    SerialSettings serialSettingsFromIni() const;
    // Starts the poll timer and queues the initial read-out.
    void startPolling();
    void appendCommands(const std::string& commands);

    // ---- the poll glue: the timer's tick and the bytes from the line ----
    void onTimer();
    void receiveBytes(std::string_view bytes);

    // ---- operations ----
    // Tunes the current VFO as a frequency typed into the panel is: the
    // same frequency rule and "VF" first outside a VFO state. A frequency
    // the rule refuses queues nothing and returns false (no message).
    bool tune(std::string_view frequencyMhz);
    bool tuneHz(std::int64_t hz);
    // The panel's memory scan "Start" with a scan group chosen first; false
    // for a group outside 0..9.
    bool startMemoryScan(int group);
    // A search of a search bank ("A".."T", "a".."t"), as the list starts it;
    // false for any other text.
    bool startSearch(std::string_view bank);

    // ---- the activity log and the recording ----
    CLogControl& logControl() { return *m_logControl; }
    CLogActions& logActions() { return *m_logActions; }
    SoundControl& sound() { return *m_sound; }
    // Tests replace the sound library.
    void setSoundControl(std::unique_ptr<SoundControl> sound);
    const std::string& logFilePath() const { return m_settings.logFilePath; }
    // The file becomes the log, created when missing and read when it
    // exists; false when it cannot be.
    bool useLogFile(const std::string& path);
    // Start Log on the chosen log file, with the log settings; false when
    // there is no log file or the log cannot start now.
    bool startLog();
    void stopLog();
    // Record Now into the log's folder, and its Stop Recording.
    void recordNow();
    void stopRecording();

    // ---- network control (rigctld) ----
    CRigctlListener& rigctl() { return *m_rigctl; }
    StepGuard& stepGuard() { return m_steps; }
    // Listens on the port (the settings' port for 0) and the settings'
    // address; the text says where, or why it cannot.
    bool startRigctl(int port, QString* message);
    void stopRigctl();

    // ---- the web page ----
    CStationWeb& web() { return *m_web; }

    // The close sequence below the window: the network control ends, the
    // recording and playback stop, the last command ("EX", or "QP" with
    // "offonexit") is written, the port closes and the log thread ends.
    // Runs once.
    void shutdown();
    bool hasShutDown() const { return m_shutDown; }

    // A text of the sound library, on the station's thread.
    void soundLibraryError(const std::string& text);

signals:
    // A reply with data has been decoded into the model (or, with no port
    // polled, the entries or a list changed).
    void modelChanged();
    // The list view only (after a memory-file write has finished).
    void viewRefreshRequested();
    // One bandscope sample went into the document.
    void scopeSampleAdded();
    // The log thread added an entry to the document and its file.
    void logEntryAdded(const korvex::LogEntry& entry);
    // After every poll tick, and every idle check (whether or not polling).
    void ticked();
    void idleChecked();
    // The port went away; polling has stopped.
    void portLost(const QString& reason);
    // The command written last is finished: answered, or given up on with
    // the queue emptied.
    void commandFinished(const std::string& command, bool answered);

private:
    // LinkHost
    void showStatus(const std::string& text) override { m_host.showStatus(text); }
    void showMessage(const std::string& text, const std::string& caption,
                     MessageKind kind) override {
        m_host.showMessage(text, caption, kind);
    }
    void beep() override { m_host.beep(); }
    void setBusyCursor(bool busy) override { m_host.setBusyCursor(busy); }
    void refreshFromModel() override { emit modelChanged(); }
    void refreshView() override { emit viewRefreshRequested(); }
    void bandscopeSample(int level, std::int64_t frequencyHz) override;
    // LogHost
    void showLogMessage(const std::string& text, const std::string& caption) override {
        m_host.showLogMessage(text, caption);
    }
    bool confirmLog(const std::string& text, const std::string& caption) override {
        return m_host.confirmLog(text, caption);
    }
    bool startExternalPlayer(const std::string& player, const std::string& file) override {
        return m_host.startExternalPlayer(player, file);
    }
    void logNotice(const LogNotice& notice) override { m_host.logNotice(notice); }

    void onIdle();
    void onPortLost(const QString& reason);
    void createRigctl();
    // The log's parts on the sound library, its error texts routed here.
    void createLog();
    void endLog();

    StationOptions m_options;
    StationHost& m_host;
    KorvSettings m_settings;
    std::filesystem::path m_settingsPath;
    CReceiver m_rx;
    CZelDoc m_doc;
    PollFields m_poll;
    PollCycle m_cycle;
    std::unique_ptr<ResponseParser> m_parser;
    // Reply pacing's one-shot send timer; goes before the cycle it calls.
    std::unique_ptr<QtSendTimer> m_sendTimer;
    QtSerialPort* m_port = nullptr;
    Trace m_trace;
    QTimer m_timer;
    QTimer m_idleTimer;
    std::unique_ptr<SoundControl> m_sound;
    LiveAudioSettings m_audio;
    SystemLogClock m_logClock;
    std::unique_ptr<CLogActions> m_logActions;
    std::unique_ptr<CLogControl> m_logControl;
    CRigctlListener* m_rigctl = nullptr;
    bool m_shutDown = false;
    // Memory that runs out in a tick, an idle check, received bytes or a
    // network client's step ends that step; told once.
    StepGuard m_steps;
    // Reads the model and the document: declared last, so it goes first.
    std::unique_ptr<CStationWeb> m_web;
};

}  // namespace korvex
