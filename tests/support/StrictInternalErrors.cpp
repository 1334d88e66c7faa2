// Linked into every test program: a fault of the program met by a guard (anything but the
// program's own error classes) fails the test instead of passing for a bad file.
#include "base/Errors.h"

namespace {

[[maybe_unused]] const bool strict = (veltra::InternalErrorsFatal() = true);

} // namespace
