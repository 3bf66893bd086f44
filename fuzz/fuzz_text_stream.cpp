// libFuzzer target: any bytes, any buffer size. The stream must never crash, every
// position must move forward, the lines with their terminators must add up to the input,
// and a read limited in length must give the line's prefix and end where the line ends.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/runtime/TextInputStream.h"
#include "platform/testing/MemoryByteSource.h"


extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::size_t buffer = 2 + data[0] % 64;
    const std::string input(reinterpret_cast<const char*>(data + 1), size - 1);
    platform::TextInputStream stream(std::make_unique<platform::testing::MemoryByteSource>(input), buffer);
    std::uint64_t textBytes = 0;
    while (!stream.IsEOF()) {
        if ((stream.PositionB() + data[0]) % 3 == 0) stream.SkipLinesStartingWith("a,");
        if (stream.IsEOF()) break;
        const std::uint64_t before = stream.PositionB();
        const std::string line = stream.ReadLine();
        if (line.find('\n') != std::string::npos || line.find('\r') != std::string::npos) __builtin_trap();
        if (stream.PositionB() <= before) __builtin_trap();
        // A limited read of the same line: its prefix, and the same position after.
        const std::uint64_t after = stream.PositionB();
        const std::size_t limit = (before + data[0]) % 7;
        stream.SetPositionB(static_cast<std::int64_t>(before));
        const std::string cut = stream.ReadLine(limit);
        if (cut != line.substr(0, limit) || stream.PositionB() != after) __builtin_trap();
        textBytes += line.size();
    }
    if (stream.PositionB() != input.size()) __builtin_trap();
    if (textBytes > input.size()) __builtin_trap();
    return 0;
}
