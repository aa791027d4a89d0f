#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

// A failure of the serial port component.
class ECommError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class ECommOpenError : public ECommError {
public:
    explicit ECommOpenError(int32_t errorCode)
        : ECommError("オープンエラー ErrorCode = " + std::to_string(errorCode)),
          ErrorCode(errorCode) {}
    int32_t ErrorCode;
};

class ECommReadWriteError : public ECommError {
public:
    explicit ECommReadWriteError(int32_t errorCode)
        : ECommError("入出力エラー ErrorCode = " + std::to_string(errorCode)),
          ErrorCode(errorCode) {}
    int32_t ErrorCode;
};
