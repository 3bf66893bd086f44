#include <gtest/gtest.h>

#include "platform/web/ServerOptions.h"

using platform::OptionError;
using platform::ServerOptions;

TEST(ServerOptions, AcceptsTheFrameworkOptions) {
    const auto options = ServerOptions::Parse(
        {"--port=8080", "--secureport=8443", "--foreground", "--root=/tmp/x", "plain"});
    EXPECT_EQ(options.port, 8080);
    EXPECT_EQ(options.securePort, 8443);
    EXPECT_TRUE(options.foreground);
    EXPECT_EQ(options.root, "/tmp/x");
    EXPECT_EQ(options.arguments, std::vector<std::string>{"plain"});
    EXPECT_FALSE(ServerOptions::Parse({}).port.has_value());
    EXPECT_EQ(ServerOptions::Parse({"--port=1"}).port, 1);
    EXPECT_EQ(ServerOptions::Parse({"--port=65535"}).port, 65535);
    EXPECT_TRUE(ServerOptions::Parse({"--version"}).version);
    EXPECT_EQ(ServerOptions::Parse({"--address=192.168.1.20"}).address, "192.168.1.20");
    EXPECT_EQ(ServerOptions::Parse({"--address=::1"}).address, "::1");
    EXPECT_EQ(ServerOptions::Parse({"--address=[fe80::1]"}).address, "fe80::1");
    EXPECT_EQ(ServerOptions::Parse({}).address, "") << "every address";
}

TEST(ServerOptions, RefusesMalformedOptions) {
    for (const char* bad : {"--port=", "--port=abc", "--port=0", "--port=65536", "--port=80x", "--port=-1",
                            "--port=99999999999", "--secureport=0", "--port", "--foreground=yes", "--root=",
                            "--colour=red", "--version=2", "--address=", "--address=device.local",
                            "--address=192.168.1.300", "--address=[::1"}) {
        EXPECT_THROW(ServerOptions::Parse({bad}), OptionError) << bad;
    }
}
