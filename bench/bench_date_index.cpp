// Times the date index pass over synthetic logs against a plain read-and-memchr of the
// same file in the same run, and the filling of the table for one date of 2,000 lines.
// Then one date of a million records: the time to show it, the memory its rows take,
// and the size of what goes to the browser.
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

#include "app/App.h"
#include "app/Session.h"
#include "logview/pgLog.h"
#include "platform/runtime/FolderItem.h"
#include "platform/session/SessionRegistry.h"
#include "platform/testing/TestHarness.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// A log of about `bytes` bytes, lines ended by terminator: a heading of 21 fields, then
// records whose dates come in runs of 2,000 to 4,000 lines; the first run has exactly 2,000.
// With oneDate every record has the same date.
std::uint64_t WriteLog(const fs::path& path, std::uint64_t bytes, const char* terminator, bool oneDate = false) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::string line = "Date,Time,Sample,Brix,Temp C,RI,Batch,Operator,Product,Tank,Line,Status,Min,Max,Corrected,"
                       "Ambient,Pressure,Flow,pH,Density,Notes";
    line += terminator;
    std::uint64_t written = 0;
    std::uint32_t seed = 12345;
    int day = 0;
    while (written < bytes) {
        const int run = oneDate ? INT_MAX
                        : day == 0 ? 2000
                                   : 2000 + static_cast<int>((seed = seed * 1103515245 + 12345) % 2001);
        char date[16];
        std::snprintf(date, sizeof date, "2026-%02d-%02d", 1 + (day / 28) % 12, 1 + day % 28);
        for (int i = 0; i < run && written < bytes; ++i) {
            char record[256];
            const int n = std::snprintf(record, sizeof record,
                                        "%s,%02d:%02d:%02d,%d,%d.%02d,%d.%d,1.3%04d,B%03d,J. Ortiz,Orange Juice,T%d,L%d,"
                                        "OK,11.0,13.0,12.%02d,21.%d,%d,%d.%d,3.%02d,1.04%02d,%s",
                                        date, i / 3600 % 24, i / 60 % 60, i % 60, i, 10 + i % 4, i % 100, 18 + i % 6,
                                        i % 10, 5000 + i % 999, day % 1000, 1 + i % 6, 1 + i % 3, i % 100, i % 10,
                                        180 + i % 60, 40 + i % 20, i % 10, i % 100, i % 100, terminator);
            line.append(record, static_cast<std::size_t>(n));
            if (line.size() > (1 << 20)) {
                out.write(line.data(), static_cast<std::streamsize>(line.size()));
                written += line.size();
                line.clear();
            }
        }
        ++day;
    }
    out.write(line.data(), static_cast<std::streamsize>(line.size()));
    written += line.size();
    return written;
}

// The reference: the file read in the stream's buffer size, every line feed found with memchr.
std::uint64_t ReadAndCount(const fs::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    std::vector<char> buffer(256 * 1024);
    std::uint64_t lines = 0;
    for (;;) {
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n <= 0) break;
        const char* p = buffer.data();
        const char* end = p + n;
        while ((p = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p))))) {
            ++lines;
            ++p;
        }
    }
    ::close(fd);
    return lines;
}

double RssMiB() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

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

    std::printf("%10s %6s %10s %12s %12s %7s %8s %14s %10s\n", "size", "ends", "lines", "index s", "reference s",
                "ratio", "blocks", "fill 2000 ms", "peak MiB");
    for (const std::uint64_t megabytes : sizes)
    for (const char* terminator : {"\n", "\r\n"}) {
        const fs::path log = folder / "userdata.csv";
        const std::uint64_t bytes = WriteLog(log, megabytes * 1000 * 1000, terminator);
        ReadAndCount(log);  // into the page cache, for both measurements alike

        double reference = 1e9, index = 1e9, fill = 1e9;
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
                for (const auto& b : page.block) page.lbDates->AddRow({b.logDate});
                start = Clock::now();
                page.lbDates->SetListIndex(0);
                fill = std::min(fill, Seconds(Clock::now() - start) * 1000);
                if (page.lbData->RowCount() != 2000) std::fprintf(stderr, "unexpected row count\n");
            });
            // Never attached, so past its grace period it is swept like an abandoned browser.
            app.Sessions().Sweep(platform::session::Clock::now() + std::chrono::hours(1));
        }
        std::printf("%7.0f MB %6s %10llu %12.3f %12.3f %7.2f %8zu %14.2f %10ld\n", static_cast<double>(bytes) / 1e6,
                    terminator[0] == '\r' ? "CR LF" : "LF", static_cast<unsigned long long>(lines), index,
                    reference, index / reference, blocks, fill, PeakRssMiB());
        std::fflush(stdout);
        fs::remove(log);
    }

    // One date of a million records, chosen in a browser's session.
    {
        const fs::path log = folder / "userdata.csv";
        WriteLog(log, 128ull * 1000 * 1000, "\r\n", true);
        auto session = std::dynamic_pointer_cast<Session>(harness.NewSession());
        const auto channel = harness.Connect(*session);
        harness.Within(*session, [&] {
            pgLog& page = session->pgLog();
            page.logStream = platform::TextInputStream::Open(platform::FolderItem("/userdata.csv"));
            page.CreateBlockArray();
            for (const auto& b : page.block) page.lbDates->AddRow({b.logDate});
        });
        channel->TakeMessages();
        const double before = RssMiB();
        const auto start = Clock::now();
        harness.Raise(*session, "lbDates", "SelectionChanged", "0");
        const double seconds = Seconds(Clock::now() - start);
        const int rows = harness.Within(*session, [&] { return session->pgLog().lbData->RowCount(); });
        std::size_t sent = 0;
        for (const auto& message : channel->TakeMessages()) sent += message.size();
        const double grown = RssMiB() - before;
        std::printf("\none date of %d records (%.0f MB): shown in %.2f s; its rows hold %.1f MiB (%.0f bytes a row); "
                    "%.1f KiB sent to the browser\n",
                    rows, static_cast<double>(fs::file_size(log)) / 1e6, seconds, grown, grown * 1048576.0 / rows,
                    static_cast<double>(sent) / 1024.0);
        fs::remove(log);
    }
    fs::remove_all(folder);
    return 0;
}
