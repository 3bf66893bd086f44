// libFuzzer target: whatever a hostile browser sends on its channel is ignored or handled,
// never a crash, on a log page opened from a log the fuzzer also writes.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/App.h"
#include "app/Session.h"
#include "platform/runtime/FolderItem.h"
#include "platform/session/SessionRegistry.h"
#include "platform/testing/TestHarness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::filesystem::path root = [] {
        auto path = std::filesystem::temp_directory_path() / "brix-fuzz";
        std::filesystem::create_directories(path / "mnt" / "pen");
        platform::SetFileSystemRoot(path.string());
        return path;
    }();
    static App app;
    static platform::testing::TestHarness harness(app);

    const std::string input(reinterpret_cast<const char*>(data), size);
    const auto split = input.find('\0');
    std::ofstream(root / "mnt" / "pen" / "userdata.csv", std::ios::binary | std::ios::trunc)
        << input.substr(0, split);
    auto session = harness.NewSession(split == std::string::npos ? "" : input.substr(split + 1, 64));
    harness.Connect(*session);
    std::string rest = split == std::string::npos ? "" : input.substr(split + 1);
    for (int id = 0; id < 80 && !rest.empty(); ++id) {
        const auto newline = rest.find('\n');
        harness.Message(*session, rest.substr(0, newline));
        rest = newline == std::string::npos ? "" : rest.substr(newline + 1);
    }
    session->MarkDetached();
    app.Sessions().Sweep(platform::session::Clock::now() + std::chrono::hours(1));
    return 0;
}
