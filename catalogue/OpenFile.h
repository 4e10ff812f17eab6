#pragma once

#include <cstdint>

#include "catalogue/ScanHost.h"
#include "catalogue/StreamCatalogue.h"

// The largest container that can be scanned: offsets in the catalogue are signed 32-bit.
inline constexpr std::int64_t kMaxContainerBytes = 2147483647;

// The Open File command: lets the user choose a file through the host's dialog, resets the
// catalogue and the list, and scans the file. Cancelling the dialog changes nothing; a path
// that names no regular file ends the command silently after the reset. Does nothing at all
// while a scan is already running (called again from one of the scan's pumps).
// Failures (see ScanContainer) propagate as platform::Error.
void OpenFile(StreamCatalogue& catalogue, ScanHost& host);

// Loads the container named by catalogue.ContainerPath, lists every stream in it (one row and
// one start and end entry each), shows the count and puts the progress back to its minimum.
// Expects the caller to have set ContainerPath, emptied the list and set both counts to 0.
// Throws platform::Error: FileOpenError, StreamReadError, OutOfMemoryError, or a refusal of a
// container larger than kMaxContainerBytes, before anything is loaded. Does nothing while
// another scan is running.
void ScanContainer(StreamCatalogue& catalogue, ScanHost& host);
