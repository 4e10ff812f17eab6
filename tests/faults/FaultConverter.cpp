// A misbehaving stand-in for the converter sx.exe, for the fault tests. It takes the converter's
// arguments (-wave <input> -=<output>), first appends its process id and a newline to
// "fault.pid" beside it (the directory of argv[0], taken relative to the working directory),
// and then behaves as the file "fault.mode" there says:
//
//   crash   creates output, writes a few bytes of a WAV header and aborts (without leaving a
//           core file behind; an abort, unlike a segmentation fault, is no sanitizer report);
//   hang    creates output, keeps it open and does not exit: the test kills it (should a
//           failed test not do so, it gives up after two minutes, so as not to stay behind);
//   badwav  writes a complete RIFF file whose audio format no player knows, and exits;
//   hold    opens input and keeps it open until a file "fault.release" appears beside it (or
//           two minutes have passed), then writes the stand-in WAV of the input it read.
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
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

void WriteOutput(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// A RIFF/WAVE file of one second of silence in an audio format tag that nobody assigned.
std::string UnplayableWav() {
    std::string wav = StandInWavFor(std::string(8000, '\x80'));
    constexpr std::size_t kFormatTagOffset = 20;
    wav[kFormatTagOffset] = '\x34';
    wav[kFormatTagOffset + 1] = '\x12';
    return wav;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string directory = DirectoryOf(argv[0]);
    std::ofstream(directory + "fault.pid", std::ios::app) << ::getpid() << '\n';

    std::ifstream modeFile(directory + "fault.mode");
    std::string mode;
    modeFile >> mode;

    if (argc != 4 || std::string(argv[1]) != "-wave" || std::string(argv[3]).rfind("-=", 0) != 0) {
        return 2;
    }
    const std::string input = argv[2];
    const std::string output = std::string(argv[3]).substr(2);

    if (mode == "crash") {
        std::ofstream partial(output, std::ios::binary | std::ios::trunc);
        partial << StandInWavFor("").substr(0, 10) << std::flush;
        const rlimit noCore{0, 0};
        ::setrlimit(RLIMIT_CORE, &noCore);
        std::abort();
    } else if (mode == "hang") {
        const std::ofstream held(output, std::ios::binary | std::ios::trunc);
        std::this_thread::sleep_for(std::chrono::minutes(2));
    } else if (mode == "badwav") {
        WriteOutput(output, UnplayableWav());
    } else if (mode == "hold") {
        std::ifstream held(input, std::ios::binary);
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::minutes(2);
        while (::access((directory + "fault.release").c_str(), F_OK) != 0 &&
               std::chrono::steady_clock::now() < giveUp) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        WriteOutput(output, StandInWavFor(std::string(std::istreambuf_iterator<char>(held), {})));
    } else {
        return 3;
    }
    return 0;
}
