#pragma once
#include <string>
#include <string_view>

namespace platform {

// An item of the file system, made from a path whether or not anything is there.
class FolderItem {
public:
    // An absolute path resolves under the file-system root set by SetFileSystemRoot
    // (empty by default: the real root).
    explicit FolderItem(std::string_view path);

    bool Exists() const;
    bool IsFolder() const;
    // The item of that name inside this folder, also when this folder is missing.
    FolderItem Child(std::string_view name) const;
    std::string Name() const;
    // The path as the operating system sees it, the root already applied.
    const std::string& NativePath() const { return nativePath_; }

private:
    struct Native {};
    FolderItem(Native, std::string nativePath) : nativePath_(std::move(nativePath)) {}
    std::string nativePath_;
};

// For the demo and tests: makes "/mnt/pen" mean "<root>/mnt/pen". Set once at start-up,
// before any session exists.
void SetFileSystemRoot(std::string root);

}  // namespace platform
