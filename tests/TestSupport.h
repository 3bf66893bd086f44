#pragma once
// Helpers shared by the tests: a temporary folder standing in for the file system's root,
// and an application with its in-process harness.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <random>
#include <string>

#include <nlohmann/json.hpp>

#include "app/App.h"
#include "app/Session.h"
#include "logview/pgLog.h"
#include "platform/runtime/FolderItem.h"
#include "platform/testing/TestHarness.h"

namespace brixtest {

namespace fs = std::filesystem;

// A fresh folder that "/" resolves to while it lives.
class TempRoot {
public:
    TempRoot() {
        std::random_device random;
        path_ = fs::temp_directory_path() / ("brix-test-" + std::to_string(random()) + std::to_string(random()));
        fs::create_directories(path_);
        platform::SetFileSystemRoot(path_.string());
    }
    ~TempRoot() {
        platform::SetFileSystemRoot("");
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    TempRoot(const TempRoot&) = delete;
    TempRoot& operator=(const TempRoot&) = delete;

    const fs::path& Path() const { return path_; }
    fs::path Drive() const { return path_ / "mnt" / "pen"; }
    fs::path LogPath() const { return Drive() / "userdata.csv"; }
    void MakeDrive() const { fs::create_directories(Drive()); }
    void WriteLog(const std::string& bytes) const {
        MakeDrive();
        std::ofstream(LogPath(), std::ios::binary | std::ios::trunc) << bytes;
    }
    void AppendLog(const std::string& bytes) const { std::ofstream(LogPath(), std::ios::binary | std::ios::app) << bytes; }

private:
    fs::path path_;
};

// An application, its harness, and the browsers' sessions.
struct Viewer {
    App app;
    platform::testing::TestHarness harness{app};

    Viewer() { StoreVersionData(app); }

    std::shared_ptr<Session> NewSession(const std::string& cookies = "") {
        return std::dynamic_pointer_cast<Session>(harness.NewSession(cookies));
    }
    // A browser that opened the page: the page is made, opened, painted and shown.
    struct Browser {
        std::shared_ptr<Session> session;
        std::shared_ptr<platform::testing::RecordingChannel> channel;
        pgLog& page() const { return *dynamic_cast<pgLog*>(session->CurrentPage()); }
    };
    Browser Open(const std::string& cookies = "") {
        Browser browser{NewSession(cookies), nullptr};
        browser.channel = harness.Connect(*browser.session);
        return browser;
    }
    void Select(Browser& b, int row) { harness.Raise(*b.session, "lbDates", "SelectionChanged", std::to_string(row)); }
};

inline std::vector<nlohmann::json> Parse(const std::vector<std::string>& messages) {
    std::vector<nlohmann::json> parsed;
    for (const auto& m : messages) parsed.push_back(nlohmann::json::parse(m));
    return parsed;
}

// The commands of kind in the messages, each as its list of arguments.
inline std::vector<std::vector<std::string>> Commands(const std::vector<std::string>& messages,
                                                      const std::string& kind) {
    std::vector<std::vector<std::string>> found;
    for (const auto& m : Parse(messages))
        for (const auto& c : m.value("commands", nlohmann::json::array()))
            if (c["kind"] == kind) found.push_back(c["args"].get<std::vector<std::string>>());
    return found;
}

// The rows of a list box as texts.
inline std::vector<std::vector<std::string>> Rows(const platform::WebListBox& list) {
    std::vector<std::vector<std::string>> rows;
    for (int r = 0; r < list.RowCount(); ++r) {
        std::vector<std::string> cells;
        for (int c = 0; c < list.ColumnCount(); ++c) cells.emplace_back(list.Cell(r, c));
        rows.push_back(std::move(cells));
    }
    return rows;
}

}  // namespace brixtest
