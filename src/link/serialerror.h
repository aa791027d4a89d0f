#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace comm {

// A failure of the serial port.
class SerialError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class SerialOpenError : public SerialError {
public:
    explicit SerialOpenError(int32_t errorCode)
        : SerialError("オープンエラー ErrorCode = " + std::to_string(errorCode)), code(errorCode) {}
    int32_t code;
};

class SerialReadWriteError : public SerialError {
public:
    explicit SerialReadWriteError(int32_t errorCode)
        : SerialError("入出力エラー ErrorCode = " + std::to_string(errorCode)), code(errorCode) {}
    int32_t code;
};

}  // namespace comm
