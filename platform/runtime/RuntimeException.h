#pragma once
// The failures that travel through handlers to the application's unhandled-failure handling.
#include <stdexcept>
#include <string>

namespace platform {

class RuntimeException : public std::runtime_error {
public:
    explicit RuntimeException(const std::string& message) : std::runtime_error(message) {}
};

// A file that exists but cannot be opened or read.
class IOException : public RuntimeException {
public:
    using RuntimeException::RuntimeException;
};

// A missing object where one was required (a control, a page, a block).
class NilObjectException : public RuntimeException {
public:
    using RuntimeException::RuntimeException;
};

class OutOfBoundsException : public RuntimeException {
public:
    using RuntimeException::RuntimeException;
};

// Something was asked of the framework outside the context that it needs (a control made with no session).
class UnsupportedOperationException : public RuntimeException {
public:
    using RuntimeException::RuntimeException;
};

}  // namespace platform
