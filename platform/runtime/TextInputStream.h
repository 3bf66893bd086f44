#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/runtime/ByteSource.h"

namespace platform {

class FolderItem;

// Reads lines of bytes. Line feed, carriage return plus line feed, and carriage return
// alone each end a line. PositionB is always the offset of the next byte that ReadLine
// will consume, exact to the byte whatever the buffering.
class TextInputStream {
public:
    // Opens the item for reading at byte 0; IOException when it cannot be opened.
    static std::unique_ptr<TextInputStream> Open(const FolderItem& item);

    explicit TextInputStream(std::unique_ptr<ByteSource> source, std::size_t bufferSize = 256 * 1024);

    static constexpr std::size_t kWholeLine = SIZE_MAX;

    // The next line without its terminator; the empty text at end of file. Past maxBytes
    // the rest of the line is skipped, never held in memory: one line of a hostile file
    // cannot take all of it.
    std::string ReadLine(std::size_t maxBytes = kWholeLine) { return std::string(ReadLineView(maxBytes)); }
    // As ReadLine, without a copy; the view is valid until the next call on the stream.
    std::string_view ReadLineView(std::size_t maxBytes = kWholeLine) { return ReadLineImpl(-1, maxBytes); }
    // As ReadLineView, but only the line's text before the first stop byte (the whole
    // line if it has none); the rest of the line is skipped.
    std::string_view ReadLineUntil(char stop, std::size_t maxBytes = kWholeLine) {
        return ReadLineImpl(static_cast<unsigned char>(stop), maxBytes);
    }

    // Moves past the following lines that begin with prefix and end with LF or CR LF, up
    // to the first that does not; returns how many. A line it is unsure of (one that
    // crosses the buffer, or ends in a CR alone) is left for ReadLine.
    std::uint64_t SkipLinesStartingWith(std::string_view prefix);

    // True when no byte is left at the position. Named so because EOF is the C library's macro.
    bool IsEOF() { return !InBuffer() && !Fill(); }

    std::uint64_t PositionB() const { return pos_; }
    void SetPositionB(std::int64_t position);
    // The number of bytes behind the stream now.
    std::uint64_t Length() const { return source_->Size(); }

    // Gives the read buffers back while the stream waits between bursts of reading; the
    // source and the position stay, and the next read fills a buffer anew. Views handed
    // out before are invalid after it.
    void ReleaseBuffer();
    // The bytes the stream holds for reading now, for checking that an idle one holds none.
    std::size_t BufferedCapacity() const { return buffer_.capacity() + spill_.capacity(); }

private:
    bool InBuffer() const { return pos_ >= bufferStart_ && pos_ - bufferStart_ < bufferLength_; }
    std::string_view ReadLineImpl(int stop, std::size_t maxBytes);  // stop: a byte value, or -1 for none
    bool Fill();                      // loads the buffer at pos_; false at end of data
    // Buffer index of the next LF (or CR) at or after pos_, or bufferLength_ if none.
    std::size_t NextLineFeed() { return NextByte('\n', lf_); }
    std::size_t NextCarriageReturn() { return NextByte('\r', cr_); }
    void SkipLineFeedAfterCarriageReturn();

    std::unique_ptr<ByteSource> source_;
    std::size_t bufferSize_;
    std::vector<char> buffer_;        // allocated on the first read after construction or a release
    std::uint64_t bufferStart_ = 0;   // file offset of buffer_[0]
    std::size_t bufferLength_ = 0;
    std::uint64_t pos_ = 0;
    // The first such byte at or after searchedFrom in the buffer is at found (bufferLength_
    // if none). Each byte of a buffer is searched about once, so neither a file of CR-only
    // lines nor one of LF-only lines is scanned twice.
    struct Search {
        std::uint64_t searchedFrom = UINT64_MAX;
        std::size_t found = 0;
    };
    std::size_t NextByte(char byte, Search& search) {
        if (search.searchedFrom <= pos_ && pos_ <= bufferStart_ + search.found) return search.found;
        return Find(byte, search);
    }
    std::size_t Find(char byte, Search& search);
    Search lf_, cr_;
    std::string spill_;               // a line that crosses the end of the buffer
};

}  // namespace platform
