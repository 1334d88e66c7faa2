#pragma once
// The one policy of the guards that go on after a failure (per stream, per opened file, per
// outline file, per window handler, per input of the renderer). A failure of the program's own
// classes (EVeltraError: a damaged or unreadable input, a file that cannot be written) is told
// as it is, with its reason. Anything else (an index out of range, a failed allocation) is a
// fault of the program, told as "internal error: ...", and fatal where InternalErrorsFatal()
// is set (test programs and fuzz targets), so such a fault never passes for a bad file.
#include <string>

namespace veltra {

struct TCaughtFailure {
    // Not one of the program's own failures.
    bool Internal = false;
    // what() of the program's own failures; "internal error: " + what() of the others.
    std::string Message;
    // The reason in the user's terms (EVeltraError::Reason); empty when only the kind of
    // failure is known, and for internal errors.
    std::string Reason;
};

// The failure being handled: to be called only inside a catch block. Rethrows an internal
// error when InternalErrorsFatal().
TCaughtFailure CaughtFailure();

} // namespace veltra
