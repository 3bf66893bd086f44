#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "../TestSupport.h"
#include "platform/http/HttpTypes.h"
#include "platform/web/WebFile.h"

namespace {

// Everything a browser's download gets, and whether it got all that Content-Length promised.
struct Download {
    std::string bytes;
    bool complete = false;
};

Download Fetch(brixtest::Viewer& viewer, const std::string& url) {
    const auto response = viewer.harness.Get(url);
    EXPECT_EQ(response.status, 200);
    Download got{platform::testing::TestHarness::BodyOf(response), false};
    got.complete = response.stream && got.bytes.size() == response.stream->Size();
    return got;
}

}  // namespace

// The download is the log as it was published, read from the file kept open, never a copy.
TEST(WebFile, ADownloadGivesTheBytesOfItsPublishingOrBreaksOff) {
    const std::string published = "D,X\n1,a\n1,b\n";
    struct Case {
        const char* name;
        void (*change)(const brixtest::TempRoot&);
        Download expected;
    };
    const Case cases[] = {
        {"unchanged", [](const brixtest::TempRoot&) {}, {published, true}},
        {"lines appended", [](const brixtest::TempRoot& r) { r.AppendLog("2,c\n"); }, {published, true}},
        {"replaced by a new file",
         [](const brixtest::TempRoot& r) {
             std::ofstream(r.Drive() / "new.csv", std::ios::binary) << "D,Y\n9,z\n9,z\n9,z\n";
             std::filesystem::rename(r.Drive() / "new.csv", r.LogPath());
         },
         {published, true}},
        {"removed", [](const brixtest::TempRoot& r) { std::filesystem::remove(r.LogPath()); }, {published, true}},
        // Cut, or rewritten in place shorter: not one byte goes as if it were the log.
        {"truncated", [](const brixtest::TempRoot& r) { std::filesystem::resize_file(r.LogPath(), 5); }, {"", false}},
        {"rewritten shorter in place", [](const brixtest::TempRoot& r) { r.WriteLog("Q,R\n"); }, {"", false}},
    };
    for (const auto& c : cases) {
        brixtest::TempRoot root;
        root.WriteLog(published);
        brixtest::Viewer viewer;
        const auto file = platform::WebFile::Open(platform::FolderItem("/mnt/pen/userdata.csv"), true);
        c.change(root);
        const Download got = Fetch(viewer, file->URL());
        EXPECT_EQ(got.bytes, c.expected.bytes) << c.name;
        EXPECT_EQ(got.complete, c.expected.complete) << c.name;
    }
}

TEST(WebFile, AFileNotFixedAtPublishingIsReadAsItIsAtEachRequest) {
    brixtest::TempRoot root;
    root.WriteLog("D,X\n");
    brixtest::Viewer viewer;
    const auto file = platform::WebFile::Open(platform::FolderItem("/mnt/pen/userdata.csv"), false);
    root.AppendLog("1,a\n");
    EXPECT_EQ(Fetch(viewer, file->URL()).bytes, "D,X\n1,a\n");
}
