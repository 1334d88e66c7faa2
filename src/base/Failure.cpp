#include "base/Failure.h"

#include <exception>
#include <new>

#include "base/Errors.h"

namespace veltra {

TCaughtFailure CaughtFailure()
{
    try {
        throw;
    } catch (const EVeltraError& e) {
        return {false, e.what(), e.Reason()};
    } catch (...) {
        if (InternalErrorsFatal())
            throw;
    }
    // Outside the catch blocks above: telling the fault may itself need memory.
    std::string what = "unknown failure";
    try {
        throw;
    } catch (const std::bad_alloc&) {
        what = "out of memory";
    } catch (const std::exception& e) {
        what = e.what();
    } catch (...) {
    }
    return {true, "internal error: " + what, {}};
}

} // namespace veltra
