#pragma once

#include <QMainWindow>
#include <QString>
#include <QTimer>
#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "link/LinkHost.h"
#include "link/PollCycle.h"
#include "link/PollFields.h"
#include "link/SerialPort.h"
#include "log/LogHost.h"
#include "log/SoundControl.h"
#include "log/ZelDoc.h"
#include "model/Receiver.h"
#include "settings/KorvSettings.h"
#include "station/Station.h"
#include "station/StationHost.h"
#include "ui/BandscopeSweep.h"
#include "ui/CommandTable.h"
#include "ui/FrameHooks.h"

class QAction;
class QLabel;
class QMenu;
class QToolBar;

namespace korvex {

class CActivityReportWindow;
class CFrameDatabases;
class CListFind;
class CListFindView;
class CLogActions;
class CRigctlListener;
class CStationWeb;
class CLogControl;
class CStatusPanes;
class CViewArea;
class CZelScopeView;
class CZelView;
class FileOpener;

// The log's file dialogs: the chosen path, or nothing on Cancel. Tests put
// fakes here.
struct LogFileDialogs {
    // "New": a save dialog that creates or reuses a file.
    std::function<std::optional<QString>(QWidget*, const QString& initial)> chooseNew;
    // "Open": an existing file.
    std::function<std::optional<QString>(QWidget*, const QString& initial)> open;
};
LogFileDialogs standardLogFileDialogs();

// What the command line hands the window: the station's options.
using FrameOptions = StationOptions;

// The program's one top-level window: a view of the station (the receiver
// model, the link, the settings and the log), with the menus, tool bar,
// panel, list and bandscope views and dialogs. It routes commands to the
// station and shows what the station tells; it is the station's host, with
// message boxes and the status bar.
class CMainFrame : public QMainWindow,
                   public LinkHost,
                   public LogHost,
                   public SweepHost,
                   public StationHost {
    Q_OBJECT
public:
    static constexpr int kPollIntervalMs = CStation::kPollIntervalMs;
    inline static const QString kTitleSuffix = QStringLiteral("Korvex v1.41");

    // A command's behaviour: what it does, and when it is enabled and
    // checked. A command without `run` is shown disabled.
    struct CommandHandler {
        std::function<void()> run;
        std::function<bool()> enabled;
        std::function<bool()> checked;
    };

    explicit CMainFrame(const FrameOptions& options, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Opens the port and starts polling; on failure says so and carries on
    // without the timer, so the port can be opened from the serial dialog.
    void start();
    // Starts the poll timer and queues the initial read-out.
    void startPolling();
    // The close sequence has run; the window must not be shown again.
    bool hasShutDown() const { return m_shutDown; }
    // A stop signal came while a nested loop ran: the close waits for the
    // main loop (or for start() to return) and then runs.
    bool closePending() const { return m_closePending; }
    void appendCommands(const std::string& commands);

    CStation& station() { return *m_station; }
    CReceiver& receiver() { return m_rx; }
    CZelDoc& document() { return m_doc; }
    CLogActions& logActions() { return m_station->logActions(); }
    CLogControl& logControl() { return m_station->logControl(); }
    CListFind& listFind() { return *m_find; }
    CFrameDatabases& databases() { return *m_databases; }
    SoundControl& sound() { return m_station->sound(); }
    // Tests replace the sound library and the log's file dialogs.
    void setSoundControl(std::unique_ptr<SoundControl> sound) {
        m_station->setSoundControl(std::move(sound));
    }
    void setLogFileDialogs(LogFileDialogs dialogs) { m_logFileDialogs = std::move(dialogs); }
    PollFields& pollFields() { return m_poll; }
    PollCycle& pollCycle() { return m_cycle; }
    CStatusPanes& statusPanes() { return *m_panes; }
    SerialPort& serialPort();
    bool isPolling() const { return m_station->isPolling(); }

    // ---- settings ----
    // The values of "Korv.ini" as this run holds them; dialogs change them
    // here and they reach the file with the next save.
    KorvSettings& settings() { return m_settings; }
    bool mark2() const { return m_settings.mark2; }
    const std::filesystem::path& settingsPath() const { return m_station->settingsPath(); }
    // "Save Settings &Now". False when the file could not be written.
    bool saveSettings();
    // A save the operator asked for failed: a message box names the file.
    void reportSaveFailure();
    void toggleSaveOnExit();

    // ---- the parts other helpers plug in ----
    PanelHooks& panelHooks() { return m_panelHooks; }
    ListViewHooks& listHooks() { return m_listHooks; }
    // Gives a command its behaviour; the menu item and its button follow.
    void setCommandHandler(CommandId id, CommandHandler handler);
    QAction* action(CommandId id) const { return m_actions[static_cast<std::size_t>(id)]; }
    QToolBar* toolBar() const { return m_toolBar; }
    QToolBar* panelBand() const { return m_panelBand; }
    // Puts the tuning panel into its band under the tool bar. A panel put
    // in place of another one clears the old one's hooks.
    void setTuningPanel(QWidget* panel);
    QWidget* tuningPanel() const { return m_tuningPanel; }
    CViewArea& viewArea() { return *m_views; }
    QWidget* listView() const;
    // Swaps the view area to the list view or the bandscope view.
    void showListView();
    void showScopeView();
    // Null until the bandscope has been shown once.
    CZelScopeView* scopeView() const;
    CBandscopeSweep& sweep() { return *m_sweep; }

    // ---- title and help ----
    // The title: the document's name, " - ", "Korvex v1.41".
    void setDocumentName(const QString& name);
    // The open action for help files; tests put a fake here.
    void setFileOpener(std::shared_ptr<FileOpener> opener);
    // The recording indicator's source: true while recording or playing.
    void setRecordingProbe(std::function<bool()> probe);

    // ---- network control (rigctld) ----
    CRigctlListener& rigctl() { return m_station->rigctl(); }
    // Listens on the port (the settings' port for 0) and the settings'
    // address; false, said in the status bar, when it cannot.
    bool startRigctl(int port = 0);
    void stopRigctl();
    // "Network &Control (rigctld)": on and off; the choice is kept in the
    // settings for the next save.
    void toggleRigctl();

    // ---- the web page ----
    CStationWeb& web() { return m_station->web(); }
    // Serves the page on the port (the settings' port for 0); false, said
    // in a box, when it cannot.
    bool startWebPage(int port = 0);
    // "&Web Page": on and off; the choice is kept in the settings for the
    // next save.
    void toggleWebPage();

    // Runs the enabling and check marks of every command and the panel.
    void updateCommandStates();

    // ---- activity report ----
    // Log > Activity Report: opens the window, or brings it to the front.
    void showActivityReport();
    // The report's window once it has been opened, else null.
    CActivityReportWindow* activityReport() const { return m_activityReport; }
    // A frequency chosen in the report, tuned as a typed one is; refused
    // with a beep while the panel is locked.
    void tuneFromReport(const QString& frequencyMhz);

    // LinkHost
    void showStatus(const std::string& text) override;
    void showMessage(const std::string& text, const std::string& caption,
                     MessageKind kind) override;
    void beep() override;
    void setBusyCursor(bool busy) override;
    void refreshFromModel() override;
    void refreshView() override;
    void bandscopeSample(int level, std::int64_t frequencyHz) override;

    // SweepHost
    void scopeMessage(const std::string& text) override;
    bool scopeShown() const override;
    void showScope() override { showScopeView(); }
    void showList() override { showListView(); }
    void redrawScope() override;
    void setPanelEnabled(bool enabled) override;
    void refreshScopeTexts() override;
    int scopeDelay() const override { return m_settings.scopeDelay; }

    // LogHost
    void showLogMessage(const std::string& text, const std::string& caption) override;
    bool confirmLog(const std::string& text, const std::string& caption) override;
    bool startExternalPlayer(const std::string& player, const std::string& file) override;
    // A failure of the log file or of a recording is boxed once, then kept
    // in the status bar until the next success of its kind.
    void logNotice(const LogNotice& notice) override;
    void showLogAlerts();
    void showError(const QString& text) override;

    // ---- the activity log's commands ----
    void newLogFile();
    void openLogFile();
    void startLog();
    void stopLog();
    void openLogSettings();

signals:
    // A reply with data has been decoded into the model.
    void modelRefreshed();
    // A list of the model has changed and the list view should refill.
    void listChanged();
    void viewRefreshRequested();
    // Ctrl+S: the standard save of the document.
    void saveDocumentRequested();
    // The close sequence has begun: recording, playback and the log stop now.
    void shutdownStarted();

public slots:
    void onTimer();
    void openSerialSettings();
    void openMiscSettings();
    // "D&atabase Settings ...": the set-up of the database slots in dbconf.ini.
    void openDatabaseSettings();
    // SIGINT and SIGTERM: the close sequence in any state. Open modal
    // dialogs, message boxes and menus are dismissed first, so their own
    // loops return; while any nested loop still runs (a fill, a dialog) the
    // close is remembered and runs once the program is back in its main
    // loop, so nothing that loop uses is torn down under it.
    void closeOnSignal();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    QMenu* createPopupMenu() override;

private:
    // Filled by the tuning panel's own file: creates the panel, fills
    // m_panelHooks and returns the panel for its band.
    QWidget* createTuningPanel();
    // Filled by the list view's own file: creates the list view, fills
    // m_listHooks and returns it for the view area.
    QWidget* createListView();

    void createActions();
    void createMenus();
    void createToolBars();
    void createAccelerators();
    void registerBuiltInCommands();
    void runKeyAction(KeyAction action);
    void focusWidget(QWidget* widget);
    void toggleFocus();
    void openViewContextMenu();
    void openHelpFile(const QString& relativePath);
    void showAbout();

    void loadSettings();
    void applySettings();
    void storeRuntimeSettings();
    WindowPlacement placement() const;

    // The log's dialogs and the recording indicator's source.
    void createLog();
    // Follows the station's signals.
    void observeStation();
    // The bandscope: its view, its commands and the frame's part in the sweep.
    QWidget* createScopeView(QWidget* parent);
    void registerScopeCommands();
    // The panel's keys do nothing while the panel is locked for a sweep.
    bool panelUnlocked() const;
    void bindLogView(CZelView* view);
    void bindExchange(CZelView* view);
    void registerLogCommands();
    // Find and Find Next on the list view.
    void registerFindCommands();
    // Whether a database slot (1..3) is connected.
    bool databaseSlotConnected(int slot) const;
    // The frequency databases: their rows and entries in the list view, and
    // the frame's commands for them.
    void createDatabases(CZelView* view);
    void registerDatabaseCommands();
    // "dbconf.ini" lies beside "Korv.ini"; a complete one is written when missing.
    void useDatabaseFolder(const std::filesystem::path& folder);
    // The settings the log reads at every use follow the settings.
    void syncAudioSettings() { m_station->syncAudioSettings(); }
    // The save dialog of File New and Start Log; nothing on Cancel.
    std::optional<std::string> chooseNewLog();
    void showDocumentTitle();

    void onPortLost(const QString& reason);
    // The port-open failure box: the fixed text, and the cause beneath it.
    void showOpenFailure(const QString& text);
    bool reopenPort(const SerialSettings& settings);
    void updateStatusPanes();
    void shutdown();
    void createRigctl();
    void showRigctlClients();
    void createWebPage();
    void showWebAddress();

    FrameOptions m_options;
    // The station first: the views and the sweep below hold its parts.
    std::unique_ptr<CStation> m_station;
    CReceiver& m_rx;
    CZelDoc& m_doc;
    PollFields& m_poll;
    PollCycle& m_cycle;
    KorvSettings& m_settings;
    std::unique_ptr<CListFindView> m_findView;
    std::unique_ptr<CListFind> m_find;
    std::unique_ptr<CFrameDatabases> m_databases;
    LogFileDialogs m_logFileDialogs;
    std::unique_ptr<CBandscopeSweep> m_sweep;
    QTimer m_pendingClose;

    std::array<QAction*, kCommandCount> m_actions{};
    std::array<CommandHandler, kCommandCount> m_handlers{};
    PanelHooks m_panelHooks;
    ListViewHooks m_listHooks;
    std::function<bool()> m_recordingProbe;
    CFailureNotice m_logFileNotice;
    CFailureNotice m_recordingNotice;
    std::shared_ptr<FileOpener> m_opener;

    QToolBar* m_toolBar = nullptr;
    QToolBar* m_panelBand = nullptr;
    QWidget* m_tuningPanel = nullptr;
    QAction* m_panelAction = nullptr;
    CViewArea* m_views = nullptr;
    CStatusPanes* m_panes = nullptr;
    QLabel* m_rigctlPane = nullptr;
    QLabel* m_webPane = nullptr;
    CActivityReportWindow* m_activityReport = nullptr;
    bool m_shutDown = false;
    bool m_closePending = false;
    // The close comes from a stop signal: nobody may be there to answer a box.
    bool m_closingOnSignal = false;
};

}  // namespace korvex
