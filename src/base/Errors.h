#pragma once
// Failures are exceptions derived from one project base, caught only at a few fixed places:
// per stream in the decoding pass, per file when opening, per call in the projection
// transforms, and in settings access.
#include <stdexcept>
#include <string>
#include <utility>

namespace veltra {

class EVeltraError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    // message for developers and logs; reason for the person looking at the data file, in
    // their terms ("zero band-correction divisor for channel 8").
    EVeltraError(const std::string& message, std::string reason)
        : std::runtime_error(message), reason_(std::move(reason))
    {
    }
    // Empty when the kind of failure is all that is known.
    const std::string& Reason() const { return reason_; }

private:
    std::string reason_;
};

// A failure that is not one of the classes above (an index out of range, a failed allocation)
// is a fault of the program, not of the file being read. Where a guard meets one it reports it
// as an internal error and goes on; test programs and fuzz targets make it fatal instead, so
// that such a fault fails them rather than passing for a bad file.
inline bool& InternalErrorsFatal()
{
    static bool fatal = false;
    return fatal;
}

// A read that could not deliver every byte asked for, or a read past the end of a buffer.
class EReadError : public EVeltraError {
public:
    EReadError() : EVeltraError("Stream read error") {}
    using EVeltraError::EVeltraError;
};

// A write that could not be completed.
class EWriteError : public EVeltraError {
public:
    EWriteError() : EVeltraError("Stream write error") {}
    using EVeltraError::EVeltraError;
};

// A file that could not be opened.
class EFOpenError : public EVeltraError {
public:
    using EVeltraError::EVeltraError;
};

// An arithmetic fault: a zero divisor, the logarithm of zero, an overflow, a result that is
// not a number. C++ does not trap these, so the code checks for them and raises this instead.
class EArithmeticError : public EVeltraError {
public:
    EArithmeticError() : EVeltraError("Invalid floating point operation") {}
    using EVeltraError::EVeltraError;
};

// Bytes that cannot be the layout the file's name announces (an unknown instrument, a header
// the layout cannot hold). The message is the reason, already in the user's terms.
class EFormatError : public EVeltraError {
public:
    explicit EFormatError(const std::string& reason) : EVeltraError(reason, reason) {}
};

// A text that is not a number, or a date or time that cannot be encoded.
class EConvertError : public EVeltraError {
public:
    using EVeltraError::EVeltraError;
};

} // namespace veltra
