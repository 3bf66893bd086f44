#pragma once
// Synthetic logs and measurements shared by the benchmarks.
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

namespace bench {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

inline double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// A log of about `bytes` bytes, lines ended by terminator: a heading of 21 fields, then
// records whose dates come in runs of 2,000 to 4,000 lines; the first run has exactly 2,000.
// With oneDate every record has the same date.
inline std::uint64_t WriteLog(const fs::path& path, std::uint64_t bytes, const char* terminator, bool oneDate = false) {
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
inline std::uint64_t ReadAndCount(const fs::path& path) {
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

// The resident memory of the process now.
inline double RssMiB() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

}  // namespace bench
