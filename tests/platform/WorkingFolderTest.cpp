#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/runtime/RuntimeException.h"
#include "platform/runtime/WorkingFolder.h"

namespace fs = std::filesystem;

TEST(WorkingFolder, IsMadePrivateAndRefusedWhenItIsNotOurs) {
    const std::string name = "brix-working-test-" + std::to_string(::getpid());
    const fs::path expected = fs::temp_directory_path() / name;
    fs::remove_all(expected);

    const std::string folder = platform::PrepareWorkingFolder(name);
    EXPECT_EQ(fs::path(folder), expected);
    struct stat info {};
    ASSERT_EQ(::stat(folder.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_EQ(platform::PrepareWorkingFolder(name), folder) << "taken back when it is ours";
    platform::WritePidFile(folder);
    EXPECT_TRUE(fs::exists(expected / "pid"));
    fs::remove_all(expected);

    // A link planted under the name, a plain file, a folder others may write: all refused.
    fs::create_directory_symlink(fs::temp_directory_path(), expected);
    EXPECT_THROW(platform::PrepareWorkingFolder(name), platform::RuntimeException);
    fs::remove(expected);
    std::ofstream(expected.string()) << "x";
    EXPECT_THROW(platform::PrepareWorkingFolder(name), platform::RuntimeException);
    fs::remove(expected);
    fs::create_directory(expected);
    fs::permissions(expected, fs::perms::all);
    try {
        platform::PrepareWorkingFolder(name);
        ADD_FAILURE() << "a folder others may write was taken";
    } catch (const platform::RuntimeException& e) {
        EXPECT_NE(std::string(e.what()).find("rm -r " + expected.string()), std::string::npos)
            << "the refusal says which folder is in the way and how to clear it: " << e.what();
    }
    fs::remove_all(expected);
    EXPECT_THROW(platform::PrepareWorkingFolder("../escape"), platform::RuntimeException);
}
