// libFuzzer target: whatever a hostile browser sends on its channel is ignored or handled,
// never a crash. One log page per log shape is opened once and kept, as a browser's session
// keeps its page, so inputs go to the handlers instead of to page opens; each session
// numbers its controls from c1, so the dictionary's ids name live controls.
//
// An input: its first byte picks the page (the log shape), then one message per line.
// State carries over between inputs as it does in a session; every page is made afresh
// after kInputsPerPage inputs, so a fault that needs history is found near its cause.
#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>

#include "app/App.h"
#include "app/Session.h"
#include "platform/runtime/FolderItem.h"
#include "platform/session/SessionRegistry.h"
#include "platform/testing/TestHarness.h"

namespace {

namespace fs = std::filesystem;
using platform::testing::RecordingChannel;

constexpr int kMessagesPerInput = 80;
constexpr int kInputsPerPage = 2000;

std::string OrdinaryLog() {
    std::string log = "Date,Time,Sample,Brix,Temp,Mode,Operator,Batch,Line,Product,Density,Conc,Flow,"
                      "Valve,Alarm,Status,Shift,Note,Code,Check\r\n";
    for (int day = 1; day <= 3; ++day)
        for (int row = 0; row < 5; ++row)
            log += "2026-01-0" + std::to_string(day) + ",06:0" + std::to_string(row) +
                   ":00,S1,13.52,20.1,\"A, B\",op,7,2,Juice,1.05,12,3.5,open,,ok,1,\"say \"\"hi\"\"\",9,y\r\n";
    return log;
}

// Everything a drive may hold that is not a tidy log: a heading wider than the page shows,
// bytes that are not UTF-8, a NUL, CR-only and ragged lines, a date without records and
// one long enough that the table is sent in windows.
std::string HostileLog() {
    std::string log = "Date,Time";
    for (int i = 0; i < 300; ++i) log += ",h" + std::to_string(i);
    log += "\n2026-02-01,\xff\xfe\xc3,\"unclosed\r2026-02-02\r\r\n2026-02-03,a";
    log.push_back('\0');
    log += "b,\"\",,,\n,,,\n";
    for (int i = 0; i < 2000; ++i) log += "2026-02-04," + std::to_string(i) + ",<script>,&amp;\n";
    return log;
}

struct Shape {
    const char* name;
    std::string (*bytes)();  // null: no log on the drive
};
const std::array<Shape, 4> kShapes{{{"ordinary", OrdinaryLog},
                                    {"hostile", HostileLog},
                                    {"empty", [] { return std::string(); }},
                                    {"missing", nullptr}}};

class Pages {
public:
    Pages() : root_(fs::temp_directory_path() / "brix-fuzz"), harness_(app_) {
        fs::remove_all(root_);
        fs::create_directories(root_ / "mnt" / "pen");
        platform::SetFileSystemRoot(root_.string());
        for (std::size_t shape = 0; shape < kShapes.size(); ++shape) Open(shape);
    }

    void Send(std::uint8_t pick, std::string_view messages) {
        const std::size_t shape = pick % pages_.size();
        Page& page = pages_[shape];
        if (++page.inputs > kInputsPerPage || page.channel->Closed()) Open(shape);
        for (int i = 0; i < kMessagesPerInput && !messages.empty(); ++i) {
            const auto newline = messages.find('\n');
            harness_.Message(*page.session, std::string(messages.substr(0, newline)));
            messages = newline == std::string_view::npos ? std::string_view() : messages.substr(newline + 1);
        }
        page.channel->TakeMessages();
    }

private:
    struct Page {
        std::shared_ptr<platform::WebSession> session;
        std::shared_ptr<RecordingChannel> channel;
        int inputs = 0;
    };

    // Each log is put in place by rename, so a page keeps its own file while others open theirs.
    void Open(std::size_t shape) {
        Page& page = pages_[shape];
        if (page.session) {
            page.session->MarkDetached();
            app_.Sessions().Sweep(platform::session::Clock::now() + std::chrono::hours(1));
        }
        const fs::path log = root_ / "mnt" / "pen" / "userdata.csv";
        fs::remove(log);
        if (kShapes[shape].bytes) {
            const fs::path next = root_ / "mnt" / "pen" / kShapes[shape].name;
            std::ofstream(next, std::ios::binary | std::ios::trunc) << kShapes[shape].bytes();
            fs::rename(next, log);
        }
        page.session = harness_.NewSession();
        page.channel = harness_.Connect(*page.session);
        page.inputs = 0;
    }

    fs::path root_;
    App app_;
    platform::testing::TestHarness harness_;
    std::array<Page, kShapes.size()> pages_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Pages pages;
    if (size == 0) return 0;
    pages.Send(data[0], std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));
    return 0;
}
