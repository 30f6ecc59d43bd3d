// The page server where a client is unusual: tokens in several places at
// once, HTTP/1.0, a request trickling in, an event stream joining after the
// state changed.
#include <QElapsedTimer>
#include <thread>

#include "tests/web/HttpClient.h"
#include "tests/web/WebFixture.h"

namespace korvex::test {
namespace {

using WebEdgeCaseTest = WebFixture;

TEST_F(WebEdgeCaseTest, AnyPresentedTokenThatIsValidLetsTheRequestIn) {
    WebServerOptions options;
    options.bind = "0.0.0.0";
    start(options);
    const std::string token = server->token();
    const std::string good = "korvex_token=" + token;
    const std::string stale = "korvex_token=" + std::string(32, 'f');

    // A stale cookie and the right token in the address: in, and the
    // cookie is renewed.
    HttpResponse r = get(port, "/?token=" + token, "Cookie: " + stale + "\r\n");
    EXPECT_EQ(r.status, 303);
    EXPECT_NE(r.header("set-cookie").find(good), std::string::npos);
    r = get(port, "/api/status?token=" + token, "Cookie: " + stale + "\r\n");
    EXPECT_EQ(r.status, 200);
    EXPECT_NE(r.header("set-cookie").find(good), std::string::npos);
    // Another scheme's Authorization header beside a valid cookie; a stale
    // and a valid cookie of the same name.
    EXPECT_EQ(
        get(port, "/api/status", "Authorization: Basic YTpi\r\nCookie: " + good + "\r\n").status,
        200);
    EXPECT_EQ(get(port, "/api/status", "Cookie: " + stale + "; " + good + "\r\n").status, 200);
    EXPECT_EQ(get(port, "/api/status", "Cookie: " + stale + "\r\n").status, 401);

    // Bound to every address, the address shown is no 0.0.0.0.
    const std::string shown = server->address().toStdString();
    EXPECT_EQ(shown.find("0.0.0.0"), std::string::npos) << shown;
    EXPECT_NE(shown.find(std::to_string(port)), std::string::npos) << shown;
}

TEST_F(WebEdgeCaseTest, Http10ConnectionsCloseAfterTheAnswer) {
    start();
    const auto exchange = [this](const std::string& first, const std::string& rest) {
        return whileServing([&] {
            RawConnection c(port, 3000);
            QElapsedTimer t;
            t.start();
            c.send(first);
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            c.send(rest + " HTTP/1.0\r\nHost: 127.0.0.1:" + std::to_string(port) + "\r\n\r\n");
            const HttpResponse r = parseHttpResponse(c.readAll());
            return std::make_pair(r, t.elapsed());
        });
    };
    // The request line whole, and torn before its version.
    for (const auto& [first, rest] : {std::pair<std::string, std::string>{"GET /api/status", ""},
                                      {"\r\nGET /api/sta", "tus"}}) {
        const auto [r, ms] = exchange(first, rest);
        EXPECT_EQ(r.status, 200) << r.raw;
        EXPECT_EQ(r.header("connection"), "close");
        EXPECT_LT(ms, 2000);  // closed by the server, not by the client's time-out
    }
}

TEST_F(WebEdgeCaseTest, ARequestTricklingInIsCutButAStreamLivesOn) {
    WebServerOptions options;
    options.limits.requestMs = 300;
    options.limits.idleMs = 5000;
    options.events.keepAliveMs = 100;
    start(options);
    // One byte every 50 ms: active all the time, never done.
    const qint64 cutAfter = whileServing([this] {
        RawConnection c(port, 1000);
        const std::string slow = "GET /api/status HTTP/1.1\r\nX-Slow: " + std::string(100, 'a');
        QElapsedTimer t;
        t.start();
        for (const char byte : slow) {
            if (c.send(std::string_view(&byte, 1)) == 0 || c.closedByServer()) {
                return t.elapsed();
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return qint64(-1);
    });
    EXPECT_GT(cutAfter, 250);
    EXPECT_LT(cutAfter, 1500);
    // An event stream outlives the deadline by far.
    const int events = whileServing([this] {
        RawConnection c(port, 1000);
        c.send("GET /api/events HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) + "\r\n\r\n");
        std::string pending;
        c.readUntil("\r\n\r\n", pending);
        int n = 0;
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 1000 && !c.readUntil("\n\n", pending).empty()) {
            ++n;
        }
        return n;
    });
    EXPECT_GE(events, 6);
}

TEST_F(WebEdgeCaseTest, AStreamJoiningAfterAChangeGetsOneEvent) {
    WebServerOptions options;
    options.events.keepAliveMs = 10'000;
    options.events.checkMs = 50;
    start(options);
    const auto eventsWithin = [this](int ms) {
        return whileServing([this, ms] {
            RawConnection c(port, ms);
            c.send("GET /api/events HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
                   "\r\n\r\n");
            std::string pending;
            c.readUntil("\r\n\r\n", pending);
            int n = 0;
            QElapsedTimer t;
            t.start();
            while (t.elapsed() < ms && !c.readUntil("\n\n", pending).empty()) {
                ++n;
            }
            return n;
        });
    };
    EXPECT_EQ(eventsWithin(300), 1);
    // Nobody listens while the level changes; the next client hears it once.
    station.rx.signalLevel = 42;
    whileServing([] { std::this_thread::sleep_for(std::chrono::milliseconds(200)); });
    EXPECT_EQ(eventsWithin(500), 1);
}

}  // namespace
}  // namespace korvex::test
