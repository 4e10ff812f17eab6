// A stand-in for the converter sx.exe, for the tests and the play benchmark. It takes the
// converter's arguments (-wave <input> -=<output>) and behaves as the file "standin.mode"
// beside it says (the directory of argv[0], taken relative to the working directory):
//
//   wav   (also when there is no mode file) writes StandInWavFor(input) to output at once;
//   slow  creates output, writes the header, holds the file open until a file
//         "standin.release" appears beside it, then writes the rest and closes it;
//   exit  exits at once without writing anything.
//
// When done it appends one line to "standin.log" beside it: the working directory, each
// argument, and whether output existed when it started, separated by tabs, with tab, newline
// and '%' written as %09, %0A and %25.
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "convert/tests/StandInWav.h"

namespace {

std::string DirectoryOf(const std::string& program) {
    const auto slash = program.find_last_of('/');
    return slash == std::string::npos ? "./" : program.substr(0, slash + 1);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool Exists(const std::string& path) {
    return ::access(path.c_str(), F_OK) == 0;
}

std::string Escaped(const std::string& field) {
    std::string out;
    for (const char c : field) {
        if (c == '\t') {
            out += "%09";
        } else if (c == '\n') {
            out += "%0A";
        } else if (c == '%') {
            out += "%25";
        } else {
            out += c;
        }
    }
    return out;
}

bool WriteAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    return true;
}

// Waits for the release file, but not for ever: a test that failed before releasing must not
// leave the stand-in behind.
void WaitForRelease(const std::string& releasePath) {
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    while (!Exists(releasePath) && std::chrono::steady_clock::now() < giveUp) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::string directory = DirectoryOf(argv[0]);
    std::string mode = ReadFile(directory + "standin.mode");
    while (!mode.empty() && (mode.back() == '\n' || mode.back() == ' ')) {
        mode.pop_back();
    }

    std::string line;
    char cwd[4096] = {};
    line += Escaped(::getcwd(cwd, sizeof cwd) != nullptr ? cwd : "?");
    for (int i = 1; i < argc; ++i) {
        line += '\t' + Escaped(argv[i]);
    }
    const bool wellFormed =
        argc == 4 && std::string(argv[1]) == "-wave" && std::string(argv[3]).rfind("-=", 0) == 0;
    const std::string output = wellFormed ? std::string(argv[3]).substr(2) : std::string();
    line += wellFormed && Exists(output) ? "\texisted" : "\tnew";

    int status = wellFormed ? 0 : 2;
    if (wellFormed && mode != "exit") {
        const std::string wav = StandInWavFor(ReadFile(argv[2]));
        const int fd = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (fd < 0) {
            status = 1;
        } else {
            constexpr std::size_t kHeaderBytes = 44;
            if (mode == "slow") {
                WriteAll(fd, wav.substr(0, kHeaderBytes));
                WaitForRelease(directory + "standin.release");
                WriteAll(fd, wav.substr(kHeaderBytes));
            } else {
                WriteAll(fd, wav);
            }
            ::close(fd);
        }
    }

    std::ofstream(directory + "standin.log", std::ios::app | std::ios::binary) << line << '\n';
    return status;
}
