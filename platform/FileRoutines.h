#pragma once

#include <string>

namespace platform {

// True when a regular file (or a link to one) exists at path; a directory does not count.
bool FileExists(const std::string& path);

// Removes the file; false when there was none or it could not be removed.
bool DeleteFile(const std::string& path);

// What follows the last '/' of path (the whole path when it has none).
std::string ExtractFileName(const std::string& path);

// path up to and including its last '/' (empty when it has none).
std::string ExtractFilePath(const std::string& path);

// Full path of the running executable, from /proc/self/exe.
std::string ApplicationExeName();

// The directory of the running executable with its trailing '/', worked out afresh on every
// call. Tests may point it elsewhere with SetProgramDirectoryForTesting.
std::string ProgramDirectory();

// Makes ProgramDirectory() answer dir (which must end in '/'); an empty dir restores the real one.
void SetProgramDirectoryForTesting(const std::string& dir);

}  // namespace platform
