// kestrin-scan-benchmark [--size MIB] [--keep] [FILE]
//
// Writes a container of MIB mebibytes (512 unless told) holding thousands of streams with gaps
// of varied sizes, then times, from the page cache, a plain whole-file load of it and the full
// scan that the Open File command runs (load included), and prints both, their ratio and the
// peak memory. The goals: the scan costs at most 1.3 times the plain load, and the peak memory
// stays within the file size plus 64 MiB. The container goes to FILE, or to a file in the
// temporary directory, and is deleted afterwards unless --keep is given. An existing FILE is
// never overwritten.

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "catalogue/OpenFile.h"
#include "catalogue/PatternSearch.h"
#include "platform/Errors.h"
#include "platform/Streams.h"
#include "tools/ConsoleScanHost.h"

namespace {

constexpr std::int64_t kMebibyte = 1024 * 1024;
constexpr int kRounds = 11;

// A small, fast generator: the benchmark's figures should not depend on the library's.
class XorShift {
  public:
    explicit XorShift(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return state_;
    }
    std::int64_t Below(std::int64_t bound) {
        return static_cast<std::int64_t>(Next() % static_cast<std::uint64_t>(bound));
    }

  private:
    std::uint64_t state_;
};

// Random bytes, with every "SC" broken up so that no marker arises by chance; an "S" still
// comes once in 256 bytes, as in real data, and costs the search its candidate checks.
void AppendFiller(std::string& out, std::int64_t count, XorShift& random) {
    const std::size_t begin = out.size();
    out.resize(begin + static_cast<std::size_t>(count));
    for (std::size_t i = begin; i < out.size(); i += 8) {
        const std::uint64_t bits = random.Next();
        for (std::size_t k = 0; k < 8 && i + k < out.size(); ++k) {
            out[i + k] = static_cast<char>(bits >> (8 * k));
        }
    }
    for (std::size_t i = begin; i + 1 < out.size(); ++i) {
        if (out[i] == 'S' && out[i + 1] == 'C') {
            out[i + 1] = 'c';
        }
    }
}

// A gap before a stream: none, a few bytes, less than a window, or more than one.
std::int64_t GapLength(XorShift& random) {
    switch (random.Below(4)) {
        case 0:
            return 0;
        case 1:
            return random.Below(1024);
        case 2:
            return random.Below(100000);
        default:
            return 100000 + random.Below(300000);
    }
}

// Writes the container and returns how many streams it holds.
std::int64_t WriteContainer(const std::string& path, std::int64_t size) {
    std::ofstream out(path, std::ios::binary);
    XorShift random(0x9E3779B97F4A7C15ull);
    std::int64_t written = 0;
    std::int64_t streams = 0;
    std::string piece;
    while (written < size) {
        piece.clear();
        AppendFiller(piece, GapLength(random), random);
        const std::int64_t body = 1024 + random.Below(300 * 1024);
        if (written + static_cast<std::int64_t>(piece.size()) + body + 9 <= size) {
            piece += "SCHl";
            AppendFiller(piece, body, random);
            piece += std::string("SCEl\x08", 5);
            ++streams;
        } else {
            piece.clear();
            AppendFiller(piece, size - written, random);
        }
        out.write(piece.data(), static_cast<std::streamsize>(piece.size()));
        written += static_cast<std::int64_t>(piece.size());
    }
    out.close();
    if (!out) {
        throw platform::Error("Cannot write the benchmark container \"" + path + "\"");
    }
    return streams;
}

// Wall-clock seconds of each round, and the processor time the process spent in it (user and
// system), which a busy machine disturbs less than the wall clock.
struct Timing {
    std::vector<double> wall;
    std::vector<double> cpu;

    static double Best(const std::vector<double>& seconds) {
        return *std::min_element(seconds.begin(), seconds.end());
    }
    static double Median(std::vector<double> seconds) {
        std::sort(seconds.begin(), seconds.end());
        return seconds[seconds.size() / 2];
    }
};

double CpuSeconds() {
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

template <typename Action>
void TimeOnce(Timing& timing, Action action) {
    const double cpuBegin = CpuSeconds();
    const auto begin = std::chrono::steady_clock::now();
    action();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - begin;
    timing.wall.push_back(took.count());
    timing.cpu.push_back(CpuSeconds() - cpuBegin);
}

double PeakMebibytes() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;  // ru_maxrss is in KiB
}

int Usage() {
    std::cerr << "usage: kestrin-scan-benchmark [--size MIB] [--keep] [FILE]\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::int64_t mebibytes = 512;
    bool keep = false;
    std::string path;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--keep") {
            keep = true;
        } else if (arg == "--size" && i + 1 < argc) {
            mebibytes = std::atoll(argv[++i]);
            if (mebibytes <= 0 || mebibytes * kMebibyte > kMaxContainerBytes) {
                std::cerr << "--size must lie between 1 and 2047\n";
                return 2;
            }
        } else if (!arg.empty() && arg[0] != '-' && path.empty()) {
            path = arg;
        } else {
            return Usage();
        }
    }
    if (path.empty()) {
        path = (std::filesystem::temp_directory_path() /
                ("kestrin-scan-benchmark-" + std::to_string(::getpid()) + ".dat"))
                   .string();
    }
    if (std::filesystem::exists(path)) {
        std::cerr << "\"" << path << "\" exists already; the benchmark will not overwrite it\n";
        return 1;
    }

    const std::int64_t size = mebibytes * kMebibyte;
    int status = 0;
    try {
        const std::int64_t generated = WriteContainer(path, size);

        platform::MemoryStream warm;
        warm.LoadFromFile(path);  // brings every page into the cache before timing
        warm.Clear();

        // The two alternate, round by round, so that a slow spell of the machine hits both.
        Timing load;
        Timing scan;
        std::int32_t found = 0;
        for (int round = 0; round < kRounds; ++round) {
            TimeOnce(load, [&] {
                platform::MemoryStream plain;
                plain.LoadFromFile(path);
            });
            TimeOnce(scan, [&] {
                StreamCatalogue catalogue;
                catalogue.ContainerPath = path;
                ConsoleScanHost host(path);
                ScanContainer(catalogue, host);
                found = catalogue.StreamCount;
            });
        }
        const double sizeMebibytes = static_cast<double>(mebibytes);
        const double peak = PeakMebibytes();
        const double ratio = Timing::Best(scan.wall) / Timing::Best(load.wall);
        std::printf("container       %s, %lld MiB, %lld streams (scan found %d)\n", path.c_str(),
                    static_cast<long long>(mebibytes), static_cast<long long>(generated), found);
        std::printf("%d rounds        best wall   median wall   best cpu\n", kRounds);
        for (const auto& [name, timing] : {std::pair{"plain load", &load}, {"scan      ", &scan}}) {
            std::printf("%s      %.3f s     %.3f s       %.3f s   (%.0f MiB/s)\n", name,
                        Timing::Best(timing->wall), Timing::Median(timing->wall),
                        Timing::Best(timing->cpu), sizeMebibytes / Timing::Best(timing->wall));
        }
        std::printf("ratio           %.3f       %.3f         %.3f     (goal <= 1.3: %s)\n", ratio,
                    Timing::Median(scan.wall) / Timing::Median(load.wall),
                    Timing::Best(scan.cpu) / Timing::Best(load.cpu),
                    ratio <= 1.3 ? "met" : "missed");
        std::printf("vector search   %s\n",
                    catalogue::VectorPatternSearchAvailable() ? "yes" : "no (portable search)");
        std::printf("peak memory     %.0f MiB  (goal <= %.0f MiB: %s)\n", peak,
                    sizeMebibytes + 64.0, peak <= sizeMebibytes + 64.0 ? "met" : "missed");
        if (found != generated) {
            std::fprintf(stderr, "the scan found %d streams where %lld were written\n", found,
                         static_cast<long long>(generated));
            status = 1;
        }
    } catch (const platform::Error& error) {
        std::cerr << error.what() << '\n';
        status = 1;
    }
    if (!keep) {
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
    }
    return status;
}
