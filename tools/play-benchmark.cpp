// kestrin-play-benchmark [--rounds N]
//
// Times the play command from its start to its play request, for a 1 MiB stream that lies in
// the middle of a 1 GiB container (sparse, apart from the stream's own bytes), with the
// stand-in converter as sx.exe, which writes its WAV file at once. The real 100 ms pause of the
// wait is included. Prints each round, the median, the best and the worst, the time up to the
// wait's first pause (stop, extraction, delete and launch), the number of pauses, the peak
// memory, and the median against the goal of 150 ms. Nothing is played aloud: SDL runs on its
// dummy driver.

#include <fcntl.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "convert/Commands.h"
#include "platform/FileRoutines.h"
#include "platform/Sleep.h"
#include "platform/Sound.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::int64_t kContainerBytes = std::int64_t{1} << 30;
constexpr std::int32_t kStreamBytes = 1 << 20;
constexpr std::int32_t kStreamStart = 512 * (1 << 20) + 12345;
constexpr double kGoalMs = 150.0;

double Milliseconds(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

class BenchmarkHost : public CommandHost {
  public:
    std::int32_t SelectedIndex() override { return 0; }
    std::string RowText(std::int32_t) override { return "container.big1.asf"; }
    void ShowMessage(const std::string& text, const std::string&, int) override {
        std::fprintf(stderr, "message: %s\n", text.c_str());
    }
    void ProcessMessages() override {}
};

// The stream's bytes: a start block, varied content, and the end pattern.
std::string MakeStream() {
    std::string stream(kStreamBytes, '\0');
    std::uint32_t state = 12345;
    for (char& byte : stream) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<char>(state >> 24);
    }
    stream.replace(0, 4, "SCHl");
    stream.replace(stream.size() - 5, 5, std::string("SCEl\x08"));
    return stream;
}

bool WriteContainer(const std::string& path) {
    const std::string stream = MakeStream();
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        return false;
    }
    const bool written = ::ftruncate(fd, kContainerBytes) == 0 &&
                         ::pwrite(fd, stream.data(), stream.size(), kStreamStart) ==
                             static_cast<ssize_t>(stream.size());
    return ::close(fd) == 0 && written;
}

struct Round {
    double toRequestMs = 0;       // the play request: right after the wait's last probe
    double toSoundStartedMs = 0;  // the sound service has loaded the file and started it
    double toFirstPauseMs = 0;
    int pauses = 0;
    Clock::time_point lastPauseEnd;
};

}  // namespace

int main(int argc, char** argv) {
    int rounds = 15;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--rounds" && i + 1 < argc) {
            rounds = std::max(1, std::atoi(argv[++i]));
        } else {
            std::fprintf(stderr, "usage: %s [--rounds N]\n", argv[0]);
            return 2;
        }
    }
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);

    std::string directory =
        (std::filesystem::temp_directory_path() / "kestrin-play-XXXXXX").string();
    if (::mkdtemp(directory.data()) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    directory += "/";
    StreamCatalogue catalogue;
    catalogue.ContainerPath = directory + "container.big";
    catalogue.StreamStarts = {kStreamStart};
    catalogue.StreamEnds = {kStreamStart + kStreamBytes};
    catalogue.StreamCount = catalogue.EndCount = 1;
    if (!WriteContainer(catalogue.ContainerPath) ||
        ::symlink(KESTRIN_STANDIN_PATH, (directory + "sx.exe").c_str()) != 0) {
        std::perror("cannot prepare the program directory");
        std::filesystem::remove_all(directory);
        return 1;
    }
    platform::SetProgramDirectoryForTesting(directory);

    // The real pause, with a note of when each one begins.
    Round round;
    Clock::time_point start;
    std::optional<Clock::time_point> soundStarted;
    platform::SetSleepForTesting([&](std::uint32_t milliseconds) {
        if (round.pauses++ == 0) {
            round.toFirstPauseMs = Milliseconds(Clock::now() - start);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
        round.lastPauseEnd = Clock::now();
    });
    platform::SetSoundObserverForTesting([&](const platform::SoundRecord& record) {
        if (record.name) {
            soundStarted = Clock::now();
        }
    });

    BenchmarkHost host;
    std::vector<Round> results;
    int failures = 0;
    for (int i = 0; i < rounds; ++i) {
        round = Round{};
        soundStarted.reset();
        start = Clock::now();
        try {
            PlayStream(catalogue, host);
        } catch (const std::exception& error) {
            std::fprintf(stderr, "round %d failed: %s\n", i + 1, error.what());
            ++failures;
            continue;
        }
        if (!soundStarted) {
            std::fprintf(stderr, "round %d made no play request\n", i + 1);
            ++failures;
            continue;
        }
        round.toSoundStartedMs = Milliseconds(*soundStarted - start);
        // The wait's last probe and the request follow the last pause within microseconds;
        // without a pause the sound service's own work is all that comes after the probe.
        round.toRequestMs =
            round.pauses > 0 ? Milliseconds(round.lastPauseEnd - start) : round.toSoundStartedMs;
        results.push_back(round);
        std::printf(
            "round %2d: play request after %6.1f ms, sound started after %6.1f ms (first pause "
            "after %5.1f ms, %d pauses)\n",
            i + 1, round.toRequestMs, round.toSoundStartedMs, round.toFirstPauseMs, round.pauses);
    }
    platform::CloseSoundService();
    std::filesystem::remove_all(directory);
    if (results.empty()) {
        return 1;
    }

    const auto sortedFigures = [&](double Round::*figure) {
        std::vector<double> values;
        for (const Round& r : results) {
            values.push_back(r.*figure);
        }
        std::sort(values.begin(), values.end());
        return values;
    };
    const std::vector<double> request = sortedFigures(&Round::toRequestMs);
    const std::vector<double> started = sortedFigures(&Round::toSoundStartedMs);
    const std::vector<double> beforeWait = sortedFigures(&Round::toFirstPauseMs);
    const std::size_t mid = results.size() / 2;
    std::vector<int> pauses;
    for (const Round& r : results) {
        pauses.push_back(r.pauses);
    }
    std::sort(pauses.begin(), pauses.end());
    struct rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    std::printf("\nplay of a %d KiB stream in a %lld MiB container, %zu rounds:\n",
                kStreamBytes / 1024, static_cast<long long>(kContainerBytes >> 20), results.size());
    std::printf("  click to play request: median %.1f ms, best %.1f ms, worst %.1f ms\n",
                request[mid], request.front(), request.back());
    std::printf("  click to sound started: median %.1f ms, best %.1f ms, worst %.1f ms\n",
                started[mid], started.front(), started.back());
    std::printf("  before the wait (stop, extract, delete, launch, first probe): median %.1f ms\n",
                beforeWait[mid]);
    std::printf("  pauses of 100 ms: median %d, most %d\n", pauses[mid], pauses.back());
    std::printf("  peak memory: %.1f MiB\n", static_cast<double>(usage.ru_maxrss) / 1024.0);
    std::printf("  median play request / goal of %.0f ms: %.2f (%s)\n", kGoalMs,
                request[mid] / kGoalMs, request[mid] <= kGoalMs ? "met" : "missed");
    return failures == 0 ? 0 : 1;
}
