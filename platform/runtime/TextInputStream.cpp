#include "platform/runtime/TextInputStream.h"

#include <cstring>

#include "platform/runtime/FolderItem.h"
#include "platform/runtime/RuntimeException.h"

namespace platform {

std::unique_ptr<TextInputStream> TextInputStream::Open(const FolderItem& item) {
    return std::make_unique<TextInputStream>(std::make_unique<FileByteSource>(item.NativePath()));
}

TextInputStream::TextInputStream(std::unique_ptr<ByteSource> source, std::size_t bufferSize)
    : source_(std::move(source)), buffer_(bufferSize < 2 ? 2 : bufferSize) {}

void TextInputStream::SetPositionB(std::int64_t position) {
    if (position < 0) throw OutOfBoundsException("negative stream position");
    pos_ = static_cast<std::uint64_t>(position);
}

bool TextInputStream::Fill() {
    bufferStart_ = pos_;
    bufferLength_ = 0;
    lfSearchedFrom_ = UINT64_MAX;
    bufferLength_ = source_->ReadAt(pos_, std::span<char>(buffer_.data(), buffer_.size()));
    return bufferLength_ > 0;
}

bool TextInputStream::IsEOF() {
    if (pos_ >= bufferStart_ && pos_ < bufferStart_ + bufferLength_) return false;
    return !Fill();
}

std::size_t TextInputStream::NextLineFeed() {
    const std::size_t at = static_cast<std::size_t>(pos_ - bufferStart_);
    if (lfSearchedFrom_ <= pos_ && pos_ <= bufferStart_ + lfFound_) return lfFound_;
    const void* lf = std::memchr(buffer_.data() + at, '\n', bufferLength_ - at);
    lfSearchedFrom_ = pos_;
    lfFound_ = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - buffer_.data()) : bufferLength_;
    return lfFound_;
}

void TextInputStream::SkipLineFeedAfterCarriageReturn() {
    if (IsEOF()) return;
    if (buffer_[static_cast<std::size_t>(pos_ - bufferStart_)] == '\n') ++pos_;
}

std::string_view TextInputStream::ReadLineImpl(int stop) {
    spill_.clear();
    bool spilled = false;  // the result so far lives in spill_ (the buffer was refilled)
    bool stopped = false;  // the stop byte was seen: the rest of the line is only skipped
    for (;;) {
        if (IsEOF()) return spilled ? std::string_view(spill_) : std::string_view();
        const std::size_t at = static_cast<std::size_t>(pos_ - bufferStart_);
        const char* data = buffer_.data() + at;
        const std::size_t lf = NextLineFeed();
        const std::size_t limit = lf - at;  // bytes before the LF (or to the buffer's end)
        const void* cr = std::memchr(data, '\r', limit);
        const std::size_t length = cr ? static_cast<std::size_t>(static_cast<const char*>(cr) - data) : limit;
        const bool terminated = cr || lf < bufferLength_;
        std::size_t take = 0;
        if (!stopped) {
            take = length;
            if (stop >= 0) {
                if (const void* s = std::memchr(data, stop, length)) {
                    take = static_cast<std::size_t>(static_cast<const char*>(s) - data);
                    stopped = true;
                }
            }
        }
        if (!terminated) {
            // The line goes on past the buffer: keep our part and read on.
            spill_.append(data, take);
            spilled = true;
            pos_ += length;
            continue;
        }
        std::string_view line;
        if (spilled) {
            spill_.append(data, take);
            line = spill_;
        } else {
            line = std::string_view(data, take);
        }
        pos_ += length + 1;
        if (cr) {
            if (at + length + 1 < bufferLength_) {
                if (buffer_[at + length + 1] == '\n') ++pos_;
            } else {
                // The CR ends the buffer; the view must outlive the refill that peeks past it.
                if (!spilled) {
                    spill_.assign(line);
                    line = spill_;
                }
                SkipLineFeedAfterCarriageReturn();
            }
        }
        return line;
    }
}

}  // namespace platform
