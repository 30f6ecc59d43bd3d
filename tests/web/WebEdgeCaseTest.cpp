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
}

}  // namespace
}  // namespace korvex::test
