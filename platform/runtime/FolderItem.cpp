#include "platform/runtime/FolderItem.h"

#include <sys/stat.h>

#include <filesystem>

namespace platform {
namespace {
std::string& Root() {
    static std::string root;
    return root;
}
}  // namespace

void SetFileSystemRoot(std::string root) {
    // Absolute, so that it still holds after the daemon changes to "/".
    if (!root.empty() && root.front() != '/') root = std::filesystem::absolute(root).string();
    while (root.size() > 1 && root.back() == '/') root.pop_back();
    Root() = std::move(root);
}

FolderItem::FolderItem(std::string_view path) {
    if (!path.empty() && path.front() == '/' && !Root().empty())
        nativePath_ = Root() + std::string(path);
    else
        nativePath_ = std::string(path);
}

bool FolderItem::Exists() const {
    struct stat info {};
    return ::stat(nativePath_.c_str(), &info) == 0;
}

bool FolderItem::IsFolder() const {
    struct stat info {};
    return ::stat(nativePath_.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

FolderItem FolderItem::Child(std::string_view name) const {
    std::string path = nativePath_;
    if (path.empty() || path.back() != '/') path += '/';
    path += name;
    return FolderItem(Native{}, std::move(path));
}

std::string FolderItem::Name() const {
    const auto slash = nativePath_.find_last_of('/');
    return slash == std::string::npos ? nativePath_ : nativePath_.substr(slash + 1);
}

}  // namespace platform
