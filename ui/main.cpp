// The simulator is plain C++ whose names may clash with Qt's keyword macros,
// so it comes before any Qt header.
#include "simulator/PtySimulator.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>
#include <cstdio>
#include <memory>

#include "ui/MainFrame.h"
#include "ui/SignalBridge.h"
#include "ui/SingleInstance.h"
#include "ui/Splash.h"

using namespace korvex;

namespace {

// Shown before the window exists: on standard error too, for a user who
// started the program from a terminal.
void earlyMessage(const QString& caption, const QString& text) {
    std::fprintf(stderr, "korvex: %s\n", qPrintable(text));
    QMessageBox::critical(nullptr, caption, text);
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("korvex"));
    QApplication::setApplicationVersion(QStringLiteral("1.4.1.0"));
    QApplication::setOrganizationName(QStringLiteral("mrqx"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Control program for the AR8600 receiver"));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption port(QStringLiteral("port"),
                                  QStringLiteral("Serial device to use for this run."),
                                  QStringLiteral("DEVICE"));
    const QCommandLineOption configDir(QStringLiteral("config-dir"),
                                       QStringLiteral("Folder of Korv.ini and dbconf.ini."),
                                       QStringLiteral("DIR"));
    const QCommandLineOption simulate(
        QStringLiteral("simulate"),
        QStringLiteral("Start the built-in AR8600 simulator and connect to it."));
    const QCommandLineOption noSplash(QStringLiteral("no-splash"),
                                      QStringLiteral("Do not show the start-up picture."));
    const QCommandLineOption trace(
        QStringLiteral("trace"),
        QStringLiteral("Write every command sent and every line received to FILE."),
        QStringLiteral("FILE"));
    parser.addOptions({port, configDir, simulate, noSplash, trace});
    parser.process(app);

    SingleInstance instance;
    if (!instance.acquire()) {
        earlyMessage(QStringLiteral("Error"), QStringLiteral("mrqxKORV is already running!"));
        return 1;
    }

    FrameOptions options;
    options.portDevice = parser.value(port);
    options.configDir = parser.value(configDir);
    options.tracePath = parser.value(trace);

    std::unique_ptr<sim::PtySimulator> simulator;
    if (parser.isSet(simulate)) {
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
        if (!parser.isSet(noSplash)) {
            splash = std::make_unique<CSplash>();
            splash->showFor(&frame);
        }
        frame.show();
        rc = app.exec();
    }
    if (simulator) {
        simulator->stop();
    }
    return rc;
}
