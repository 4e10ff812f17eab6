#include "platform/Launch.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

extern char** environ;

namespace platform {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// What the grandchild sends back through the report pipe when it cannot become the program.
// Nothing arrives when the exec succeeds: the pipe closes on exec.
enum class LaunchStep : int { Fork, WorkingDirectory, StandardStreams, Exec };
struct LaunchFailure {
    LaunchStep step;
    int errnum;
};

// Between fork and exec only async-signal-safe calls are allowed, since other threads of this
// process may hold locks (of the allocator, for one) that would never be released in the child.
[[noreturn]] void ReportAndExit(int reportFd, LaunchStep step, int errnum) {
    const LaunchFailure failure{step, errnum};
    [[maybe_unused]] const ssize_t written = ::write(reportFd, &failure, sizeof failure);
    ::_exit(127);
}

// Becomes the program, hidden: a session of its own (no controlling terminal), the standard
// streams on /dev/null, default signal handling, and no inherited descriptor beyond the three.
[[noreturn]] void BecomeProgram(int reportFd, const char* program, char* const* argv,
                                const char* workingDirectory) {
    ::setsid();
    if (workingDirectory != nullptr && ::chdir(workingDirectory) != 0) {
        ReportAndExit(reportFd, LaunchStep::WorkingDirectory, errno);
    }
    const int null = ::open("/dev/null", O_RDWR);
    if (null < 0) {
        ReportAndExit(reportFd, LaunchStep::StandardStreams, errno);
    }
    for (int stream = 0; stream <= 2; ++stream) {
        if (::dup2(null, stream) < 0) {
            ReportAndExit(reportFd, LaunchStep::StandardStreams, errno);
        }
    }
    if (null > 2) {
        ::close(null);
    }
    // Every other descriptor closes on exec; the report pipe already does.
    ::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);

    // Ignored signals and the blocked mask survive exec: hand the program a clean slate.
    struct sigaction defaults {};
    defaults.sa_handler = SIG_DFL;
    for (int number = 1; number < NSIG; ++number) {
        ::sigaction(number, &defaults, nullptr);
    }
    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);

    ::execve(program, argv, environ);
    ReportAndExit(reportFd, LaunchStep::Exec, errno);
}

int ResultFor(const LaunchFailure& failure) {
    const int e = failure.errnum;
    if (e == ENOMEM || e == EAGAIN) {
        return kLaunchOutOfMemory;
    }
    switch (failure.step) {
        case LaunchStep::WorkingDirectory:
            return e == EACCES ? kLaunchAccessDenied : kLaunchPathNotFound;
        case LaunchStep::Exec:
            if (e == ENOENT || e == ENOTDIR) {
                return kLaunchFileNotFound;
            }
            if (e == EACCES || e == EPERM || e == EISDIR) {
                return kLaunchAccessDenied;
            }
            if (e == ENOEXEC || e == ELIBBAD || e == ETXTBSY) {
                return kLaunchBadFormat;
            }
            return kLaunchOutOfResources;
        default:
            return kLaunchOutOfResources;
    }
}

void CloseBoth(const int fds[2]) {
    ::close(fds[0]);
    ::close(fds[1]);
}

}  // namespace

int LaunchHidden(const std::string& program, const std::string& parameters,
                 const std::optional<std::string>& workingDirectory) {
    // Everything the child needs is prepared here, before the fork.
    std::vector<std::string> arguments = SplitCommandLine(parameters);
    arguments.insert(arguments.begin(), program);
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 1);
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    const char* directory = workingDirectory ? workingDirectory->c_str() : nullptr;

    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) {
        return kLaunchOutOfResources;
    }
    // A double fork: the intermediate child exits at once, and the program, its child, is
    // adopted by the system's reaper. This process waits only for the intermediate, which takes
    // no time, and leaves no zombie whenever the program ends.
    const pid_t intermediate = ::fork();
    if (intermediate < 0) {
        const int forkError = errno;
        CloseBoth(report);
        return ResultFor({LaunchStep::Fork, forkError});
    }
    if (intermediate == 0) {
        ::close(report[0]);
        const pid_t child = ::fork();
        if (child < 0) {
            ReportAndExit(report[1], LaunchStep::Fork, errno);
        }
        if (child > 0) {
            ::_exit(0);
        }
        BecomeProgram(report[1], argv[0], argv.data(), directory);
    }
    ::close(report[1]);
    while (::waitpid(intermediate, nullptr, 0) < 0 && errno == EINTR) {
    }

    // The write end closes when the program's exec succeeds, or after a failure report.
    LaunchFailure failure{};
    ssize_t received;
    do {
        received = ::read(report[0], &failure, sizeof failure);
    } while (received < 0 && errno == EINTR);
    ::close(report[0]);
    if (received == 0) {
        return kLaunchStarted;
    }
    if (received != static_cast<ssize_t>(sizeof failure)) {
        return kLaunchOutOfResources;
    }
    return ResultFor(failure);
}

std::vector<std::string> SplitCommandLine(const std::string& parameters) {
    std::vector<std::string> arguments;
    const std::size_t length = parameters.size();
    std::size_t i = 0;
    for (;;) {
        while (i < length && IsBlank(parameters[i])) {
            ++i;
        }
        if (i == length) {
            return arguments;
        }
        std::string argument;
        bool quoted = false;
        while (i < length && (quoted || !IsBlank(parameters[i]))) {
            const char c = parameters[i];
            if (c == '\\') {
                std::size_t end = i;
                while (end < length && parameters[end] == '\\') {
                    ++end;
                }
                const std::size_t backslashes = end - i;
                if (end < length && parameters[end] == '"') {
                    argument.append(backslashes / 2, '\\');
                    if (backslashes % 2 == 1) {
                        argument += '"';
                        ++end;
                    }
                } else {
                    argument.append(backslashes, '\\');
                }
                i = end;
            } else if (c == '"') {
                if (quoted && i + 1 < length && parameters[i + 1] == '"') {
                    argument += '"';
                    i += 2;
                } else {
                    quoted = !quoted;
                    ++i;
                }
            } else {
                argument += c;
                ++i;
            }
        }
        arguments.push_back(std::move(argument));
    }
}

std::string EscapeForQuotes(const std::string& name) {
    std::string escaped;
    escaped.reserve(name.size());
    std::size_t backslashes = 0;
    for (const char c : name) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"') {
            escaped.append(2 * backslashes + 1, '\\');
        } else {
            escaped.append(backslashes, '\\');
        }
        escaped += c;
        backslashes = 0;
    }
    // The closing quote follows: the backslashes before it must not escape it.
    escaped.append(2 * backslashes, '\\');
    return escaped;
}

}  // namespace platform
