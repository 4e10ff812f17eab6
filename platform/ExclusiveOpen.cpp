#include "platform/ExclusiveOpen.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/FileHandle.h"

namespace platform {
namespace {

bool leasesRefusedForTesting = false;

enum class Probe { Unavailable, Busy, Free };

bool IsNumber(const char* text) {
    if (*text == '\0') {
        return false;
    }
    for (; *text != '\0'; ++text) {
        if (*text < '0' || *text > '9') {
            return false;
        }
    }
    return true;
}

// True when a descriptor of any process other than ownFd of this one refers to the file. The
// descriptors of processes that belong to other users cannot be seen without privileges, but
// those rarely hold the files of this program.
bool OtherDescriptorFound(int ownFd, const struct stat& file) {
    DIR* processes = ::opendir("/proc");
    if (processes == nullptr) {
        return false;
    }
    const std::string self = std::to_string(::getpid());
    const std::string ownFdName = std::to_string(ownFd);
    bool found = false;
    while (!found) {
        const dirent* process = ::readdir(processes);
        if (process == nullptr) {
            break;
        }
        if (!IsNumber(process->d_name)) {
            continue;
        }
        const std::string fdDirectory = std::string("/proc/") + process->d_name + "/fd/";
        DIR* descriptors = ::opendir(fdDirectory.c_str());
        if (descriptors == nullptr) {
            continue;
        }
        const bool isSelf = self == process->d_name;
        while (const dirent* descriptor = ::readdir(descriptors)) {
            if (!IsNumber(descriptor->d_name) || (isSelf && ownFdName == descriptor->d_name)) {
                continue;
            }
            struct stat target {};
            const std::string link = fdDirectory + descriptor->d_name;
            if (::stat(link.c_str(), &target) == 0 && target.st_dev == file.st_dev &&
                target.st_ino == file.st_ino) {
                found = true;
                break;
            }
        }
        ::closedir(descriptors);
    }
    ::closedir(processes);
    return found;
}

// A write lease is granted only while no other open file description of the file exists,
// which is exactly the question. The lease is dropped again at once.
Probe ProbeWithLease(int fd, bool& refused) {
    refused = false;
    if (leasesRefusedForTesting) {
        refused = true;
        return Probe::Unavailable;
    }
    // Should another process open the file in the moment the lease is held, the system
    // notifies the holder by a signal, SIGIO unless chosen otherwise, which would end this
    // program. SIGURG is ignored unless a handler is installed.
    ::fcntl(fd, F_SETSIG, SIGURG);
    if (::fcntl(fd, F_SETLEASE, F_WRLCK) == 0) {
        ::fcntl(fd, F_SETLEASE, F_UNLCK);
        return Probe::Free;
    }
    if (errno == EAGAIN || errno == EBUSY) {
        return Probe::Busy;
    }
    // Not the file's owner without the right to lease anyway, or a file system without
    // leases (network and some user-space file systems).
    refused = true;
    return Probe::Unavailable;
}

Probe ProbeFile(const std::string& path) {
    // Non-blocking, so that a lease that another process holds on the file makes the open fail
    // at once instead of waiting for that process to give the lease up.
    FileHandle file(::open(path.c_str(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (file.Get() < 0) {
        return Probe::Unavailable;
    }
    struct stat info {};
    if (::fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return Probe::Unavailable;
    }
    if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        return Probe::Unavailable;
    }
    bool leaseRefused = false;
    const Probe leased = ProbeWithLease(file.Get(), leaseRefused);
    if (!leaseRefused) {
        return leased;
    }
    return OtherDescriptorFound(file.Get(), info) ? Probe::Busy : Probe::Free;
}

}  // namespace

bool CanOpenExclusively(const std::string& path) {
    return ProbeFile(path) == Probe::Free;
}

bool IsOpenElsewhere(const std::string& path) {
    return ProbeFile(path) == Probe::Busy;
}

void SetLeasesRefusedForTesting(bool refused) {
    leasesRefusedForTesting = refused;
}

}  // namespace platform
