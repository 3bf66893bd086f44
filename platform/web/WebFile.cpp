#include "platform/web/WebFile.h"

#include <algorithm>
#include <array>
#include <map>
#include <mutex>

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

}  // namespace

std::string ReadWholeFile(const std::string& nativePath) {
    FileByteSource source(nativePath);
    // Sized once, so a big log costs one copy of itself, not the twice that growing and
    // trimming a buffer would take at its peak. A file that grows meanwhile is read on
    // to its end all the same.
    std::string content(static_cast<std::size_t>(source.Size()), '\0');
    std::uint64_t offset = 0;
    while (offset < content.size()) {
        const std::size_t want = std::min<std::size_t>(1 << 20, content.size() - static_cast<std::size_t>(offset));
        const std::size_t n = source.ReadAt(offset, std::span<char>(content.data() + offset, want));
        if (n == 0) break;  // it shrank
        offset += n;
    }
    content.resize(static_cast<std::size_t>(offset));
    std::array<char, 64 * 1024> more;
    while (const std::size_t n = source.ReadAt(offset, more)) {
        content.append(more.data(), n);
        offset += n;
    }
    return content;
}

std::shared_ptr<WebFile> WebFile::Open(const FolderItem& item, bool inMemory) {
    std::shared_ptr<WebFile> file(new WebFile());  // private constructor: make_shared cannot reach it
    file->name_ = item.Name();
    file->nativePath_ = item.NativePath();
    if (inMemory) file->content_ = std::make_shared<const std::string>(ReadWholeFile(file->nativePath_));
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

std::shared_ptr<const std::string> WebFile::Content() const {
    if (content_) return content_;
    return std::make_shared<const std::string>(ReadWholeFile(nativePath_));
}

std::shared_ptr<WebFile> WebFile::Find(const std::string& token) {
    auto& directory = *TheDirectory();
    std::lock_guard lock(directory.mutex);
    const auto found = directory.files.find(token);
    return found == directory.files.end() ? nullptr : found->second.lock();
}

}  // namespace platform
