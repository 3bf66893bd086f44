#include <gtest/gtest.h>


#include "platform/runtime/FolderItem.h"
#include "platform/runtime/RuntimeException.h"
#include "platform/runtime/TextInputStream.h"
#include "platform/testing/MemoryByteSource.h"

using MemorySource = platform::testing::MemoryByteSource;
using platform::TextInputStream;

namespace {

struct Line {
    std::string text;
    std::uint64_t positionAfter;
};

// Every line with the position after it, read to the end.
std::vector<Line> ReadAll(const std::string& bytes, std::size_t bufferSize) {
    TextInputStream stream(std::make_unique<MemorySource>(bytes), bufferSize);
    std::vector<Line> lines;
    while (!stream.IsEOF()) {
        std::string text = stream.ReadLine();
        lines.push_back({std::move(text), stream.PositionB()});
    }
    return lines;
}

struct Case {
    const char* name;
    std::string bytes;
    std::vector<Line> expected;
};

}  // namespace

// Every terminator and buffer size gives the same lines and exact positions: buffers of
// 2 and 3 bytes put a boundary inside lines and between CR and LF.
TEST(TextInputStream, LinesAndPositionsForEveryTerminatorAndBufferSize) {
    const std::vector<Case> cases = {
        {"line feeds", "ab\ncd\n", {{"ab", 3}, {"cd", 6}}},
        {"CR LF", "ab\r\ncd\r\n", {{"ab", 4}, {"cd", 8}}},
        {"CR alone", "ab\rcd\r", {{"ab", 3}, {"cd", 6}}},
        {"no final terminator", "ab\ncd", {{"ab", 3}, {"cd", 5}}},
        {"mixed, blank lines", "a\r\n\n\r\rb", {{"a", 3}, {"", 4}, {"", 5}, {"", 6}, {"b", 7}}},
        {"CR then LF stays one terminator", "x\r\ny", {{"x", 3}, {"y", 4}}},
        {"LF then CR are two", "x\n\ry", {{"x", 2}, {"", 3}, {"y", 4}}},
        {"empty file", "", {}},
        {"only a terminator", "\n", {{"", 1}}},
        {"bytes kept as they are", std::string("\xff\x00z\n", 4), {{std::string("\xff\x00z", 3), 4}}},
    };
    for (const auto& c : cases) {
        for (const std::size_t buffer : {2, 3, 5, 64 * 1024}) {
            const auto lines = ReadAll(c.bytes, buffer);
            ASSERT_EQ(lines.size(), c.expected.size()) << c.name << ", buffer " << buffer;
            for (std::size_t i = 0; i < lines.size(); ++i) {
                EXPECT_EQ(lines[i].text, c.expected[i].text) << c.name << " line " << i << ", buffer " << buffer;
                EXPECT_EQ(lines[i].positionAfter, c.expected[i].positionAfter)
                    << c.name << " line " << i << ", buffer " << buffer;
            }
        }
    }
}

TEST(TextInputStream, SeekingBackAndForthReadsFromTheGivenByte) {
    TextInputStream stream(std::make_unique<MemorySource>("D,X\n1,a\n1,b\n2,c\n"), 4);
    stream.SetPositionB(12);
    EXPECT_EQ(stream.ReadLine(), "2,c");
    EXPECT_TRUE(stream.IsEOF());
    stream.SetPositionB(4);
    EXPECT_EQ(stream.ReadLine(), "1,a");
    EXPECT_EQ(stream.PositionB(), 8u);
    stream.SetPositionB(9);  // mid-line
    EXPECT_EQ(stream.ReadLine(), ",b");
    EXPECT_THROW(stream.SetPositionB(-1), platform::OutOfBoundsException);
}

TEST(TextInputStream, ReadLineAtEndGivesEmptyText) {
    TextInputStream stream(std::make_unique<MemorySource>("a"));
    EXPECT_EQ(stream.ReadLine(), "a");
    EXPECT_TRUE(stream.IsEOF());
    EXPECT_EQ(stream.ReadLine(), "");
    EXPECT_EQ(stream.PositionB(), 1u);
}

TEST(TextInputStream, LongLinesOfCarriageReturnsStayLinear) {
    // Many CR-only lines in one buffer: each is found without rescanning the buffer.
    std::string bytes;
    for (int i = 0; i < 20000; ++i) bytes += "line\r";
    TextInputStream stream(std::make_unique<MemorySource>(bytes), 1 << 20);
    int count = 0;
    while (!stream.IsEOF()) {
        ASSERT_EQ(stream.ReadLine(), "line");
        ++count;
    }
    EXPECT_EQ(count, 20000);
}

TEST(TextInputStream, ReadAndOpenFailuresAreIOExceptions) {
    // The second read, for the rest of the first line, fails: the error leaves ReadLine.
    TextInputStream stream(std::make_unique<MemorySource>("aaaa\nbbbb\n", 2), 4);
    EXPECT_THROW(stream.ReadLine(), platform::IOException);

    // A folder where a file was expected cannot be opened as a stream.
    EXPECT_THROW(TextInputStream::Open(platform::FolderItem("/tmp")), platform::IOException);
    EXPECT_THROW(TextInputStream::Open(platform::FolderItem("/nonexistent/file")), platform::IOException);
}

// Skipping lines by prefix lands on line starts and never passes a line without it,
// whatever the terminators and the buffer boundaries.
TEST(TextInputStream, SkippingLinesByPrefixNeverPassesAnotherLine) {
    const std::vector<std::string> logs = {"A,1\nA,2\nB,3\nA,4\n", "A,1\r\nA,2\r\nB,3\r\n", "A,1\rA,2\rB\r",
                                           "A,1\nA\nA,,\nA,2", "B\nA,1\n\nA,2\n"};
    for (const auto& log : logs) {
        for (const std::size_t buffer : {2, 3, 5, 64 * 1024}) {
            const auto all = ReadAll(log, buffer);
            TextInputStream stream(std::make_unique<MemorySource>(log), buffer);
            std::vector<std::string> read;
            std::uint64_t skipped = 0;
            while (!stream.IsEOF()) {
                skipped += stream.SkipLinesStartingWith("A,");
                if (stream.IsEOF()) break;
                read.push_back(stream.ReadLine());
            }
            EXPECT_EQ(read.size() + skipped, all.size()) << log << ", buffer " << buffer;
            std::size_t r = 0;
            for (const auto& line : all) {
                if (r < read.size() && read[r] == line.text) ++r;
                else EXPECT_EQ(line.text.rfind("A,", 0), 0u) << "passed over " << line.text << " in " << log;
            }
            EXPECT_EQ(r, read.size()) << log << ", buffer " << buffer;
        }
    }
}

TEST(TextInputStream, ALimitedReadKeepsThePrefixAndSkipsTheRestOfTheLine) {
    const std::string log = std::string(40, 'a') + ",b\r\nxy\rlast";
    for (const std::size_t buffer : {2u, 3u, 7u, 64u * 1024u}) {
        TextInputStream stream(std::make_unique<MemorySource>(log), buffer);
        EXPECT_EQ(stream.ReadLineView(5), "aaaaa") << buffer;
        EXPECT_EQ(stream.PositionB(), 44u) << "past the CR LF, exactly: " << buffer;
        EXPECT_EQ(stream.ReadLineUntil(',', 1), "x") << buffer;
        EXPECT_EQ(stream.PositionB(), 47u) << buffer;
        EXPECT_EQ(stream.ReadLine(100), "last") << buffer;
        EXPECT_TRUE(stream.IsEOF());
        stream.SetPositionB(0);
        EXPECT_EQ(stream.ReadLineUntil(',', 100), std::string(40, 'a')) << "a stop byte before the limit wins";
    }
}
