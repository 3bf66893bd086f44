#include <gtest/gtest.h>

#include "../TestSupport.h"
#include "platform/web/WebCookieManager.h"

using platform::WebCookieManager;

TEST(CookieEncoding, NamesAndValuesRoundTripAndCannotInjectAttributes) {
    for (const std::string text : {"Col", "ColBrix Min", "Col a;b=c,d\"e", "ColTemp °C", "Col\r\nSet-Cookie: x=1",
                                   "Col%41", "*", "0"}) {
        const std::string name = WebCookieManager::EncodeName(text);
        const std::string value = WebCookieManager::EncodeValue(text);
        EXPECT_EQ(WebCookieManager::Decode(name), text);
        EXPECT_EQ(WebCookieManager::Decode(value), text);
        for (const char c : name + value) {
            EXPECT_FALSE(c == ';' || c == ',' || c == ' ' || c == '"' || c == '\r' || c == '\n' ||
                         static_cast<unsigned char>(c) >= 0x7F)
                << "unsafe character in " << name << " / " << value;
        }
        EXPECT_EQ(name.find('='), std::string::npos) << name;
    }
    EXPECT_EQ(WebCookieManager::EncodeValue("*"), "*");
    EXPECT_EQ(WebCookieManager::EncodeName("ColBrix"), "ColBrix");
}

namespace {
std::vector<std::string> SetCookieHeaders(const platform::http::HttpResponse& response) {
    std::vector<std::string> found;
    for (const auto& [name, value] : response.headers)
        if (name == "Set-Cookie") found.push_back(value);
    return found;
}
}  // namespace

TEST(CookieManager, ReadsTheOpeningRequestThenWhatWasSetAndDeliversAHeaderOnce) {
    brixtest::TempRoot root;
    brixtest::Viewer viewer;
    auto session = viewer.NewSession("ColBrix%20Min=0; other=x; ColBrix%20Min=*; quoted=\"q\"");
    auto& cookies = session->Cookies();
    EXPECT_EQ(cookies.Value("ColBrix Min"), "0") << "the first of two same-named cookies wins";
    EXPECT_EQ(cookies.Value("other"), "x");
    EXPECT_EQ(cookies.Value("quoted"), "q");
    EXPECT_EQ(cookies.Value("missing"), "");

    viewer.harness.Within(*session, [&] {
        cookies.Set("ColBrix Min", "*", platform::Date(1800000000.0), "", "", false, true);
    });
    EXPECT_EQ(cookies.Value("ColBrix Min"), "*");

    // Without a channel the order waits; the browser, once attached, is told to fetch a
    // one-time address that carries the headers: ours first, then the column boxes' of the
    // page's opening, all in one request.
    const auto url = std::string("/_cookie?s=") + session->Identifier() + "&t=";
    auto channel = viewer.harness.Connect(*session);
    const auto fetches = brixtest::Commands(channel->Messages(), "cookie");
    ASSERT_EQ(fetches.size(), 1u);
    ASSERT_EQ(fetches[0][0].rfind(url, 0), 0u);
    const std::string token = fetches[0][0].substr(url.size());
    const auto response = viewer.harness.Get("/_cookie", {{"s", session->Identifier()}, {"t", token}});
    ASSERT_GT(SetCookieHeaders(response).size(), 1u);
    EXPECT_EQ(SetCookieHeaders(response)[0],
              "ColBrix%20Min=*; Expires=Fri, 15 Jan 2027 08:00:00 GMT; Path=/; HttpOnly; SameSite=Lax");
    const auto again = viewer.harness.Get("/_cookie", {{"s", session->Identifier()}, {"t", token}});
    EXPECT_TRUE(SetCookieHeaders(again).empty());

    // Once the address has gone to the browser, a later cookie has an address of its own.
    viewer.harness.Within(*session, [&] {
        cookies.Set("a", "1", platform::Date(1800000000.0), "", "", false, false);
        cookies.Set("b", "2", platform::Date(1800000000.0), "", "", false, false);
        session->Flush();
    });
    const auto later = brixtest::Commands(channel->Messages(), "cookie");
    ASSERT_EQ(later.size(), 2u);
    EXPECT_NE(later[1][0], fetches[0][0]);
    const auto both = viewer.harness.Get("/_cookie", {{"s", session->Identifier()}, {"t", later[1][0].substr(url.size())}});
    ASSERT_EQ(SetCookieHeaders(both).size(), 2u);
    EXPECT_EQ(SetCookieHeaders(both)[0].rfind("a=1;", 0), 0u);
    EXPECT_EQ(SetCookieHeaders(both)[1].rfind("b=2;", 0), 0u);
}

// A browser keeps a cookie of at most about 4 KiB; a bigger one it refuses or, kept, would
// make every later request of its too large for the server.
TEST(CookieManager, ACookieTooBigForABrowserIsNotSet) {
    brixtest::TempRoot root;
    brixtest::Viewer viewer;
    auto session = viewer.NewSession();
    auto& cookies = session->Cookies();
    const std::string fits(WebCookieManager::kMaxCookieBytes - 2, 'n'), over(WebCookieManager::kMaxCookieBytes - 1, 'n');
    viewer.harness.Within(*session, [&] {
        cookies.Set(fits, "*", platform::Date(1800000000.0), "", "", false, false);
        cookies.Set(over, "*", platform::Date(1800000000.0), "", "", false, false);
    });
    EXPECT_EQ(cookies.Value(fits), "*");
    EXPECT_EQ(cookies.Value(over), "");
    const auto channel = viewer.harness.Connect(*session);
    const auto fetches = brixtest::Commands(channel->Messages(), "cookie");
    const auto header = viewer.harness.Get("/_cookie", {{"s", session->Identifier()},
                                                        {"t", fetches.at(0)[0].substr(fetches.at(0)[0].rfind('=') + 1)}});
    EXPECT_EQ(SetCookieHeaders(header).at(0).rfind(fits + "=*;", 0), 0u);
    // The column boxes' own cookies follow; none is for the oversized name.
    for (const auto& fetch : fetches) EXPECT_EQ(fetch[0].find(over), std::string::npos);
}
