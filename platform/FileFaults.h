#pragma once

#include <cstdint>
#include <string>

// Fault injection for the file routines, so that tests can make an open, a read or a write fail
// even when they run as root (where a file without read permission still opens). A fault is
// keyed by the path exactly as the caller passes it to the file routines and stays in place
// until it is cleared. Faults live in one process-wide table; the file routines consult it on
// every open, so a fault costs nothing when none is set beyond one lookup in an empty table.
namespace platform::faults {

// Every open of path (for reading or for creating) fails with errnum, as if the system had
// refused it: LoadFromFile and LoadRangeFromFile throw FileOpenError, SaveToFile throws
// FileCreateError, each with the system's reason for errnum.
void FailOpen(const std::string& path, int errnum);

// Each open of path for reading delivers at most bytes bytes; the read after them fails with
// EIO, so a whole-file or range load throws StreamReadError.
void FailReadAfter(const std::string& path, std::int64_t bytes);

// Each open of path for writing takes at most bytes bytes; the write after them fails with
// ENOSPC, so SaveToFile throws StreamWriteError with those bytes in the file.
void FailWriteAfter(const std::string& path, std::int64_t bytes);

// Removes every fault.
void ClearAll();

// Removes every fault when it goes out of scope: a test sets its faults after creating one.
class ScopedClear {
  public:
    ScopedClear() = default;
    ~ScopedClear() { ClearAll(); }
    ScopedClear(const ScopedClear&) = delete;
    ScopedClear& operator=(const ScopedClear&) = delete;
};

// What the file routines ask. Each returns the injected value, or the "none" value
// (0 for OpenErrorFor, -1 for the limits) when no fault is set for path.
int OpenErrorFor(const std::string& path);
std::int64_t ReadLimitFor(const std::string& path);
std::int64_t WriteLimitFor(const std::string& path);

}  // namespace platform::faults
