#include "platform/web/WebFile.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <mutex>

#include "platform/http/HttpTypes.h"
#include "platform/runtime/ByteSource.h"
#include "platform/runtime/FolderItem.h"
#include "platform/session/RandomToken.h"

namespace platform {

struct WebFileDirectory {
    std::mutex mutex;  // guards files; leaf lock
    std::map<std::string, std::weak_ptr<WebFile>> files;
};

namespace {

// Each file holds the directory too, so it outlives every file whatever the order in
// which statics go at exit.
std::shared_ptr<WebFileDirectory>& TheDirectory() {
    static auto directory = std::make_shared<WebFileDirectory>();
    return directory;
}

// The first `length` bytes of an open file. Bytes appended since are never served; a
// file that has become shorter (truncated, or rewritten in place) cannot give them, and
// the download is broken off rather than filled with other bytes.
class FileBody final : public http::BodySource {
public:
    FileBody(std::shared_ptr<FileByteSource> file, std::uint64_t length, std::string path)
        : file_(std::move(file)), length_(length), path_(std::move(path)) {}

    std::uint64_t Size() const override { return length_; }

    std::size_t ReadAt(std::uint64_t offset, std::span<char> into) override {
        if (offset >= length_) return 0;
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(into.size(), length_ - offset));
        // Checked before the first byte too, so that a file already cut gives none at all.
        const bool shrunk = offset == 0 && file_->Size() < length_;
        const std::size_t n = shrunk ? 0 : file_->ReadAt(offset, into.first(want));
        if (n == 0) {
            std::fprintf(stderr, "Download of %s broken off: the file is now shorter than the %llu bytes it had "
                                 "when it was published\n",
                         path_.c_str(), static_cast<unsigned long long>(length_));
            std::fflush(stderr);
        }
        return n;
    }

private:
    std::shared_ptr<FileByteSource> file_;
    std::uint64_t length_;
    std::string path_;
};

}  // namespace

std::shared_ptr<WebFile> WebFile::Open(const FolderItem& item, bool inMemory) {
    std::shared_ptr<WebFile> file(new WebFile());  // private constructor: make_shared cannot reach it
    file->name_ = item.Name();
    file->nativePath_ = item.NativePath();
    if (inMemory) {
        file->file_ = std::make_shared<FileByteSource>(file->nativePath_);
        file->length_ = file->file_->Size();
    }
    file->token_ = session::RandomToken();
    // The name stands last so that a browser saving the address picks it.
    file->url_ = "/_files/" + file->token_ + "/" + file->name_;
    file->directory_ = TheDirectory();
    std::lock_guard lock(file->directory_->mutex);
    file->directory_->files[file->token_] = file;
    return file;
}

WebFile::~WebFile() {
    if (!directory_) return;
    std::lock_guard lock(directory_->mutex);
    directory_->files.erase(token_);
}

std::shared_ptr<http::BodySource> WebFile::Body() const {
    if (file_) return std::make_shared<FileBody>(file_, length_, nativePath_);
    auto now = std::make_shared<FileByteSource>(nativePath_);
    const std::uint64_t length = now->Size();
    return std::make_shared<FileBody>(std::move(now), length, nativePath_);
}

std::shared_ptr<WebFile> WebFile::Find(const std::string& token) {
    auto& directory = *TheDirectory();
    std::lock_guard lock(directory.mutex);
    const auto found = directory.files.find(token);
    return found == directory.files.end() ? nullptr : found->second.lock();
}

}  // namespace platform
