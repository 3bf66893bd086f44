#include "platform/web/WebFile.h"

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
    std::string content;
    std::uint64_t offset = 0;
    for (;;) {
        const std::size_t chunk = 1 << 20;
        content.resize(static_cast<std::size_t>(offset) + chunk);
        const std::size_t n = source.ReadAt(offset, std::span<char>(content.data() + offset, chunk));
        offset += n;
        if (n == 0) break;
    }
    content.resize(static_cast<std::size_t>(offset));
    content.shrink_to_fit();
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
