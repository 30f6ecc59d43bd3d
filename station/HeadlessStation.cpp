#include "station/HeadlessStation.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

#include "link/Commands.h"
#include "link/qt/QtSerialPort.h"
#include "log/LogFile.h"
#include "station/HeadlessHost.h"
#include "station/RigctlListener.h"
#include "station/SignalBridge.h"
#include "station/StartCommands.h"
#include "station/StationWeb.h"

namespace korvex {

namespace {

// How often a lost port is tried again.
constexpr int kReopenIntervalMs = 5000;

// The line as the log file holds it, but in UTF-8: the file's "no
// recording" mark is three 0xB0 bytes (degree signs in the log's single-byte
// code page), which the journal would otherwise show as "[blob data]". The
// other fields are plain ASCII. False, with errno, when it could not be
// written.
bool printEntry(const LogEntry& entry) {
    const std::string line = QString::fromLatin1(formatLogLine(entry, "\n")).toUtf8().toStdString();
    const bool written = std::fwrite(line.data(), 1, line.size(), stdout) == line.size();
    return std::fflush(stdout) == 0 && written;
}

}  // namespace

int runHeadlessStation(const HeadlessOptions& options) {
    HeadlessHost host;
    CStation station(options.station, host);
    const std::string problem = station.loadSettings();
    if (!problem.empty()) {
        host.line(problem + "\nThe program starts with its default settings.");
    }
    // Standard output may be a pipe or a socket whose reader has gone: the
    // station goes on logging into its file, and says so once.
    std::signal(SIGPIPE, SIG_IGN);
    bool printFailed = false;
    QObject::connect(&station, &CStation::logEntryAdded, &station, [&](const LogEntry& entry) {
        if (!printEntry(entry) && !printFailed) {
            printFailed = true;
            host.line(std::string("cannot write the entries to standard output: ") +
                      std::strerror(errno) + "; the log file still gets them");
        }
    });

    // SIGINT and SIGTERM end the station as the window's close does.
    SignalBridge bridge;
    bool stopping = false;
    QObject::connect(&bridge, &SignalBridge::terminationRequested, &station, [&] {
        if (stopping) {
            return;
        }
        stopping = true;
        host.line("stopping");
        station.shutdown();
        // The entry the log thread closed on its way out is printed too.
        QCoreApplication::sendPostedEvents();
        // Korv.ini is not written back: the station changes nothing in it,
        // and a copy loaded at start would undo what the operator edited
        // while the service ran.
        QCoreApplication::exit(0);
    });

    // A station asked to serve the network control that cannot do so
    // fails at once (the reason is on standard error), before the receiver
    // is touched.
    const int rigctldPort = options.station.rigctldPort;
    if (rigctldPort >= 0 || station.settings().rigctlEnabled) {
        QString text;
        if (!station.startRigctl(rigctldPort > 0 ? rigctldPort : 0, &text)) {
            station.shutdown();
            return 1;
        }
        host.line(text.toStdString());
    }

    // The web page asked for on the command line is part of the run: without
    // it the station does not start. One enabled only in the settings must
    // not stop the logging: the station goes on without it, the reason on
    // standard error.
    const int httpPort = options.station.httpPort;
    if (httpPort >= 0 || station.settings().httpEnabled) {
        QString text;
        if (station.web().start(httpPort > 0 ? httpPort : 0, &text)) {
            host.line(text.toStdString());
        } else if (httpPort >= 0) {
            station.shutdown();
            return 1;
        }
    }

    if (!station.openPort()) {
        host.line("cannot open the serial port: " + station.serialPort().errorText());
        station.shutdown();
        return 1;
    }
    host.line("receiver on " + station.serialPort().openedDevice().toStdString());
    station.startPolling();

    // The start commands are kept until the receiver has taken them.
    CStartCommands startCommands(station, [&] {
        if (station.receiver().logActive) {
            station.appendCommands(cmd::levelReports(cmd::LevelReports::On));
        }
        if (options.scanGroup) {
            station.startMemoryScan(*options.scanGroup);
        }
        if (!options.searchBank.isEmpty()) {
            station.startSearch(options.searchBank.toStdString());
        }
    });

    // A lost port (a USB adapter pulled) is tried again until it is back.
    QTimer reopen;
    reopen.setInterval(kReopenIntervalMs);
    QObject::connect(&station, &CStation::portLost, &reopen, [&] { reopen.start(); });
    QObject::connect(&reopen, &QTimer::timeout, &station, [&] {
        if (station.reopenPort(station.serialPort().settings())) {
            reopen.stop();
            host.line("receiver on " + station.serialPort().openedDevice().toStdString() +
                      " again");
            startCommands.portReopened();
        }
    });

    if (!options.logPath.isEmpty()) {
        // Absolute, so the recordings beside it land in its folder whatever
        // the working folder.
        const std::string path =
            QFile::encodeName(QFileInfo(options.logPath).absoluteFilePath()).toStdString();
        if (!station.useLogFile(path) || !station.startLog()) {
            host.line("cannot start the activity log into " + path);
            station.shutdown();
            return 1;
        }
        host.line("activity log into " + path +
                  (station.settings().logAudio ? " with recordings" : ""));
    }
    // In VFO A or B the receiver's level reports are not taken, so the log
    // hears nothing there: said once each time the receiver goes there.
    bool inVfoAOrB = false;
    QObject::connect(&station, &CStation::modelChanged, &station, [&] {
        const bool now =
            station.receiver().logActive && isVfoAOrBState(station.receiver().operatingState);
        if (now && !inVfoAOrB) {
            host.line(
                "the receiver is in VFO A or B, where the log takes no level reports: "
                "nothing is logged until it is set to VFO, memory read, a scan or a search");
        }
        inVfoAOrB = now;
    });
    if (options.scanGroup) {
        station.startMemoryScan(*options.scanGroup);
        host.line("memory scan with scan group " + std::to_string(*options.scanGroup));
    }
    if (!options.searchBank.isEmpty()) {
        station.startSearch(options.searchBank.toStdString());
        host.line("search of search bank " + options.searchBank.toStdString());
    }
    startCommands.queued();
    return QCoreApplication::exec();
}

}  // namespace korvex
