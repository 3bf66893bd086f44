# Cross build for arm-linux-gnueabihf boards with Debian's cross compiler and multiarch -dev packages;
# the test programs run under qemu-user. Plain qemu-arm is used, not "qemu-arm -L /usr/arm-linux-gnueabihf":
# that pairs the cross package's loader with the multiarch C library and hangs at the first
# thread start.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(CMAKE_C_COMPILER arm-linux-gnueabihf-gcc)
set(CMAKE_CXX_COMPILER arm-linux-gnueabihf-g++)
set(CMAKE_LIBRARY_ARCHITECTURE arm-linux-gnueabihf)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-arm)
# Multiarch: the target's libraries and their CMake files are found in /usr/lib/<triplet>
# through CMAKE_LIBRARY_ARCHITECTURE, the shared headers in /usr/include.
# pkg-config (which FindOpenSSL asks first) and the searches must not see the build machine's
# own libraries in its multiarch folder.
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/arm-linux-gnueabihf/pkgconfig:/usr/share/pkgconfig)
set(CMAKE_IGNORE_PATH /usr/lib/x86_64-linux-gnu)
# GCC's note that ARM's parameter passing for some types changed in GCC 7.1 concerns mixing
# objects built by compilers older than that; everything here is built by one compiler.
set(CMAKE_CXX_FLAGS_INIT "-Wno-psabi")
