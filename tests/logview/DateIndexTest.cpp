#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "../TestSupport.h"

namespace {

struct Block {
    std::string logDate;
    std::int64_t firstByte, lastByte;
    bool operator==(const Block&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Block& b) {
    return out << "{\"" << b.logDate << "\", " << b.firstByte << ", " << b.lastByte << "}";
}

struct Case {
    const char* name;
    std::string log;
    std::vector<Block> blocks;
    std::string dateHeading = "D";
    std::string firstDataHeading = "X";
};

}  // namespace

TEST(DateIndex, BlocksOfEveryFixture) {
    const std::vector<Case> cases = {
        {"worked example", "D,X\n1,a\n1,b\n2,c\n", {{"1", 4, 11}, {"2", 12, 16}}},
        {"worked example without its last line", "D,X\n1,a\n1,b\n", {{"1", 4, 12}}},
        {"heading only", "D,X\n", {}},
        {"one record", "D,X\n1,a\n", {{"1", 4, 8}}},
        {"last line a new date, no final terminator", "D,X\n1,a\n1,b\n2,c", {{"1", 4, 11}, {"2", 12, 15}}},
        {"A B A", "D,X\nA\nB\nA\n", {{"A", 4, 5}, {"B", 6, 7}, {"A", 8, 10}}},
        {"quoted dates and a quoted comma", "D,X\n\"A\",1\nA,2\n\"B,x\",3\n", {{"A", 4, 13}, {"B", 14, 22}}},
        {"a blank line splits a date", "D,X\n1,a\n\n1,b\n", {{"1", 4, 7}, {"", 8, 8}, {"1", 9, 13}}},
        {"CR LF", "D,X\r\n1,a\r\n2,b\r\n", {{"1", 5, 9}, {"2", 10, 15}}},
        {"CR alone", "D,X\r1,a\r2,b\r", {{"1", 4, 7}, {"2", 8, 12}}},
        {"heading quotes", "\"D\"\"\",\"X\"\n1,a\n", {{"1", 10, 14}}},
        {"dates differ by case", "D,X\na,1\nA,2\n", {{"a", 4, 7}, {"A", 8, 12}}},
    };
    for (const auto& c : cases) {
        brixtest::TempRoot root;
        root.WriteLog(c.log);
        brixtest::Viewer viewer;
        auto browser = viewer.Open();
        const pgLog& page = browser.page();
        std::vector<Block> blocks;
        for (const auto& b : page.block) blocks.push_back({b.logDate, b.firstByte, b.lastByte});
        EXPECT_EQ(blocks, c.blocks) << c.name;
        EXPECT_EQ(page.lbDates->Heading(0), c.dateHeading) << c.name;
        EXPECT_EQ(page.lbData->Heading(0), c.firstDataHeading) << c.name;
        EXPECT_EQ(page.lbData->Heading(1), "Column 1") << c.name << ": columns past the heading keep theirs";
        EXPECT_EQ(page.lbDates->RowCount(), static_cast<int>(c.blocks.size())) << c.name;
    }
}

TEST(DateIndex, AnEmptyFileHasNoHeadingsAndNoBlocks) {
    brixtest::TempRoot root;
    root.WriteLog("");
    brixtest::Viewer viewer;
    auto browser = viewer.Open();
    EXPECT_TRUE(browser.page().block.empty());
    EXPECT_EQ(browser.page().lbDates->Heading(0), "");
    EXPECT_EQ(browser.page().lbData->Heading(0), "Column 0");
    EXPECT_NE(viewer.app.webFile.load(), nullptr) << "the empty file is still offered for download";
}

TEST(DateIndex, FindBlockReturnsTheFirstRunOfADateOrNone) {
    brixtest::TempRoot root;
    root.WriteLog("D,X\nA,1\nB,2\nA,3\n");
    brixtest::Viewer viewer;
    auto browser = viewer.Open();
    const pgLog& page = browser.page();
    ASSERT_EQ(page.block.size(), 3u);
    EXPECT_EQ(page.FindBlock("A"), &page.block[0]);
    EXPECT_EQ(page.FindBlock("B"), &page.block[1]);
    EXPECT_EQ(page.FindBlock("C"), nullptr);
    EXPECT_EQ(page.FindBlock(""), nullptr);
    EXPECT_EQ(pgLog::StripQuotes("\"a\"\"b\" c\""), "ab c");
}

namespace {

// "D,X\nA," then one record line of more than 4 GiB, then "\nB,1\n": made up as it is
// read, so the test needs neither the disk nor the memory.
class HugeLogSource : public platform::ByteSource {
public:
    static constexpr std::uint64_t kFiller = (4ull << 30) + 10;
    static constexpr std::string_view kHead = "D,X\nA,";
    static constexpr std::string_view kTail = "\nB,1\n";
    static constexpr std::uint64_t kSize = kHead.size() + kFiller + kTail.size();

    std::size_t ReadAt(std::uint64_t offset, std::span<char> into) override {
        std::size_t n = 0;
        for (; n < into.size() && offset + n < kSize; ++n) {
            const std::uint64_t at = offset + n;
            if (at < kHead.size()) {
                into[n] = kHead[at];
            } else if (at < kHead.size() + kFiller) {
                // The filler, a block at a time.
                const std::size_t run = static_cast<std::size_t>(
                    std::min<std::uint64_t>(into.size() - n, kHead.size() + kFiller - at));
                std::memset(into.data() + n, 'x', run);
                n += run - 1;
            } else {
                into[n] = kTail[at - kHead.size() - kFiller];
            }
        }
        return n;
    }
    std::uint64_t Size() const override { return kSize; }
};

}  // namespace

TEST(DateIndex, OffsetsPastFourGibibytesAreKeptAndShown) {
    brixtest::TempRoot root;  // no drive: the page opens empty, then reads the stand-in log
    brixtest::Viewer viewer;
    auto session = viewer.NewSession();
    viewer.harness.Within(*session, [&] {
        pgLog& page = session->pgLog();
        page.logStream = std::make_unique<platform::TextInputStream>(std::make_unique<HugeLogSource>(), 1 << 20);
        page.CreateBlockArray();
        ASSERT_EQ(page.block.size(), 2u);
        const auto tailStart = static_cast<std::int64_t>(HugeLogSource::kSize - 4);
        EXPECT_EQ(page.block[0].firstByte, 4);
        EXPECT_EQ(page.block[0].lastByte, tailStart - 1);
        EXPECT_EQ(page.block[1].logDate, "B");
        EXPECT_EQ(page.block[1].firstByte, tailStart);
        EXPECT_EQ(page.block[1].lastByte, static_cast<std::int64_t>(HugeLogSource::kSize));
        page.lbDates->AddRow({"A"});
        page.lbDates->AddRow({"B"});
        page.lbDates->SetListIndex(1);
        ASSERT_EQ(page.lbData->RowCount(), 1);
        EXPECT_EQ(page.lbData->Cell(0, 0), "1");
    });
}

// The same shape as a real file on disk, its filler a hole so that it costs no disk: a 32-bit
// build without 64-bit file offsets cannot even open it, so the board's build is tested here.
TEST(DateIndex, ALogFileOnDiskPastFourGibibytesIsIndexedShownAndDownloaded) {
    brixtest::TempRoot root;
    root.MakeDrive();
    constexpr std::string_view head = "D,X\nA,", tail = "\nB,1\n";
    const std::uint64_t tailAt = head.size() + (4ull << 30) + 10, size = tailAt + tail.size();
    {
        const int fd = ::open(root.LogPath().c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0) << std::strerror(errno);
        const bool written = ::pwrite(fd, head.data(), head.size(), 0) == static_cast<ssize_t>(head.size()) &&
                             ::pwrite(fd, tail.data(), tail.size(), static_cast<off_t>(tailAt)) ==
                                 static_cast<ssize_t>(tail.size());
        struct stat info {};
        ::fstat(fd, &info);
        ::close(fd);
        ASSERT_TRUE(written) << std::strerror(errno);
        if (info.st_blocks * 512 > (64 << 20)) GTEST_SKIP() << "this file system writes holes out";
    }
    brixtest::Viewer viewer;
    auto browser = viewer.Open();
    pgLog& page = browser.page();
    ASSERT_EQ(page.block.size(), 2u);
    EXPECT_EQ(page.block[1].logDate, "B");
    EXPECT_EQ(page.block[1].firstByte, static_cast<std::int64_t>(tailAt + 1));
    EXPECT_EQ(page.block[1].lastByte, static_cast<std::int64_t>(size));
    // The last date is the one shown.
    ASSERT_EQ(page.lbData->RowCount(), 1);
    EXPECT_EQ(page.lbData->Cell(0, 0), "1");

    viewer.harness.Raise(*browser.session, "btDownload", "Action");
    const auto urls = brixtest::Commands(browser.channel->Messages(), "url");
    ASSERT_EQ(urls.size(), 1u);
    const auto response = viewer.harness.Get(urls[0][0]);
    ASSERT_EQ(response.status, 200);
    ASSERT_TRUE(response.stream);
    ASSERT_EQ(response.stream->Size(), size);
    std::string end(tail.size() + 1, '?');
    ASSERT_EQ(response.stream->ReadAt(tailAt - 1, end), end.size());
    EXPECT_EQ(end, std::string(1, '\0') + std::string(tail));
}
