// A real browser on the page: Debian's chromium, headless, loads the page
// from the server, and the log table shows the entries (its DOM dump), the
// receiver line shows the live state, and a text of the log that looks like
// markup stays text. A screenshot at a phone's width is left in the build
// folder to look at.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QStringList>
#include <QTimer>
#include <filesystem>
#include <memory>
#include <vector>

#include "tests/web/HttpClient.h"
#include "tests/web/WebFixture.h"

namespace korvex::test {
namespace {

class WebBrowserTest : public WebFixture {
protected:
    void SetUp() override {
        if (std::string(CHROMIUM_PATH).empty() || !std::filesystem::exists(CHROMIUM_PATH)) {
            GTEST_SKIP() << "chromium is not installed";
        }
        WebFixture::SetUp();
    }

    // Runs chromium with the arguments, keeping the server's loop turning;
    // its standard output.
    std::string chromium(QStringList arguments) {
        arguments.prepend(QString::fromStdString("--user-data-dir=" + dir / "chromium"));
        arguments.prepend(QStringLiteral("--disable-gpu"));
        arguments.prepend(QStringLiteral("--no-sandbox"));
        arguments.prepend(QStringLiteral("--headless"));
        QProcess process;
        process.setProcessChannelMode(QProcess::SeparateChannels);
        process.start(QStringLiteral(CHROMIUM_PATH), arguments);
        EXPECT_TRUE(process.waitForStarted(10000));
        // A loop of its own, as the station's: the server's sockets are
        // served and closed ones deleted while chromium runs.
        QEventLoop loop;
        QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(90000, &loop, &QEventLoop::quit);
        if (process.state() != QProcess::NotRunning) {
            loop.exec();
        }
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
        return process.readAllStandardOutput().toStdString();
    }
};

// chromium's virtual time stands still while a request is open, and the
// page's event stream stays open for good, so --virtual-time-budget would
// never run out; and --dump-dom without it dumps at the load event, before
// the page's own fetches have drawn the log. Every event stream the server
// allows is therefore taken beforehand: the page's is refused, it falls back
// to asking for the status every second, and virtual time runs on until the
// budget is spent with the log, the report and the live line drawn.
TEST_F(WebBrowserTest, PageShowsTheLogAndTheReceiver) {
    start();
    station.reply("RX\r", "VA RF0145500000 ST012500 AU0 MD1 AT0");
    station.rx.squelchOpen = true;
    station.rx.signalLevel = 120;
    const QString url = QStringLiteral("http://127.0.0.1:%1/").arg(port);
    std::vector<std::unique_ptr<RawConnection>> streams;
    for (int i = 0; i < CWebServer::kMaxEventClients; ++i) {
        streams.push_back(std::make_unique<RawConnection>(port));
        streams.back()->send("GET /api/events HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
                             "\r\n\r\n");
    }
    QElapsedTimer taken;
    taken.start();
    while (taken.elapsed() < 1000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    const QString budget = QStringLiteral("--virtual-time-budget=5000");

    const std::string dom = chromium({budget, QStringLiteral("--dump-dom"), url});
    ASSERT_FALSE(dom.empty());
    // Every entry is a row, newest first.
    for (int index = 0; index < 5; ++index) {
        EXPECT_NE(dom.find("<tr data-index=\"" + std::to_string(index) + "\">"), std::string::npos)
            << index << "\n"
            << dom;
    }
    EXPECT_LT(dom.find("data-index=\"4\""), dom.find("data-index=\"0\""));
    EXPECT_NE(dom.find("<td>08:15:00</td>"), std::string::npos);
    EXPECT_NE(dom.find("title=\"k_261209_081500.wav\""), std::string::npos);  // its play button
    // The markup in a log field is shown as text, never run.
    EXPECT_NE(dom.find("&lt;script&gt;alert(1)&lt;/script&gt;"), std::string::npos);
    EXPECT_EQ(dom.find("<script>alert"), std::string::npos);
    // The live line came through the status the page asked for.
    EXPECT_NE(dom.find("<span id=\"frequency\">145.500000</span>"), std::string::npos) << dom;
    EXPECT_NE(dom.find(">NFM<"), std::string::npos);
    // The report drew its hour bars.
    EXPECT_NE(dom.find("<rect"), std::string::npos);

    const std::string shot = std::string(SCREENSHOT_DIR) + "/web-page-phone.png";
    std::filesystem::remove(shot);
    chromium({budget, QStringLiteral("--hide-scrollbars"), QStringLiteral("--window-size=412,1400"),
              QString::fromStdString("--screenshot=" + shot), url});
    EXPECT_TRUE(std::filesystem::exists(shot));
    EXPECT_GT(std::filesystem::file_size(shot), 10000u);
}

}  // namespace
}  // namespace korvex::test
