#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

namespace platform {

namespace http {
class BodySource;
}
class FileByteSource;
class FolderItem;
struct WebFileDirectory;

// A file the web server offers for download at an unguessable address. The framework's
// directory of files holds it weakly: when the last owner lets go, its address stops working.
// No copy of the content is ever held: a download reads the file as it is sent.
class WebFile {
public:
    // With inMemory the content is fixed now: the file is kept open and its present length
    // remembered, so every download gives these bytes, whatever is appended to the file or
    // put in its place later. Otherwise each request gets the file as it is then.
    // IOException when the file cannot be opened.
    static std::shared_ptr<WebFile> Open(const FolderItem& item, bool inMemory);
    ~WebFile();
    WebFile(const WebFile&) = delete;
    WebFile& operator=(const WebFile&) = delete;

    const std::string& Name() const { return name_; }
    bool ForceDownload() const { return forceDownload_; }
    void SetForceDownload(bool value) { forceDownload_ = value; }
    const std::string& URL() const { return url_; }
    // The bytes of one download, read while they are sent; it keeps the file open for as
    // long as the download lasts. IOException when a file not fixed at Open cannot be opened.
    std::shared_ptr<http::BodySource> Body() const;

    // The file published under token, if it is still alive. Any thread.
    static std::shared_ptr<WebFile> Find(const std::string& token);

private:
    WebFile() = default;
    std::string name_;
    std::string nativePath_;
    std::string token_;
    std::string url_;
    std::shared_ptr<FileByteSource> file_;  // null when not fixed at Open
    std::uint64_t length_ = 0;              // of file_, at Open
    std::atomic<bool> forceDownload_{false};
    std::shared_ptr<WebFileDirectory> directory_;
};

}  // namespace platform
