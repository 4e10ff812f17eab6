#pragma once

#include <string>

namespace platform {

// True when path names an existing regular file that could be opened for reading and writing
// at this moment while no other descriptor, in this process or any other, has it open: the
// test for a file that another program has finished writing. Never throws; every failure is a
// plain false. The file is opened for the probe and closed again, its content untouched.
//
// A file without any write permission bit counts as read-only and is never free, for root
// too, as a read-only file cannot be opened for writing on the desktop platform either.
bool CanOpenExclusively(const std::string& path);

// True when path names an existing regular file that some other descriptor has open at this
// moment, such as a converter still reading or writing it. Never throws.
bool IsOpenElsewhere(const std::string& path);

// Makes the probes behave as on a file system that refuses leases, so that tests reach the
// fallback that scans the open descriptors of every process. False restores the normal way.
void SetLeasesRefusedForTesting(bool refused);

}  // namespace platform
