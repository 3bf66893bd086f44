// Times the date index pass over synthetic logs against a plain read-and-memchr of the
// same file in the same run. (Page opens, sessions and huge dates: bench_page.)
//
//   bench_date_index [size in MB ...]      (default: 100 1000)
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "SyntheticLog.h"
#include "app/App.h"
#include "app/Session.h"
#include "logview/pgLog.h"
#include "platform/runtime/FolderItem.h"
#include "platform/session/SessionRegistry.h"
#include "platform/testing/TestHarness.h"

namespace {

using namespace bench;

long PeakRssMiB() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::uint64_t> sizes;
    for (int i = 1; i < argc; ++i) sizes.push_back(std::stoull(argv[i]));
    if (sizes.empty()) sizes = {100, 1000};

    const fs::path folder = fs::temp_directory_path() / ("brix-bench-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    // "/" is the folder: no drive there, so pages open empty, and "/userdata.csv" is the log.
    platform::SetFileSystemRoot(folder.string());
    App app;
    platform::testing::TestHarness harness(app);

    std::printf("%10s %6s %10s %12s %12s %7s %8s %10s\n", "size", "ends", "lines", "index s", "reference s",
                "ratio", "blocks", "peak MiB");
    for (const std::uint64_t megabytes : sizes)
    for (const char* terminator : {"\n", "\r\n"}) {
        const fs::path log = folder / "userdata.csv";
        const std::uint64_t bytes = WriteLog(log, megabytes * 1000 * 1000, terminator);
        ReadAndCount(log);  // into the page cache, for both measurements alike

        double reference = 1e9, index = 1e9;
        std::size_t blocks = 0;
        std::uint64_t lines = 0;
        for (int round = 0; round < 3; ++round) {
            auto start = Clock::now();
            // The count is printed: unused, the pure memchr calls could be optimised away.
            lines = ReadAndCount(log);
            reference = std::min(reference, Seconds(Clock::now() - start));

            auto session = std::dynamic_pointer_cast<Session>(harness.NewSession());
            harness.Within(*session, [&] {
                pgLog& page = session->pgLog();
                page.logStream = platform::TextInputStream::Open(platform::FolderItem("/userdata.csv"));
                start = Clock::now();
                page.CreateBlockArray();
                index = std::min(index, Seconds(Clock::now() - start));
                blocks = page.block.size();
            });
            // Never attached, so past its grace period it is swept like an abandoned browser.
            app.Sessions().Sweep(platform::session::Clock::now() + std::chrono::hours(1));
        }
        std::printf("%7.0f MB %6s %10llu %12.3f %12.3f %7.2f %8zu %10ld\n", static_cast<double>(bytes) / 1e6,
                    terminator[0] == '\r' ? "CR LF" : "LF", static_cast<unsigned long long>(lines), index,
                    reference, index / reference, blocks, PeakRssMiB());
        std::fflush(stdout);
        fs::remove(log);
    }

    fs::remove_all(folder);
    return 0;
}
