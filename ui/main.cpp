// The simulator is plain C++ whose names may clash with Qt's keyword macros,
// so it comes before any Qt header.
#include "simulator/PtySimulator.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>
#include <cstdio>
#include <iostream>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "log/ReportCommand.h"

#include "station/HeadlessStation.h"
#include "station/SignalBridge.h"
#include "station/SingleInstance.h"
#include "ui/MainFrame.h"
#include "ui/NestedLoops.h"
#include "ui/Splash.h"

using namespace korvex;

namespace {

void setIdentity() {
    QCoreApplication::setApplicationName(QStringLiteral("korvex"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.4.1.0"));
    QCoreApplication::setOrganizationName(QStringLiteral("mrqx"));
}

// The program's options, the same whether or not a window system comes up.
struct CommandLine {
    CommandLine() {
        parser.setApplicationDescription(QStringLiteral("Control program for the AR8600 receiver"));
        parser.addOptions({port, configDir, simulate, noSplash, trace, rigctld, http, headless, log,
                           scan, search, report, from, to, csv});
    }

    QCommandLineParser parser;
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption port{QStringLiteral("port"),
                                  QStringLiteral("Serial device to use for this run."),
                                  QStringLiteral("DEVICE")};
    const QCommandLineOption configDir{QStringLiteral("config-dir"),
                                       QStringLiteral("Folder of Korv.ini and dbconf.ini."),
                                       QStringLiteral("DIR")};
    const QCommandLineOption simulate{
        QStringLiteral("simulate"),
        QStringLiteral("Start the built-in AR8600 simulator and connect to it.")};
    const QCommandLineOption noSplash{QStringLiteral("no-splash"),
                                      QStringLiteral("Do not show the start-up picture.")};
    const QCommandLineOption trace{
        QStringLiteral("trace"),
        QStringLiteral("Write every command sent and every line received to FILE."),
        QStringLiteral("FILE")};
    // Its port may be left out: see rigctldArguments().
    const QCommandLineOption rigctld{
        QStringLiteral("rigctld"),
        QStringLiteral("Let other programs control the receiver over the network (rigctld "
                       "protocol) on PORT, or on the port of the settings (4532 unless set)."),
        QStringLiteral("PORT")};
    // Its port may be left out too.
    const QCommandLineOption http{
        QStringLiteral("http"),
        QStringLiteral("Serve the station's web page on PORT, or on the port of the settings "
                       "(8600 unless set); 127.0.0.1 unless the settings bind another address."),
        QStringLiteral("PORT")};
    const QCommandLineOption headless{
        QStringLiteral("headless"),
        QStringLiteral("Run as a monitoring station without a window: status on standard error, "
                       "one line per log entry on standard output, ended by SIGINT or SIGTERM; "
                       "no display needed.")};
    const QCommandLineOption log{
        QStringLiteral("log"),
        QStringLiteral("With --headless: start the activity log into FILE (audio as the log "
                       "settings say)."),
        QStringLiteral("FILE")};
    const QCommandLineOption scan{
        QStringLiteral("scan"),
        QStringLiteral("With --headless: start a memory scan with scan group GROUP (0-9)."),
        QStringLiteral("GROUP")};
    const QCommandLineOption search{
        QStringLiteral("search"),
        QStringLiteral("With --headless: start a search of search bank BANK (A-T, a-t)."),
        QStringLiteral("BANK")};
    // The report runs before any of this is parsed (see main()); these
    // only put it in the help text.
    const QCommandLineOption report{
        QStringLiteral("report"),
        QStringLiteral("Print what the activity log FILE heard, per frequency, and exit; no "
                       "display needed."),
        QStringLiteral("FILE")};
    const QCommandLineOption from{QStringLiteral("from"),
                                  QStringLiteral("With --report: the first day to count."),
                                  QStringLiteral("YYYY-MM-DD")};
    const QCommandLineOption to{QStringLiteral("to"),
                                QStringLiteral("With --report: the last day to count."),
                                QStringLiteral("YYYY-MM-DD")};
    const QCommandLineOption csv{QStringLiteral("csv"),
                                 QStringLiteral("With --report: print CSV instead of a table.")};
};

// The arguments with "--rigctld" and "--http" given their value: the number
// that follows, or 0 (the settings' port) when none follows.
QStringList rigctldArguments(const QStringList& arguments) {
    QStringList out;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (arg == QStringLiteral("--rigctld") || arg == QStringLiteral("--http")) {
            bool number = false;
            if (i + 1 < arguments.size()) {
                arguments[i + 1].toInt(&number);
            }
            out << arg + u'=' + (number ? arguments[++i] : QStringLiteral("0"));
        } else {
            out << arg;
        }
    }
    return out;
}

// Whether the arguments ask for the help or the version; the value of an
// option that takes one is skipped, as the parser does.
bool asksForHelpOrVersion(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--") {
            return false;
        }
        if (arg == "--port" || arg == "--config-dir" || arg == "--trace" || arg == "--report" ||
            arg == "--from" || arg == "--to" || arg == "--log" || arg == "--scan" ||
            arg == "--search") {
            ++i;
        } else if (arg == "-h" || arg == "--help" || arg == "--help-all" || arg == "-v" ||
                   arg == "--version") {
            return true;
        }
    }
    return false;
}

// --help and --version print and exit without a window system, so they
// work with no display at all.
void answerHelpOrVersion(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    setIdentity();
    CommandLine line;
    line.parser.parse(QCoreApplication::arguments());
    if (line.parser.isSet(QStringLiteral("help-all"))) {
        line.parser.process(app);  // the help with Qt's own options
    }
    if (line.parser.isSet(line.help)) {
        line.parser.showHelp(0);
    }
    if (line.parser.isSet(line.version)) {
        line.parser.showVersion();
    }
}

// Whether the station runs without a window; decided before any
// application object exists, so no window system is ever touched. The
// arguments are parsed with the options' own table, so an option's value
// ("--log --headless" names a log file) is never taken for the option.
bool asksForHeadless(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    CommandLine line;
    // An unknown option is reported by the parse that follows, in either mode.
    line.parser.parse(rigctldArguments(arguments));
    return line.parser.isSet(line.headless);
}

// The port of "--rigctld" or "--http" as the parser has it (see
// rigctldArguments()); -1 when not asked, nothing when it is no port number.
std::optional<int> optionPort(const CommandLine& line, const QCommandLineOption& option) {
    if (!line.parser.isSet(option)) {
        return -1;
    }
    bool valid = false;
    const int port = line.parser.value(option).toInt(&valid);
    if (!valid || port < 0 || port > 65535) {
        return std::nullopt;
    }
    return port;
}

// `korvex --headless`: the station on a core application, every message on
// standard error.
int runHeadless(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    setIdentity();
    CommandLine line;
    line.parser.process(rigctldArguments(QCoreApplication::arguments()));
    const auto fail = [](const QString& text) {
        std::fprintf(stderr, "korvex: %s\n", qPrintable(text));
        return 1;
    };
    for (const QCommandLineOption* windowOnly : {&line.noSplash}) {
        if (line.parser.isSet(*windowOnly)) {
            std::fprintf(stderr, "korvex: --%s has no effect with --headless\n",
                         qPrintable(windowOnly->names().front()));
        }
    }

    SingleInstance instance;
    if (!instance.acquire()) {
        return fail(QStringLiteral("mrqxKORV is already running!"));
    }

    HeadlessOptions options;
    options.station.portDevice = line.parser.value(line.port);
    options.station.configDir = line.parser.value(line.configDir);
    options.station.tracePath = line.parser.value(line.trace);
    const std::optional<int> rigPort = optionPort(line, line.rigctld);
    if (!rigPort) {
        return fail(QStringLiteral("--rigctld: not a port number: ") +
                    line.parser.value(line.rigctld));
    }
    options.station.rigctldPort = *rigPort;
    const std::optional<int> httpPort = optionPort(line, line.http);
    if (!httpPort) {
        return fail(QStringLiteral("--http: not a port number: ") + line.parser.value(line.http));
    }
    options.station.httpPort = *httpPort;
    options.logPath = line.parser.value(line.log);
    if (line.parser.isSet(line.log) && options.logPath.isEmpty()) {
        return fail(QStringLiteral("--log: no file given"));
    }
    if (line.parser.isSet(line.scan)) {
        const QString text = line.parser.value(line.scan);
        bool valid = false;
        const int group = text.toInt(&valid);
        if (!valid || text.size() != 1 || group < 0 || group > 9) {
            return fail(QStringLiteral("--scan: not a scan group (0-9): ") + text);
        }
        options.scanGroup = group;
    }
    if (line.parser.isSet(line.search)) {
        options.searchBank = line.parser.value(line.search);
        static const QString kBanks = QStringLiteral("ABCDEFGHIJKLMNOPQRSTabcdefghijklmnopqrst");
        if (options.searchBank.size() != 1 || !kBanks.contains(options.searchBank)) {
            return fail(QStringLiteral("--search: not a search bank (A-T, a-t): ") +
                        options.searchBank);
        }
    }
    if (options.scanGroup && !options.searchBank.isEmpty()) {
        return fail(QStringLiteral("--scan and --search exclude each other"));
    }

    std::unique_ptr<sim::PtySimulator> simulator;
    if (line.parser.isSet(line.simulate)) {
        simulator = std::make_unique<sim::PtySimulator>();
        std::string error;
        if (!simulator->start(&error)) {
            return fail(QStringLiteral("The simulator could not start: ") +
                        QString::fromStdString(error));
        }
        options.station.portDevice = QString::fromStdString(simulator->devicePath());
    }
    const int rc = runHeadlessStation(options);
    if (simulator) {
        simulator->stop();
    }
    return rc;
}

// Shown before the window exists: on standard error too, for a user who
// started the program from a terminal.
void earlyMessage(const QString& caption, const QString& text) {
    std::fprintf(stderr, "korvex: %s\n", qPrintable(text));
    QMessageBox::critical(nullptr, caption, text);
}

// The report of a log file: plain output, no application object, so no
// window system is touched.
int answerReport(int argc, char* argv[]) {
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    return runReportCommand(arguments, std::cout, std::cerr);
}

}  // namespace

int main(int argc, char* argv[]) {
    if (asksForHelpOrVersion(argc, argv)) {
        answerHelpOrVersion(argc, argv);
    }
    if (asksForReport(std::vector<std::string_view>(argv + 1, argv + argc))) {
        return answerReport(argc, argv);
    }
    if (asksForHeadless(argc, argv)) {
        return runHeadless(argc, argv);
    }
    QApplication app(argc, argv);
    setIdentity();

    CommandLine line;
    line.parser.process(rigctldArguments(QCoreApplication::arguments()));

    SingleInstance instance;
    if (!instance.acquire()) {
        earlyMessage(QStringLiteral("Error"), QStringLiteral("mrqxKORV is already running!"));
        return 1;
    }

    FrameOptions options;
    options.portDevice = line.parser.value(line.port);
    options.configDir = line.parser.value(line.configDir);
    options.tracePath = line.parser.value(line.trace);
    const std::optional<int> rigPort = optionPort(line, line.rigctld);
    if (!rigPort) {
        earlyMessage(QStringLiteral("Error"), QStringLiteral("--rigctld: not a port number: ") +
                                                  line.parser.value(line.rigctld));
        return 1;
    }
    options.rigctldPort = *rigPort;
    const std::optional<int> httpPort = optionPort(line, line.http);
    if (!httpPort) {
        earlyMessage(QStringLiteral("Error"),
                     QStringLiteral("--http: not a port number: ") + line.parser.value(line.http));
        return 1;
    }
    options.httpPort = *httpPort;
    for (const QCommandLineOption* stationOnly : {&line.log, &line.scan, &line.search}) {
        if (line.parser.isSet(*stationOnly)) {
            earlyMessage(QStringLiteral("Error"), QStringLiteral("--%1 works with --headless only")
                                                      .arg(stationOnly->names().front()));
            return 1;
        }
    }

    std::unique_ptr<sim::PtySimulator> simulator;
    if (line.parser.isSet(line.simulate)) {
        simulator = std::make_unique<sim::PtySimulator>();
        std::string error;
        if (!simulator->start(&error)) {
            earlyMessage(
                QStringLiteral("Error"),
                QStringLiteral("The simulator could not start: ") + QString::fromStdString(error));
            return 1;
        }
        options.portDevice = QString::fromStdString(simulator->devicePath());
    }

    CMainFrame frame(options);
    SignalBridge signalBridge;
    QObject::connect(&signalBridge, &SignalBridge::terminationRequested, &frame,
                     &CMainFrame::closeOnSignal);

    frame.start();
    // A signal while the start-up message was shown has closed the frame
    // already: the program ends without ever running its main loop.
    int rc = 0;
    if (!frame.hasShutDown()) {
        std::unique_ptr<CSplash> splash;
        if (!line.parser.isSet(line.noSplash)) {
            splash = std::make_unique<CSplash>();
            splash->showFor(&frame);
        }
        frame.show();
        // From here on the main loop is the outermost one: a stop signal
        // handled inside any deeper loop waits for it.
        nested::setMainLoopLevel(1);
        rc = app.exec();
    }
    if (simulator) {
        simulator->stop();
    }
    return rc;
}
