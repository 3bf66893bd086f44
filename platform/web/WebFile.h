#pragma once
#include <atomic>
#include <memory>
#include <string>

namespace platform {

class FolderItem;
struct WebFileDirectory;

// A file the web server offers for download at an unguessable address. The framework's
// directory of files holds it weakly: when the last owner lets go, its address stops working.
class WebFile {
public:
    // With inMemory the whole content is copied now; otherwise it is read on each request.
    // IOException when the file cannot be read.
    static std::shared_ptr<WebFile> Open(const FolderItem& item, bool inMemory);
    ~WebFile();
    WebFile(const WebFile&) = delete;
    WebFile& operator=(const WebFile&) = delete;

    const std::string& Name() const { return name_; }
    bool ForceDownload() const { return forceDownload_; }
    void SetForceDownload(bool value) { forceDownload_ = value; }
    const std::string& URL() const { return url_; }
    // The bytes to serve. IOException when a file not held in memory cannot be read.
    std::shared_ptr<const std::string> Content() const;

    // The file published under token, if it is still alive. Any thread.
    static std::shared_ptr<WebFile> Find(const std::string& token);

private:
    WebFile() = default;
    std::string name_;
    std::string nativePath_;
    std::string token_;
    std::string url_;
    std::shared_ptr<const std::string> content_;  // null when not held in memory
    std::atomic<bool> forceDownload_{false};
    std::shared_ptr<WebFileDirectory> directory_;
};

// Reads a whole file; IOException when it cannot.
std::string ReadWholeFile(const std::string& nativePath);

}  // namespace platform
