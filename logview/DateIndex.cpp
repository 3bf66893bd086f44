#include <atomic>
#include <cstdio>
#include <string_view>

#include "logview/LineFields.h"
#include "logview/pgLog.h"
#include "platform/runtime/Yield.h"
#include "platform/web/Progress.h"

namespace {

// The date of the next record: the text before the first ",", without double quotes; the
// rest of the line is skipped unread into memory. A view of the stream's buffer when the
// date holds no quote, else of scratch.
std::string_view ReadDate(platform::TextInputStream& stream, std::string& scratch) {
    const std::string_view field = stream.ReadLineUntil(',', kLongestLine);
    if (field.find('"') == std::string_view::npos) return field;
    scratch = pgLog::StripQuotes(field);
    return scratch;
}

// Tells the browser waiting for the page how far the pass has come, looking at the clock
// only every few MiB so that the pass keeps its speed.
class ReadingProgress {
public:
    explicit ReadingProgress(platform::TextInputStream& stream) : stream_(stream), length_(stream.Length()) {}
    void Note() {
        if (stream_.PositionB() < next_) return;
        next_ = stream_.PositionB() + kStep;
        platform::ReportProgress(stream_.PositionB(), length_);
    }

private:
    static constexpr std::uint64_t kStep = 1 << 20;
    platform::TextInputStream& stream_;
    std::uint64_t length_;
    std::uint64_t next_ = kStep;
};

}  // namespace

void pgLog::CreateBlockArray() {
    platform::TextInputStream& stream = *logStream;
    // An empty file has no heading line: the lists keep the headings they have.
    if (stream.IsEOF()) return;

    std::vector<std::string> fields = SplitFields(stream.ReadLineView(kLongestLine));
    lbDates->SetHeading(0, StripQuotes(fields[0]));
    fields.erase(fields.begin());
    if (fields.size() > kMostColumns) {
        // No real log comes near it; a hostile heading of thousands of fields would make
        // as many columns, check boxes and cookies. The fields past it are not shown.
        static std::atomic<bool> noted{false};
        if (!noted.exchange(true)) {
            std::fprintf(stderr, "The log's heading names %zu columns; the first %zu are shown\n", fields.size(),
                         kMostColumns);
            std::fflush(stderr);
        }
        fields.resize(kMostColumns);
    }
    // A log with more data columns than the table gets them all, so no field is hidden.
    if (static_cast<int>(fields.size()) > lbData->ColumnCount())
        lbData->SetColumnCount(static_cast<int>(fields.size()));
    for (std::size_t i = 0; i < fields.size(); ++i) {
        fields[i] = StripQuotes(fields[i]);
        lbData->SetHeading(static_cast<int>(i), fields[i]);
        platform::YieldToPendingWork();
    }

    const auto p0 = static_cast<std::int64_t>(stream.PositionB());
    std::string scratch;
    std::string currentDate(ReadDate(stream, scratch));
    stream.SetPositionB(p0);

    std::int64_t runStart = p0;
    std::uint64_t runLines = 0;
    std::string sameDate = currentDate + ",";  // a line that begins so has the current date
    ReadingProgress progress(stream);
    while (!stream.IsEOF()) {
        const auto lineStart = static_cast<std::int64_t>(stream.PositionB());
        const std::string_view date = ReadDate(stream, scratch);
        if (date != currentDate) {
            block.push_back(dateBlock{currentDate, runStart, lineStart - 1, runLines});
            currentDate.assign(date);
            sameDate = currentDate + ",";
            runStart = lineStart;
            runLines = 0;
        }
        // The rest of the run at memory speed (the date holds no quote: they are stripped);
        // whatever it leaves goes through the lines above.
        runLines += 1 + stream.SkipLinesStartingWith(sameDate);
        if (stream.IsEOF())
            block.push_back(dateBlock{currentDate, runStart, static_cast<std::int64_t>(stream.PositionB()), runLines});
        progress.Note();
        platform::YieldToPendingWork();
    }
}

const dateBlock* pgLog::FindBlock(const std::string& date) const {
    for (const dateBlock& entry : block) {
        if (entry.logDate == date) return &entry;
        platform::YieldToPendingWork();
    }
    return nullptr;
}

std::string pgLog::StripQuotes(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (const char c : s)
        if (c != '"') out += c;
    return out;
}
