#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <thread>
#include <tuple>

#include "../TestSupport.h"
#include "platform/http/HttpServer.h"
#include "platform/web/Gateway.h"
#include "platform/web/WebFile.h"

namespace {

// The real server on a free loopback port, with a one-second read deadline.
struct LiveServer {
    brixtest::TempRoot root;
    brixtest::Viewer viewer;
    platform::Gateway gateway{viewer.app};
    platform::http::HttpServer server{gateway, Limits()};
    std::thread thread;

    static platform::http::ServerLimits Limits() {
        platform::http::ServerLimits limits;
        limits.readTimeoutSeconds = 1;
        limits.stallTimeoutSeconds = 1;
        limits.channelIdleSeconds = 1;
        return limits;
    }
    LiveServer() {
        server.Bind(0);
        server.Listen();
        thread = std::thread([this] { server.Run(1); });
    }
    ~LiveServer() {
        server.Stop();
        thread.join();
        // Sessions hold their channels, whose sockets belong to the server: they go first,
        // as they do in the daemon.
        viewer.app.StopServices();
    }

    int Connect() const {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(server.BoundPort());
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        EXPECT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        return fd;
    }
};

void SendAll(int fd, const std::string& text) { ASSERT_EQ(::send(fd, text.data(), text.size(), 0), ssize_t(text.size())); }

// What the server sends until it closes or goes quiet for the given time.
std::string Receive(int fd, int quietMs = 10000) {
    std::string got;
    char buffer[65536];
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, quietMs) <= 0) return got;
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) return got + "<closed>";
        got.append(buffer, static_cast<std::size_t>(n));
    }
}

}  // namespace

TEST(HttpServer, AnswersInOrderOnOneConnectionAndClosesASilentOne) {
    LiveServer live;
    const int fd = live.Connect();
    SendAll(fd, "GET /_client/framework.css HTTP/1.1\r\nHost: localhost\r\n\r\nHEAD /nothing HTTP/1.1\r\nHost: localhost\r\n\r\n");
    const std::string answers = Receive(fd, 500);
    EXPECT_EQ(answers.rfind("HTTP/1.1 200 OK\r\n", 0), 0u) << answers.substr(0, 200);
    EXPECT_NE(answers.find("HTTP/1.1 404 Not Found\r\n"), std::string::npos);
    EXPECT_EQ(answers.find("<closed>"), std::string::npos) << "kept alive";
    // Then silence: the deadline ends the connection.
    EXPECT_EQ(Receive(fd), "<closed>");
    ::close(fd);

    const int slow = live.Connect();
    SendAll(slow, "GET / HTTP/1.1\r\nHost:");  // and never the rest
    EXPECT_EQ(Receive(slow), "<closed>");
    ::close(slow);
}

TEST(HttpServer, RefusesOversizedHeadersForeignChannelsAndOtherMethods) {
    LiveServer live;
    struct Case {
        std::string request;
        std::string status;
    };
    for (const auto& c : std::vector<Case>{
             {"GET / HTTP/1.1\r\nHost: localhost\r\nX-Big: " + std::string(70000, 'a') + "\r\n\r\n", "HTTP/1.1 413"},
             {"GET /_ws?s=abc HTTP/1.1\r\nHost: dev:1\r\nOrigin: http://evil.example\r\nConnection: Upgrade\r\n"
              "Upgrade: websocket\r\nSec-WebSocket-Version: 13\r\nSec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n\r\n",
              "HTTP/1.1 403"},
             {"POST / HTTP/1.1\r\nHost: localhost\r\nContent-Length: 2\r\n\r\nhi", "HTTP/1.1 405"},
             {"NONSENSE\r\n\r\n", "HTTP/1.1 400"},
         }) {
        const int fd = live.Connect();
        SendAll(fd, c.request);
        const std::string answer = Receive(fd, 3000);
        EXPECT_EQ(answer.rfind(c.status, 0), 0u) << c.request.substr(0, 60) << " -> " << answer.substr(0, 80);
        ::close(fd);
    }
}

namespace {

// The headers of an answer, and its body after them.
std::pair<std::string, std::string> Split(const std::string& answer) {
    const auto end = answer.find("\r\n\r\n");
    if (end == std::string::npos) return {answer, ""};
    return {answer.substr(0, end + 4), answer.substr(end + 4)};
}

}  // namespace

TEST(HttpServer, ADownloadIsStreamedWholeOrBrokenOffAndAStalledReaderIsDropped) {
    LiveServer live;
    live.root.MakeDrive();
    const std::uint64_t size = 48ull << 20;  // more than the socket buffers hold, sparse on disk
    std::filesystem::resize_file((std::ofstream(live.root.LogPath()), live.root.LogPath()), size);
    const auto file = platform::WebFile::Open(platform::FolderItem("/mnt/pen/userdata.csv"), true);
    const std::string request = "GET " + file->URL() + " HTTP/1.1\r\nHost: localhost\r\n\r\n";

    // Whole, in chunks, with its length announced; the connection stays for the next request.
    int fd = live.Connect();
    SendAll(fd, request);
    auto [head, body] = Split(Receive(fd, 500));
    EXPECT_NE(head.find("Content-Length: " + std::to_string(size)), std::string::npos) << head;
    EXPECT_EQ(body.size(), size);
    EXPECT_EQ(body.find_first_not_of('\0'), std::string::npos);
    ::close(fd);

    // A reader that takes nothing for longer than the stall deadline is dropped.
    fd = live.Connect();
    SendAll(fd, request);
    std::this_thread::sleep_for(std::chrono::milliseconds(2500));
    std::tie(head, body) = Split(Receive(fd, 3000));
    EXPECT_LT(body.size(), size);
    EXPECT_EQ(body.substr(body.size() - 8), "<closed>");
    ::close(fd);

    // The file became shorter than it was when published: nothing of it, and a broken transfer.
    std::filesystem::resize_file(live.root.LogPath(), 1000);
    fd = live.Connect();
    SendAll(fd, request);
    std::tie(head, body) = Split(Receive(fd, 3000));
    EXPECT_NE(head.find("Content-Length: " + std::to_string(size)), std::string::npos) << head;
    EXPECT_EQ(body, "<closed>");
    ::close(fd);
}

TEST(HttpServer, AChannelWhosePeerAnswersNoPingIsClosed) {
    LiveServer live;
    const auto session = live.viewer.NewSession();
    const int fd = live.Connect();
    SendAll(fd, "GET /_ws?s=" + session->Identifier() +
                    " HTTP/1.1\r\nHost: localhost\r\nConnection: Upgrade\r\nUpgrade: websocket\r\n"
                    "Sec-WebSocket-Version: 13\r\nSec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n\r\n");
    // The page comes, then pings that this peer never answers, then the end.
    const auto start = std::chrono::steady_clock::now();
    const std::string got = Receive(fd, 10000);
    EXPECT_EQ(got.rfind("HTTP/1.1 101", 0), 0u) << got.substr(0, 40);
    EXPECT_EQ(got.substr(got.size() - 8), "<closed>");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(8));
    // The server learns of the end a moment after the peer does; then the session lets go.
    for (int i = 0; i < 500 && !session->IdleSince(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(session->IdleSince()) << "the session was told its channel closed";
    ::close(fd);
}

// A browser that offers compression gets its messages compressed (the first frame, the page,
// has RSV1 set), with the small windows the server asks for; one that does not, plain frames.
TEST(HttpServer, ChannelMessagesAreCompressedWhenTheBrowserOffersIt) {
    LiveServer live;
    for (const bool offer : {true, false}) {
        const auto session = live.viewer.NewSession();
        const int fd = live.Connect();
        SendAll(fd, "GET /_ws?s=" + session->Identifier() +
                        " HTTP/1.1\r\nHost: localhost\r\nConnection: Upgrade\r\nUpgrade: websocket\r\n"
                        "Sec-WebSocket-Version: 13\r\nSec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n" +
                        std::string(offer ? "Sec-WebSocket-Extensions: permessage-deflate; client_max_window_bits\r\n" : "") +
                        "\r\n");
        const std::string got = Receive(fd, 500);
        const auto end = got.find("\r\n\r\n");
        ASSERT_NE(end, std::string::npos) << got.substr(0, 80);
        const std::string head = got.substr(0, end);
        EXPECT_EQ(head.rfind("HTTP/1.1 101", 0), 0u);
        EXPECT_EQ(head.find("permessage-deflate") != std::string::npos, offer) << head;
        if (offer) {
            EXPECT_NE(head.find("client_max_window_bits=12"), std::string::npos) << head;
        }
        ASSERT_GT(got.size(), end + 4);
        EXPECT_EQ(static_cast<unsigned char>(got[end + 4]), offer ? 0xC1 : 0x81) << "FIN, RSV1 when compressed, text";
        ::close(fd);
        // The session lets go of its channel once the server has seen the close; one still
        // holding it at teardown would outlive the server's sockets.
        for (int i = 0; i < 500 && !session->IdleSince(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        EXPECT_TRUE(session->IdleSince());
    }
}

// Out of descriptors, a failed accept must not be retried at once for ever: that burns a
// core and starves everything else. The loop pauses, and serves again once some are free.
TEST(HttpServer, OutOfDescriptorsTheAcceptLoopPausesInsteadOfSpinning) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    // The sanitizers' own checks need descriptors too, and report falsely without them.
    GTEST_SKIP() << "not under a sanitizer";
#endif
    LiveServer live;
    std::vector<int> clients;
    for (int i = 0; i < 12; ++i) clients.push_back(::socket(AF_INET, SOCK_STREAM, 0));
    int open = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) ++open;
    rlimit old{};
    ::getrlimit(RLIMIT_NOFILE, &old);
    rlimit low = old;
    low.rlim_cur = static_cast<rlim_t>(open + 2);  // room for a couple of accepts, no more
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &low), 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(live.server.BoundPort());
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    for (const int fd : clients) ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);

    rusage before{}, after{};
    ::getrusage(RUSAGE_SELF, &before);
    std::this_thread::sleep_for(std::chrono::seconds(1));
    ::getrusage(RUSAGE_SELF, &after);
    const auto seconds = [](const rusage& u) {
        return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
               static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
    };
    ::setrlimit(RLIMIT_NOFILE, &old);
    EXPECT_LT(seconds(after) - seconds(before), 0.3) << "the accept loop spun";
    for (const int fd : clients) ::close(fd);

    const int fd = live.Connect();
    SendAll(fd, "GET /_client/framework.css HTTP/1.1\r\nHost: localhost\r\n\r\n");
    EXPECT_EQ(Receive(fd, 2000).rfind("HTTP/1.1 200", 0), 0u) << "it serves again";
    ::close(fd);
}

// With an address the port is claimed on that address alone: another address keeps it free.
TEST(HttpServer, ListensOnOneAddressWhenGivenOne) {
    brixtest::TempRoot root;
    brixtest::Viewer viewer;
    platform::Gateway gateway{viewer.app};
    platform::http::HttpServer one{gateway}, other{gateway}, everywhere{gateway};
    one.Bind(0, "127.0.0.1");
    one.Listen();
    EXPECT_NO_THROW(other.Bind(one.BoundPort(), "127.0.0.2"));
    EXPECT_THROW(everywhere.Bind(one.BoundPort()), std::runtime_error);
    platform::http::HttpServer unknown{gateway};
    EXPECT_THROW(unknown.Bind(0, "device.local"), std::runtime_error);
}
