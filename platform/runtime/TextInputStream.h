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

    // The next line without its terminator; the empty text at end of file.
    std::string ReadLine() { return std::string(ReadLineView()); }
    // As ReadLine, without a copy; the view is valid until the next call on the stream.
    std::string_view ReadLineView() { return ReadLineImpl(-1); }
    // As ReadLineView, but only the line's text before the first stop byte (the whole
    // line if it has none); the rest of the line is skipped, never held in memory.
    std::string_view ReadLineUntil(char stop) { return ReadLineImpl(static_cast<unsigned char>(stop)); }

    // True when no byte is left at the position. Named so because EOF is the C library's macro.
    bool IsEOF();

    std::uint64_t PositionB() const { return pos_; }
    void SetPositionB(std::int64_t position);

private:
    std::string_view ReadLineImpl(int stop);  // stop: a byte value, or -1 for none
    bool Fill();                      // loads the buffer at pos_; false at end of data
    std::size_t NextLineFeed();       // buffer index of the next LF at or after pos_, or bufferEnd
    void SkipLineFeedAfterCarriageReturn();

    std::unique_ptr<ByteSource> source_;
    std::vector<char> buffer_;
    std::uint64_t bufferStart_ = 0;   // file offset of buffer_[0]
    std::size_t bufferLength_ = 0;
    std::uint64_t pos_ = 0;
    // The first line feed at or after lfSearchedFrom_ in the buffer is at lfFound_
    // (bufferLength_ if none); keeps streams of CR-only lines linear.
    std::uint64_t lfSearchedFrom_ = UINT64_MAX;
    std::size_t lfFound_ = 0;
    std::string spill_;               // a line that crosses the end of the buffer
};

}  // namespace platform
