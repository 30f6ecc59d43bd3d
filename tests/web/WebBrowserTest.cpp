// A real browser on the page: Debian's chromium, headless, loads the page
// from the server, and the log table shows the entries (its DOM dump), the
// receiver line shows the live state, and a text of the log that looks like
// markup stays text. A screenshot at a phone's width is left in the build
// folder to look at.
#include <QEventLoop>
#include <QProcess>
#include <QStringList>
#include <QTimer>
#include <filesystem>

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
// page's event stream stays open for good: --virtual-time-budget never ran
// out (the 90 s without output). --timeout ends the load in real time, but
// --dump-dom then dumps at the page's load event, and the page fetches the
// log and the report after it: whether their rows are in the dump is a race
// (chromium's net log shows both answered in a few milliseconds). Disabled
// until the page can tell it has drawn them, or the test drives chromium
// over its DevTools protocol.
TEST_F(WebBrowserTest, DISABLED_PageShowsTheLogAndTheReceiver) {
    start();
    station.reply("RX\r", "VA RF0145500000 ST012500 AU0 MD1 AT0");
    station.rx.squelchOpen = true;
    station.rx.signalLevel = 120;
    const QString url = QStringLiteral("http://127.0.0.1:%1/").arg(port);

    const std::string dom =
        chromium({QStringLiteral("--timeout=5000"), QStringLiteral("--dump-dom"), url});
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
    // The live line came through the event stream.
    EXPECT_NE(dom.find("<span id=\"frequency\">145.500000</span>"), std::string::npos) << dom;
    EXPECT_NE(dom.find(">NFM<"), std::string::npos);
    // The report drew its hour bars.
    EXPECT_NE(dom.find("<rect"), std::string::npos);

    const std::string shot = std::string(SCREENSHOT_DIR) + "/web-page-phone.png";
    std::filesystem::remove(shot);
    chromium({QStringLiteral("--timeout=5000"), QStringLiteral("--hide-scrollbars"),
              QStringLiteral("--window-size=412,1400"),
              QString::fromStdString("--screenshot=" + shot), url});
    EXPECT_TRUE(std::filesystem::exists(shot));
    EXPECT_GT(std::filesystem::file_size(shot), 10000u);
}

}  // namespace
}  // namespace korvex::test
