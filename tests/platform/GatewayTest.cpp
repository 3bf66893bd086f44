#include <gtest/gtest.h>
#include <unistd.h>

#include "../TestSupport.h"
#include "platform/testing/TestHarness.h"
#include "platform/web/Gateway.h"
#include "platform/web/WebFile.h"

namespace {

std::string HeaderOf(const platform::http::HttpResponse& response, const std::string& name) {
    for (const auto& [n, v] : response.headers)
        if (n == name) return v;
    return "";
}

}  // namespace

TEST(Gateway, ServesClientFilesFromTheTableWithValidators) {
    brixtest::TempRoot root;
    brixtest::Viewer viewer;
    const auto script = viewer.harness.Get("/_client/framework.js");
    ASSERT_EQ(script.status, 200);
    EXPECT_EQ(script.contentType, "text/javascript; charset=utf-8");
    EXPECT_GT(script.body->size(), 1000u);
    const std::string etag = HeaderOf(script, "ETag");
    ASSERT_FALSE(etag.empty());
    EXPECT_EQ(viewer.harness.Get("/_client/framework.js", {}, {{"if-none-match", etag}}).status, 304);
    EXPECT_EQ(viewer.harness.Get("/_client/framework.css").contentType, "text/css; charset=utf-8");
    for (const char* path : {"/_client/../CMakeLists.txt", "/_client/", "/_client/app/main.cpp", "/etc/passwd",
                             "/index.html", "/_files/", "/_files/abc/userdata.csv"}) {
        EXPECT_EQ(viewer.harness.Get(path).status, 404) << path;
    }
}

// Compressed once at build time, sent compressed to a browser that takes gzip, and kept by
// the browser for a year at the versioned address the start page gives.
TEST(Gateway, ClientFilesGoCompressedAndVersionedAddressesAreKept) {
    brixtest::TempRoot root;
    brixtest::Viewer viewer;
    const auto& file = viewer.app.ClientFiles().at("framework.js");
    const auto plain = viewer.harness.Get("/_client/framework.js");
    ASSERT_FALSE(file.gzipBytes.empty());
    EXPECT_LT(file.gzipBytes.size() * 2, file.bytes.size());
    struct Case {
        const char* acceptEncoding;
        bool gzip;
    };
    for (const Case& c : {Case{"gzip, deflate, br", true}, Case{"GZIP", true}, Case{"br;q=1.0, gzip;q=0.5", true},
                          Case{"*", true}, Case{"gzip;q=0, *", false}, Case{"*;q=0", false}, Case{"identity", false},
                          Case{"", false}, Case{"x-gzip", false}}) {
        const auto got = viewer.harness.Get("/_client/framework.js", {}, {{"accept-encoding", c.acceptEncoding}});
        EXPECT_EQ(HeaderOf(got, "Content-Encoding"), c.gzip ? "gzip" : "") << c.acceptEncoding;
        EXPECT_EQ(*got.body, c.gzip ? file.gzipBytes : file.bytes) << c.acceptEncoding;
        EXPECT_EQ(HeaderOf(got, "Vary"), "Accept-Encoding");
        // Each form has its own validator, so a cache never answers one with the other.
        EXPECT_EQ(HeaderOf(got, "ETag") == HeaderOf(plain, "ETag"), !c.gzip) << c.acceptEncoding;
    }
    EXPECT_EQ(static_cast<unsigned char>(file.gzipBytes[0]), 0x1f);
    EXPECT_EQ(HeaderOf(plain, "Cache-Control"), "no-cache");
    const auto versioned = viewer.harness.Get("/_client/framework.js", {{"v", file.Version()}});
    EXPECT_EQ(HeaderOf(versioned, "Cache-Control"), "public, max-age=31536000, immutable");
    EXPECT_EQ(HeaderOf(viewer.harness.Get("/_client/framework.js", {{"v", "00000000"}}), "Cache-Control"), "no-cache")
        << "another build's version is not this file";
    // The start page links the versioned addresses, the product's icon among them.
    auto session = viewer.NewSession();
    const auto page = viewer.harness.Get("/");
    EXPECT_NE(page.body->find("/_client/icon.svg?v=" + viewer.app.ClientFiles().at("icon.svg").Version()),
              std::string::npos);
    EXPECT_EQ(viewer.harness.Get("/_client/icon.svg").contentType, "image/svg+xml");
}

TEST(Gateway, StartPageCarriesTheTextsEscapedAndTheSession) {
    brixtest::TempRoot root;
    brixtest::Viewer viewer;
    viewer.app.LaunchMessage = "Launching <b>&";
    const auto page = viewer.harness.Get("/");
    ASSERT_EQ(page.status, 200);
    const std::string& html = *page.body;
    EXPECT_NE(html.find("<title>Launching &lt;b&gt;&amp;</title>"), std::string::npos);
    EXPECT_NE(html.find("<noscript><div class=\"fw-noscript\"><p><b>Javascript must be enabled to access this "
                        "page.</b></p><p>To turn Javascript on, please refer to your browser settings window.</p>"),
              std::string::npos);
    EXPECT_NE(html.find("data-disconnect=\"The application has gone off-line. Please try again later.\""),
              std::string::npos);
    EXPECT_EQ(viewer.app.SessionCount(), 1);
    const std::string id = viewer.app.SessionAtIndex(0)->Identifier();
    EXPECT_NE(html.find("data-session=\"" + id + "\""), std::string::npos);
}

TEST(Gateway, ChannelsOnlyFromTheSameOrigin) {
    brixtest::TempRoot root;
    brixtest::Viewer viewer;
    platform::Gateway gateway(viewer.app, platform::HostNames({"dev"}));
    struct Case {
        std::string path, host, origin;
        bool accepted;
    };
    for (const auto& c : std::vector<Case>{{"/_ws", "dev:10001", "http://dev:10001", true},
                                           {"/_ws", "DEV:10001", "http://dev:10001", true},
                                           {"/_ws", "dev:10001", "", true},
                                           {"/_ws", "dev:10001", "http://evil.example", false},
                                           {"/_ws", "dev:10001", "http://dev:10002", false},
                                           {"/_ws", "dev:10001", "null", false},
                                           {"/other", "dev:10001", "http://dev:10001", false}}) {
        platform::http::HttpRequest request;
        request.path = c.path;
        request.headers["host"] = c.host;
        if (!c.origin.empty()) request.headers["origin"] = c.origin;
        EXPECT_EQ(gateway.AcceptsChannel(request), c.accepted) << c.origin << " -> " << c.host;
    }
}

// A page of another site whose name points at the device (DNS rebinding) gets nothing:
// no session, no page, no file, no channel.
TEST(Gateway, OnlyTheDevicesAddressesAndNamesAreAnswered) {
    brixtest::TempRoot root;
    root.WriteLog("D,X\n1,a\n");
    brixtest::Viewer viewer;
    platform::Gateway gateway(viewer.app, platform::HostNames({"brix-01.plant.example"}));
    auto file = platform::WebFile::Open(platform::FolderItem("/mnt/pen/userdata.csv"), true);
    char own[256] = {};
    ::gethostname(own, sizeof own - 1);
    struct Case {
        std::string host;
        bool answered;
    };
    for (const auto& c : std::vector<Case>{{"192.168.1.50", true},
                                           {"192.168.1.50:10001", true},
                                           {"[::1]:10001", true},
                                           {"[fe80::1]", true},
                                           {"localhost:10001", true},
                                           {"LOCALHOST", true},
                                           {std::string(own), true},
                                           {std::string(own) + ".local:443", true},
                                           {"brix-01.plant.example", true},
                                           {"Brix-01.Plant.Example.:10001", true},
                                           {"evil.example", false},
                                           {"evil.example:10001", false},
                                           {"192.168.1.50.evil.example", false},
                                           {"localhost.evil.example", false},
                                           {"[::1]x", false},
                                           {"localhost:port", false},
                                           {"", false}}) {
        const auto sessions = viewer.app.SessionCount();
        for (const std::string& path : std::vector<std::string>{"/", "/_client/framework.js", file->URL()}) {
            platform::http::HttpRequest request;
            request.method = "GET";
            request.path = path;
            request.headers["host"] = c.host;
            request.headers["origin"] = "http://" + c.host;
            const auto response = gateway.Handle(request);
            EXPECT_EQ(response.status == 421, !c.answered) << c.host << " " << path;
            if (!c.answered) {
                EXPECT_NE(response.body->find("--hostname="), std::string::npos);
            }
            request.path = "/_ws";
            EXPECT_EQ(gateway.AcceptsChannel(request), c.answered) << c.host;
        }
        EXPECT_EQ(viewer.app.SessionCount(), sessions + (c.answered ? 1 : 0)) << c.host;
    }
}

TEST(Gateway, AChannelForAnUnknownSessionIsToldToStartAfresh) {
    brixtest::TempRoot root;
    brixtest::Viewer viewer;
    platform::Gateway gateway(viewer.app);
    platform::http::HttpRequest request;
    request.path = "/_ws";
    request.query["s"] = "0123456789abcdef0123456789abcdef";
    auto channel = std::make_shared<platform::testing::RecordingChannel>();
    gateway.OpenChannel(request, channel);
    EXPECT_EQ(channel->Messages(), std::vector<std::string>{R"({"t":"gone"})"});
    EXPECT_TRUE(channel->Closed());
}

TEST(Gateway, DownloadsAreAttachmentsAtUnguessableAddressesWhileTheFileLives) {
    brixtest::TempRoot root;
    root.WriteLog("D,X\n1,a\n");
    brixtest::Viewer viewer;
    auto file = platform::WebFile::Open(platform::FolderItem("/mnt/pen/userdata.csv"), true);
    file->SetForceDownload(true);
    root.AppendLog("2,b\n");  // the copy is the file as it was
    ASSERT_EQ(file->URL().size(), std::string("/_files/").size() + 32 + std::string("/userdata.csv").size());
    const auto response = viewer.harness.Get(file->URL());
    ASSERT_EQ(response.status, 200);
    EXPECT_EQ(platform::testing::TestHarness::BodyOf(response), "D,X\n1,a\n");
    EXPECT_EQ(HeaderOf(response, "Content-Disposition"), "attachment; filename=\"userdata.csv\"");
    const std::string url = file->URL();
    file.reset();
    EXPECT_EQ(viewer.harness.Get(url).status, 404);
}
