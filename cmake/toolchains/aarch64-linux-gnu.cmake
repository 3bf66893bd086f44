# Cross build for aarch64-linux-gnu boards with Debian's cross compiler and multiarch -dev packages;
# the test programs run under qemu-user. Plain qemu-aarch64 is used, not "qemu-aarch64 -L /usr/aarch64-linux-gnu":
# that pairs the cross package's loader with the multiarch C library and hangs at the first
# thread start.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64)
# Multiarch: the target's libraries and their CMake files are found in /usr/lib/<triplet>
# through CMAKE_LIBRARY_ARCHITECTURE, the shared headers in /usr/include.
# pkg-config (which FindOpenSSL asks first) and the searches must not see the build machine's
# own libraries in its multiarch folder.
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/aarch64-linux-gnu/pkgconfig:/usr/share/pkgconfig)
set(CMAKE_IGNORE_PATH /usr/lib/x86_64-linux-gnu)
