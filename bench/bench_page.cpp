// What pages and sessions cost the daemon, each figure beside a reference measured in
// the same run:
//  - a page open (index pass, date list, last date shown, first paint) on 100 MB and 1 GB
//    logs, against a plain read-and-memchr of the same file, and the memory it takes;
//  - a date of a million records: its first rows, rows far into it, and what it holds;
//  - an idle session, and the memory left after 1,000 sessions came and went;
//  - date choices of 50 browsers at once over real sockets, against a 304 answer on the
//    same kind of connection.
//
//   bench_page [size in MB ...] [--only=opens|date|sessions|choices]   (default: 100 1000, all)
#include <boost/asio.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/websocket.hpp>

#include <algorithm>
#include <atomic>
#include <barrier>
#include <nlohmann/json.hpp>
#include <thread>

#include "SyntheticLog.h"
#include "app/App.h"
#include "app/Session.h"
#include "logview/pgLog.h"
#include "platform/http/Channel.h"
#include "platform/http/HttpServer.h"
#include "platform/runtime/Memory.h"
#include "platform/session/SessionRegistry.h"
#include "platform/testing/TestHarness.h"
#include "platform/web/Gateway.h"

namespace {

using namespace bench;
namespace net = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
namespace websocket = beast::websocket;
using tcp = net::ip::tcp;
using Harness = platform::testing::TestHarness;

// The highest resident memory above the start, sampled every 2 ms while it lives.
class PeakSampler {
public:
    PeakSampler() : base_(RssMiB()), thread_([this] {
        while (!stop_) {
            peak_ = std::max(peak_.load(), RssMiB());
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }) {}
    double Stop() {
        stop_ = true;
        thread_.join();
        return std::max(peak_.load(), RssMiB()) - base_;
    }

private:
    double base_;
    std::atomic<double> peak_{0};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// Ends the sessions as the sweeper would and waits until their pages are freed.
void EndSessions(App& app, std::vector<std::shared_ptr<platform::WebSession>>& sessions) {
    std::vector<std::weak_ptr<platform::WebSession>> watch(sessions.begin(), sessions.end());
    for (auto& s : sessions) s->MarkDetached();
    sessions.clear();
    app.Sessions().Sweep(platform::session::Clock::now() + std::chrono::hours(1));
    for (auto& w : watch)
        while (!w.expired()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    platform::ReturnFreeMemory();
}

void PageOpens(App& app, Harness& harness, const fs::path& log, const std::vector<std::uint64_t>& sizes) {
    std::printf("page open (index, dates, last date shown, first paint), best of 3\n");
    std::printf("%10s %10s %12s %7s %12s\n", "size", "open s", "reference s", "ratio", "memory MiB");
    for (const std::uint64_t megabytes : sizes) {
        const std::uint64_t bytes = WriteLog(log, megabytes * 1000 * 1000, "\n");
        ReadAndCount(log);  // into the page cache, for both measurements alike
        double open = 1e9, reference = 1e9, memory = 0;
        for (int round = 0; round < 3; ++round) {
            auto start = Clock::now();
            if (ReadAndCount(log) == 0) std::fprintf(stderr, "empty log\n");
            reference = std::min(reference, Seconds(Clock::now() - start));
            std::vector<std::shared_ptr<platform::WebSession>> sessions{harness.NewSession()};
            PeakSampler sampler;
            start = Clock::now();
            const auto channel = harness.Connect(*sessions[0]);
            open = std::min(open, Seconds(Clock::now() - start));
            memory = std::max(memory, sampler.Stop());
            if (!channel->WaitFor(R"("t":"page")", std::chrono::seconds(0))) std::fprintf(stderr, "no page\n");
            EndSessions(app, sessions);
        }
        std::printf("%7.0f MB %10.3f %12.3f %7.2f %12.1f\n", static_cast<double>(bytes) / 1e6, open, reference,
                    open / reference, memory);
        std::fflush(stdout);
    }
}

void MillionRecordDate(App& app, Harness& harness, const fs::path& log) {
    const std::uint64_t bytes = WriteLog(log, 130ull * 1000 * 1000, "\r\n", true);
    std::ofstream(log, std::ios::app) << "2099-12-31,the last date\r\n";
    ReadAndCount(log);
    auto start = Clock::now();
    ReadAndCount(log);
    const double reference = Seconds(Clock::now() - start);

    std::vector<std::shared_ptr<platform::WebSession>> sessions{harness.NewSession()};
    auto& session = *sessions[0];
    const auto channel = harness.Connect(session);  // opens on the last, small date
    const double before = RssMiB();
    auto timed = [&](const char* control, const char* event, const std::string& value) {
        channel->TakeMessages();
        const auto t0 = Clock::now();
        harness.Raise(session, control, event, value);
        const double seconds = Seconds(Clock::now() - t0);
        std::size_t sent = 0;
        for (const auto& m : channel->TakeMessages()) sent += m.size();
        return std::pair{seconds, sent};
    };
    const auto [first, sentFirst] = timed("lbDates", "SelectionChanged", "0");
    const int rows = harness.Within(session, [&] { return dynamic_cast<Session&>(session).pgLog().lbData->RowCount(); });
    const auto [last, sentLast] = timed("lbData", "Rows", std::to_string(rows - 300));
    const double middle = timed("lbData", "Rows", std::to_string(rows / 2)).first;
    platform::ReturnFreeMemory();
    const double held = RssMiB() - before;
    std::printf("\none date of %d records (%.0f MB), read-and-memchr of the file %.3f s:\n", rows,
                static_cast<double>(bytes) / 1e6, reference);
    std::printf("  chosen, first rows sent: %.3f s (%.1f KiB)\n", first, static_cast<double>(sentFirst) / 1024);
    std::printf("  its last rows, first time there: %.3f s (%.1f KiB); its middle afterwards: %.4f s\n", last,
                static_cast<double>(sentLast) / 1024, middle);
    std::printf("  held on the server while shown: %.1f MiB\n", held);
    std::fflush(stdout);
    EndSessions(app, sessions);
}

// A browser's channel that keeps nothing but whether its page came, so that only the
// daemon's own memory is counted.
class QuietChannel final : public platform::http::Channel {
public:
    void Send(std::string message) override {
        if (message.find(R"("t":"page")") != std::string::npos) painted = true;
    }
    void Close() override {}
    std::atomic<bool> painted{false};
};

// A session whose page is made and shown on the daemon's own threads, as a browser's would be.
std::shared_ptr<platform::WebSession> OpenQuietly(Harness& harness, platform::Gateway& gateway) {
    auto session = harness.NewSession();
    platform::http::HttpRequest request;
    request.path = "/_ws";
    request.query["s"] = session->Identifier();
    auto channel = std::make_shared<QuietChannel>();
    gateway.OpenChannel(request, channel);
    while (!channel->painted) std::this_thread::sleep_for(std::chrono::microseconds(200));
    return session;
}

void SessionMemory(App& app, Harness& harness, const fs::path& log, const fs::path& sample) {
    fs::copy_file(sample, log, fs::copy_options::overwrite_existing);
    platform::Gateway gateway(app);
    std::vector<std::shared_ptr<platform::WebSession>> sessions{OpenQuietly(harness, gateway)};  // one-time costs first
    EndSessions(app, sessions);
    const double start = RssMiB();

    for (int round = 0; round < 10; ++round) {
        // Opened 10 at a time, so that the worker threads all take part.
        for (int i = 0; i < 100; i += 10) {
            std::vector<std::thread> opening;
            std::mutex mutex;  // guards sessions; leaf lock
            for (int k = 0; k < 10; ++k)
                opening.emplace_back([&] {
                    auto session = OpenQuietly(harness, gateway);
                    std::lock_guard lock(mutex);
                    sessions.push_back(std::move(session));
                });
            for (auto& t : opening) t.join();
        }
        EndSessions(app, sessions);
    }
    const double cameAndWent = RssMiB() - start;

    constexpr int kIdle = 200;
    const double beforeIdle = RssMiB();
    for (int i = 0; i < kIdle; ++i) sessions.push_back(OpenQuietly(harness, gateway));
    platform::ReturnFreeMemory();
    const double idle = (RssMiB() - beforeIdle) * 1024 / kIdle;
    EndSessions(app, sessions);
    std::printf("\nsessions on the sample log: after 1,000 came and went (100 at a time) the daemon holds %.1f MiB "
                "more than before them (%.1f MiB then); an idle one costs %.0f KiB, its page's controls included\n",
                cameAndWent, start, idle);
    std::fflush(stdout);
}

// One browser over real sockets: its page, its date list, and a kept-alive HTTP connection.
class Browser {
public:
    explicit Browser(const tcp::endpoint& server) : http_(io_), ws_(io_), server_(server) {
        http_.connect(server);
        http_.set_option(tcp::no_delay(true));
        const auto page = Get("/", "");
        const auto at = page.body().find("data-session=\"") + 14;
        const std::string id = page.body().substr(at, page.body().find('"', at) - at);
        ws_.next_layer().connect(server);
        ws_.next_layer().set_option(tcp::no_delay(true));
        ws_.handshake("127.0.0.1", "/_ws?s=" + id);
        for (;;) {
            const auto message = nlohmann::json::parse(Read());
            if (message["t"] != "page") continue;
            for (const auto& c : message["controls"])
                if (c.value("name", "") == "lbDates") {
                    dates_ = c["id"];
                    rows_ = c["rows"]["count"];
                    chosen_ = c.value("listIndex", -1);
                }
            return;
        }
    }

    // Seconds from sending a date choice to the table's new rows.
    double Choose(int row) {
        if (row == chosen_) row = (row + 1) % rows_;
        chosen_ = row;
        const auto start = Clock::now();
        ws_.write(net::buffer(nlohmann::json{{"t", "event"}, {"id", dates_}, {"name", "SelectionChanged"}, {"value", row}}.dump()));
        while (Read().find("\"rows\"") == std::string::npos) {}
        return Seconds(Clock::now() - start);
    }
    // Seconds for a 304 answer on the kept-alive connection.
    double Revalidate() {
        const auto start = Clock::now();
        Get("/_client/framework.css", etag_);
        return Seconds(Clock::now() - start);
    }
    int Rows() const { return rows_; }

private:
    http::response<http::string_body> Get(const std::string& target, const std::string& etag) {
        http::request<http::empty_body> request{http::verb::get, target, 11};
        request.set(http::field::host, "127.0.0.1");
        if (!etag.empty()) request.set(http::field::if_none_match, etag);
        http::write(http_, request);
        http::response<http::string_body> response;
        http::read(http_, buffer_, response);
        if (target != "/") return response;
        if (etag_.empty()) {
            http::request<http::empty_body> css{http::verb::get, "/_client/framework.css", 11};
            css.set(http::field::host, "127.0.0.1");
            http::write(http_, css);
            http::response<http::string_body> got;
            http::read(http_, buffer_, got);
            etag_ = std::string(got[http::field::etag]);
        }
        return response;
    }
    std::string Read() {
        beast::flat_buffer buffer;
        ws_.read(buffer);
        return beast::buffers_to_string(buffer.data());
    }

    net::io_context io_;
    tcp::socket http_;
    websocket::stream<tcp::socket> ws_;
    tcp::endpoint server_;
    beast::flat_buffer buffer_;
    std::string dates_, etag_;
    int rows_ = 0;
    int chosen_ = -1;
};

double Percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(p * static_cast<double>(values.size() - 1))];
}

// kBrowsers browsers, each choosing kChoices dates in turn with a revalidation between.
void DateChoices(const tcp::endpoint& endpoint, int kBrowsers, int kChoices) {
    std::vector<double> choices, revalidations;
    std::mutex mutex;  // guards the two lists; leaf lock
    std::barrier ready(kBrowsers);
    std::vector<std::thread> browsers;
    for (int b = 0; b < kBrowsers; ++b)
        browsers.emplace_back([&, b] {
            Browser browser(endpoint);
            std::vector<double> mine, theirs;
            ready.arrive_and_wait();
            for (int i = 0; i < kChoices; ++i) {
                mine.push_back(browser.Choose((b * 7 + i * 13) % browser.Rows()));
                theirs.push_back(browser.Revalidate());
            }
            std::lock_guard lock(mutex);
            choices.insert(choices.end(), mine.begin(), mine.end());
            revalidations.insert(revalidations.end(), theirs.begin(), theirs.end());
        });
    for (auto& t : browsers) t.join();
    std::printf("%3d browsers choosing dates at once over loopback (%zu choices): p50 %5.1f ms, p99 %5.1f ms; "
                "reference, a 304 answer on the same kind of connection: p50 %.2f ms, p99 %.2f ms\n",
                kBrowsers, choices.size(), Percentile(choices, 0.5) * 1000, Percentile(choices, 0.99) * 1000,
                Percentile(revalidations, 0.5) * 1000, Percentile(revalidations, 0.99) * 1000);
}

void DateChoices(App& app, const fs::path& log) {
    WriteLog(log, 20ull * 1000 * 1000, "\n");
    platform::Gateway gateway(app);
    platform::http::HttpServer server(gateway);
    server.Bind(0);
    server.Listen();
    std::thread serving([&] { server.Run(2); });
    const tcp::endpoint endpoint(net::ip::make_address("127.0.0.1"), server.BoundPort());
    std::printf("\ndate choices on a 20 MB log (dates of 2,000 to 4,000 records):\n");
    DateChoices(endpoint, 1, 200);
    DateChoices(endpoint, 50, 40);
    server.Stop();
    serving.join();
    app.Sessions().EndAll();
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::uint64_t> sizes;
    std::string only;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument.rfind("--only=", 0) == 0) only = argument.substr(7);
        else sizes.push_back(std::stoull(argument));
    }
    const auto wanted = [&](const char* section) { return only.empty() || only == section; };
    if (sizes.empty()) sizes = {100, 1000};
    platform::TuneMemoryForServer();  // as the daemon does

    const fs::path sample = fs::absolute(fs::path(argv[0])).parent_path() / "../../examples/sample/mnt/pen/userdata.csv";
    const fs::path folder = fs::temp_directory_path() / ("brix-bench-" + std::to_string(::getpid()));
    fs::create_directories(folder / "mnt" / "pen");
    const fs::path log = folder / "mnt" / "pen" / "userdata.csv";
    platform::SetFileSystemRoot(folder.string());
    {
        App app;
        StoreVersionData(app);
        Harness harness(app, Harness::Settings(8, 2000));
        if (wanted("opens")) PageOpens(app, harness, log, sizes);
        if (wanted("date")) MillionRecordDate(app, harness, log);
        if (wanted("sessions"))
            SessionMemory(app, harness, log, fs::exists(sample) ? sample : fs::path("examples/sample/mnt/pen/userdata.csv"));
        if (wanted("choices")) DateChoices(app, log);
    }
    fs::remove_all(folder);
    return 0;
}
