#include "platform/runtime/TextInputStream.h"

#include <cstring>

#include "platform/runtime/FolderItem.h"
#include "platform/runtime/RuntimeException.h"

namespace platform {

std::unique_ptr<TextInputStream> TextInputStream::Open(const FolderItem& item) {
    return std::make_unique<TextInputStream>(std::make_unique<FileByteSource>(item.NativePath()));
}

TextInputStream::TextInputStream(std::unique_ptr<ByteSource> source, std::size_t bufferSize)
    : source_(std::move(source)), bufferSize_(bufferSize < 2 ? 2 : bufferSize) {}

void TextInputStream::SetPositionB(std::int64_t position) {
    if (position < 0) throw OutOfBoundsException("negative stream position");
    pos_ = static_cast<std::uint64_t>(position);
}

void TextInputStream::ReleaseBuffer() {
    buffer_ = std::vector<char>();
    spill_ = std::string();
    bufferLength_ = 0;
    lf_ = cr_ = Search{};
}

bool TextInputStream::Fill() {
    bufferStart_ = pos_;
    bufferLength_ = 0;  // stays empty if the read throws, so no stale bytes are served
    lf_ = cr_ = Search{};
    if (buffer_.empty()) buffer_.resize(bufferSize_);
    bufferLength_ = source_->ReadAt(pos_, std::span<char>(buffer_.data(), buffer_.size()));
    return bufferLength_ > 0;
}

namespace {
// memcmp for short texts without a call: eight bytes at a time, then the rest.
inline bool StartsWith(const char* data, std::string_view prefix) {
    std::size_t i = 0;
    for (; i + 8 <= prefix.size(); i += 8) {
        std::uint64_t a, b;
        std::memcpy(&a, data + i, 8);
        std::memcpy(&b, prefix.data() + i, 8);
        if (a != b) return false;
    }
    for (; i < prefix.size(); ++i)
        if (data[i] != prefix[i]) return false;
    return true;
}
}  // namespace

std::uint64_t TextInputStream::SkipLinesStartingWith(std::string_view prefix) {
    if (!InBuffer()) return 0;
    const char* p = buffer_.data() + (pos_ - bufferStart_);
    const char* const end = buffer_.data() + bufferLength_;
    const char* cr = buffer_.data() + NextCarriageReturn();  // the first CR at or after p, or end
    std::uint64_t skipped = 0;
    while (static_cast<std::size_t>(end - p) > prefix.size() && StartsWith(p, prefix)) {
        const auto* lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
        if (!lf) break;  // the line crosses the buffer: left for ReadLine
        if (cr < lf) {
            if (cr != lf - 1) break;  // a CR alone ends this line earlier: left for ReadLine
            const void* next = std::memchr(lf + 1, '\r', static_cast<std::size_t>(end - lf - 1));
            cr = next ? static_cast<const char*>(next) : end;
        }
        p = lf + 1;
        ++skipped;
    }
    pos_ = bufferStart_ + static_cast<std::uint64_t>(p - buffer_.data());
    return skipped;
}

std::size_t TextInputStream::Find(char byte, Search& search) {
    const std::size_t at = static_cast<std::size_t>(pos_ - bufferStart_);
    const void* hit = std::memchr(buffer_.data() + at, byte, bufferLength_ - at);
    search.searchedFrom = pos_;
    search.found = hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - buffer_.data()) : bufferLength_;
    return search.found;
}

void TextInputStream::SkipLineFeedAfterCarriageReturn() {
    if (IsEOF()) return;
    if (buffer_[static_cast<std::size_t>(pos_ - bufferStart_)] == '\n') ++pos_;
}

std::string_view TextInputStream::ReadLineImpl(int stop, std::size_t maxBytes) {
    spill_.clear();
    bool spilled = false;  // the result so far lives in spill_ (the buffer was refilled)
    bool stopped = false;  // the stop byte was seen: the rest of the line is only skipped
    for (;;) {
        if (IsEOF()) return spilled ? std::string_view(spill_) : std::string_view();
        const std::size_t at = static_cast<std::size_t>(pos_ - bufferStart_);
        const char* data = buffer_.data() + at;
        const std::size_t lf = NextLineFeed();
        const std::size_t limit = lf - at;  // bytes before the LF (or to the buffer's end)
        const std::size_t crAt = NextCarriageReturn();
        const bool cr = crAt < lf;
        const std::size_t length = cr ? crAt - at : limit;
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
            const std::size_t kept = spilled ? spill_.size() : 0;  // never more than maxBytes
            if (take > maxBytes - kept) {
                take = maxBytes - kept;
                stopped = true;
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
