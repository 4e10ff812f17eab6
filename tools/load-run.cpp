// kestrin-load-run [--directory DIR]
//
// A load run, not a test: builds a 1.5 GB container (sparse, apart from its streams) holding
// 100000 small streams from the converter's test encoder at irregular gaps, scans it through
// the Open File command, and then runs 200 play and convert commands in a row against it with
// the real converter as sx.exe, with the real pause in the play's wait and SDL on its dummy
// driver. Prints the peak memory against the container's size, the memory and the open
// descriptors before and after the commands, the converters and child processes left over
// once every converter has ended, and the time per command. Everything it made, the container
// included, is deleted at the end. DIR (default: the temporary directory) must have room for
// about 100 MB of real data.

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "catalogue/OpenFile.h"
#include "convert/Commands.h"
#include "platform/Errors.h"
#include "platform/FileRoutines.h"
#include "platform/Sleep.h"
#include "platform/Sound.h"
#include "sx/tests/StreamBuilder.h"
#include "tools/ConsoleScanHost.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr std::int64_t kContainerBytes = 1'500'000'000;
constexpr std::int32_t kStreams = 100000;
constexpr std::int64_t kStreamSpacing = kContainerBytes / kStreams;
constexpr int kCommands = 200;
constexpr auto kConverterEndBound = std::chrono::seconds(60);

double Milliseconds(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

// A "Kb:" figure of /proc/self/status, in MiB.
double StatusMiB(const std::string& field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(field + ":", 0) == 0) {
            return std::stod(line.substr(field.size() + 1)) / 1024.0;
        }
    }
    return -1;
}

int OpenDescriptors() {
    int count = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator("/proc/self/fd")) {
        ++count;
    }
    return count - 1;  // the directory listing's own descriptor
}

// Children of every thread of this process, as the kernel lists them.
int ChildProcesses() {
    int count = 0;
    for (const auto& task : fs::directory_iterator("/proc/self/task")) {
        std::ifstream children(task.path() / "children");
        for (long pid; children >> pid;) {
            ++count;
        }
    }
    return count;
}

// Processes anywhere that run the program at path (a converter is not our child: it is
// started through an intermediate and adopted by the system).
int ProcessesRunning(const fs::path& program) {
    int count = 0;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/proc", error)) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        std::error_code gone;
        if (fs::read_symlink(entry.path() / "exe", gone) == program) {
            ++count;
        }
    }
    return count;
}

// A few kinds of stream, each a few blocks long, that the scan finds by their start block.
std::vector<std::string> EncodedStreams() {
    std::vector<std::string> streams;
    const sx::test::Kind kinds[] = {sx::test::Kind::AdpcmR2, sx::test::Kind::Pcm16Interleaved,
                                    sx::test::Kind::Ima, sx::test::Kind::AdpcmR1};
    std::uint32_t seed = 1;
    for (const sx::test::Kind kind : kinds) {
        for (int channels = 1; channels <= 2; ++channels) {
            sx::test::StreamSpec spec;
            spec.kind = kind;
            spec.channels = channels;
            spec.blockCounts = {28, 14};
            spec.seed = seed++;
            const sx::test::EncodedStream encoded = sx::test::encodeStream(spec);
            streams.emplace_back(encoded.bytes.begin(), encoded.bytes.end());
        }
    }
    return streams;
}

// Writes the container: stream i at i * spacing plus an irregular gap, zeros between.
bool WriteContainer(const std::string& path, std::int64_t& dataBytes) {
    const std::vector<std::string> streams = EncodedStreams();
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        return false;
    }
    bool written = ::ftruncate(fd, kContainerBytes) == 0;
    dataBytes = 0;
    for (std::int32_t i = 0; written && i < kStreams; ++i) {
        const std::string& stream = streams[static_cast<std::size_t>(i) % streams.size()];
        const std::int64_t gap = (std::int64_t{i} * 7919) % 4000;
        written = ::pwrite(fd, stream.data(), stream.size(), i * kStreamSpacing + gap) ==
                  static_cast<ssize_t>(stream.size());
        dataBytes += static_cast<std::int64_t>(stream.size());
    }
    return ::close(fd) == 0 && written;
}

class LoadHost : public CommandHost {
  public:
    explicit LoadHost(const std::vector<std::string>& rows) : rows_(rows) {}

    std::int32_t SelectedIndex() override { return selected; }
    std::string RowText(std::int32_t index) override {
        return rows_.at(static_cast<std::size_t>(index));
    }
    void ShowMessage(const std::string& text, const std::string&, int) override {
        lastMessage = text;
    }
    void ProcessMessages() override {}

    std::int32_t selected = -1;
    std::string lastMessage;

  private:
    const std::vector<std::string>& rows_;
};

struct Timings {
    std::vector<double> milliseconds;

    void Print(const char* what) {
        if (milliseconds.empty()) {
            return;
        }
        std::sort(milliseconds.begin(), milliseconds.end());
        double sum = 0;
        for (const double value : milliseconds) {
            sum += value;
        }
        std::printf(
            "  %-8s %3zu commands: mean %7.1f ms, median %7.1f ms, best %7.1f ms, worst "
            "%7.1f ms\n",
            what, milliseconds.size(), sum / static_cast<double>(milliseconds.size()),
            milliseconds[milliseconds.size() / 2], milliseconds.front(), milliseconds.back());
    }
};

}  // namespace

int main(int argc, char** argv) {
    fs::path base = fs::temp_directory_path();
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--directory" && i + 1 < argc) {
            base = argv[++i];
        } else {
            std::fprintf(stderr, "usage: %s [--directory DIR]\n", argv[0]);
            return 2;
        }
    }
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);

    std::string scratch = (base / "kestrin-load-XXXXXX").string();
    if (::mkdtemp(scratch.data()) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string programDir = scratch + "/program/";
    const std::string container = scratch + "/container.big";
    const fs::path converter = fs::canonical(KESTRIN_SX_PATH);
    std::int64_t dataBytes = 0;
    fs::create_directory(programDir);
    const auto cleanUp = [&] { fs::remove_all(scratch); };
    if (!WriteContainer(container, dataBytes) ||
        ::symlink(converter.c_str(), (programDir + "sx.exe").c_str()) != 0) {
        std::perror("cannot prepare the container and the program directory");
        cleanUp();
        return 1;
    }
    platform::SetProgramDirectoryForTesting(programDir);
    std::printf("container: %lld bytes (%.1f MiB of stream data in it), %d streams, converter %s\n",
                static_cast<long long>(kContainerBytes), static_cast<double>(dataBytes) / 1048576,
                kStreams, converter.c_str());

    const double rssAtStart = StatusMiB("VmRSS");
    StreamCatalogue catalogue;
    ConsoleScanHost scanHost(container);
    const Clock::time_point scanStart = Clock::now();
    try {
        OpenFile(catalogue, scanHost);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "the scan failed: %s\n", error.what());
        cleanUp();
        return 1;
    }
    const double scanMs = Milliseconds(Clock::now() - scanStart);
    const double peakAfterScan = StatusMiB("VmHWM");
    std::printf("scan: %.0f ms, %d streams found (%s), %zu rows\n", scanMs, catalogue.StreamCount,
                scanHost.Message().c_str(), scanHost.Rows().size());
    std::printf(
        "memory: %.1f MiB at start, peak %.1f MiB after the scan = %.2f x the container "
        "(%.1f MiB)\n",
        rssAtStart, peakAfterScan, peakAfterScan / (static_cast<double>(kContainerBytes) / 1048576),
        static_cast<double>(kContainerBytes) / 1048576);
    if (catalogue.StreamCount == 0) {
        cleanUp();
        return 1;
    }

    // The real pause, so that the converter has its time as it would with a user.
    platform::SetSleepForTesting([](std::uint32_t milliseconds) {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    });
    int playedFiles = 0;
    int alerts = 0;
    platform::SetSoundObserverForTesting([&](const platform::SoundRecord& record) {
        if (record.name) {
            playedFiles += record.outcome == platform::SoundOutcome::PlayedFile ? 1 : 0;
            alerts += record.outcome == platform::SoundOutcome::PlayedAlert ? 1 : 0;
        }
    });

    LoadHost host(scanHost.Rows());
    Timings plays;
    Timings converts;
    int failures = 0;
    double rssBefore = 0;
    int fdsBefore = 0;
    int fdsAfterFirst = 0;
    std::vector<std::string> outputs;
    for (int k = 0; k < kCommands; ++k) {
        if (k == 0) {
            rssBefore = StatusMiB("VmRSS");
            fdsBefore = OpenDescriptors();
        }
        host.selected =
            static_cast<std::int32_t>((std::int64_t{k} * 49957) % catalogue.StreamCount);
        const bool play = k % 2 == 0;
        const Clock::time_point start = Clock::now();
        try {
            if (play) {
                PlayStream(catalogue, host);
            } else {
                ConvertStream(catalogue, host);
                outputs.push_back(programDir + host.RowText(host.selected) + ".wav");
            }
        } catch (const platform::Error& error) {
            ++failures;
            std::printf("  command %d (%s of row %d) failed: %s\n", k + 1,
                        play ? "play" : "convert", host.selected, error.what());
        }
        (play ? plays : converts).milliseconds.push_back(Milliseconds(Clock::now() - start));
        if (k == 0) {
            fdsAfterFirst = OpenDescriptors();
        }
    }
    const double rssAfter = StatusMiB("VmRSS");
    const int fdsAfter = OpenDescriptors();

    // Every converter ends on its own; wait for that, within a bound.
    const Clock::time_point waitStart = Clock::now();
    while (ProcessesRunning(converter) > 0 && Clock::now() - waitStart < kConverterEndBound) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    const double convertersEndedMs = Milliseconds(Clock::now() - waitStart);
    const int leftoverConverters = ProcessesRunning(converter);
    const int leftoverChildren = ChildProcesses();
    int wavsWritten = 0;
    for (const std::string& output : outputs) {
        std::error_code error;
        wavsWritten += fs::file_size(output, error) > 44 ? 1 : 0;
    }
    platform::CloseSoundService();
    const int fdsAfterSoundClosed = OpenDescriptors();

    std::printf("\n%d commands (%zu plays, %zu converts), %d failed:\n", kCommands,
                plays.milliseconds.size(), converts.milliseconds.size(), failures);
    plays.Print("play");
    converts.Print("convert");
    std::printf(
        "  plays that played their WAV: %d, alert sounds: %d; converts whose WAV is "
        "there: %d of %zu\n",
        playedFiles, alerts, wavsWritten, outputs.size());
    std::printf(
        "memory: RSS %.1f MiB before the commands, %.1f MiB after (%+.1f MiB); peak "
        "%.1f MiB\n",
        rssBefore, rssAfter, rssAfter - rssBefore, StatusMiB("VmHWM"));
    std::printf(
        "descriptors: %d before the commands, %d after the first (sound device opened), "
        "%d after all, %d once the sound service closed\n",
        fdsBefore, fdsAfterFirst, fdsAfter, fdsAfterSoundClosed);
    std::printf(
        "processes: converters still running %d (waited %.0f ms for them), child "
        "processes %d\n",
        leftoverConverters, convertersEndedMs, leftoverChildren);

    cleanUp();
    std::printf("deleted %s\n", scratch.c_str());
    return failures == 0 && leftoverConverters == 0 && leftoverChildren == 0 ? 0 : 1;
}
