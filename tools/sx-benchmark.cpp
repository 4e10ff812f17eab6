// Converter benchmark: decodes a 10-minute 44.1 kHz stereo stream of each main ADPCM kind (R1,
// R2 and the stereo-packed form) and prints the time, the multiple of real time and the peak
// memory. The stream is written to a file block by block and decoded from that file, so that
// neither side holds the whole stream; a 1-minute run before it shows that the peak does not
// grow with the stream's length.
//
// Run: build/bin/kestrin-sx-benchmark [minutes] [directory for the stream and WAV files, default /tmp]

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "sx/ByteOrder.h"
#include "sx/ByteSource.h"
#include "sx/Decoder.h"
#include "sx/OutputFile.h"

namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kRate = 44100;
constexpr std::uint32_t kChannels = 2;
constexpr std::uint32_t kBlockSamples = 2000;  // not a multiple of 28, as in real streams
constexpr std::uint32_t kFrameSamples = 28;

enum class Kind { R1, R2, StereoPacked };

const char* nameOf(Kind kind) {
    switch (kind) {
        case Kind::R1:
            return "R1";
        case Kind::R2:
            return "R2";
        case Kind::StereoPacked:
            return "stereo-packed";
    }
    return "";
}

struct Random {
    std::uint32_t state = 2463534242u;
    std::uint32_t next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
};

void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    std::uint8_t b[4];
    sx::storeU32Le(b, v);
    out.insert(out.end(), b, b + 4);
}

void putText(std::vector<std::uint8_t>& out, const char* text) {
    while (*text != 0)
        out.push_back(static_cast<std::uint8_t>(*text++));
}

// An ADPCM frame with a valid filter, a moderate shift and random nibbles: the decoder does the
// same work whatever the nibbles say.
void putFrame(std::vector<std::uint8_t>& out, Random& random, std::size_t nibbleBytes) {
    out.push_back(static_cast<std::uint8_t>(((random.next() % 4) << 4) | (6 + random.next() % 7)));
    for (std::size_t i = 0; i < nibbleBytes; ++i)
        out.push_back(static_cast<std::uint8_t>(random.next()));
}

// Writes the stream to `path` one block at a time.
void writeStream(const fs::path& path, Kind kind, std::uint32_t totalSamples) {
    std::ofstream file(path, std::ios::binary);
    std::vector<std::uint8_t> bytes;
    putText(bytes, "SCHl");
    put32(bytes, 0);
    putText(bytes, "PT");
    bytes.insert(bytes.end(), {0x00, 0x00, 0xFD});  // desktop platform
    if (kind == Kind::StereoPacked) {
        bytes.insert(bytes.end(), {0x83, 0x01, 0x07});  // codec1: 4-bit ADPCM, version 0
    } else {
        bytes.insert(bytes.end(),
                     {0x80, 0x01, static_cast<std::uint8_t>(kind == Kind::R1 ? 1 : 2)});
    }
    bytes.insert(bytes.end(), {0x82, 0x01, kChannels, 0x84, 0x02, kRate >> 8, kRate & 0xFF, 0x85,
                               0x04, static_cast<std::uint8_t>(totalSamples >> 24),
                               static_cast<std::uint8_t>(totalSamples >> 16),
                               static_cast<std::uint8_t>(totalSamples >> 8),
                               static_cast<std::uint8_t>(totalSamples), 0xFF});
    while (bytes.size() % 4 != 0)
        bytes.push_back(0);
    sx::storeU32Le(&bytes[4], static_cast<std::uint32_t>(bytes.size()));
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));

    Random random;
    for (std::uint32_t done = 0; done < totalSamples; done += kBlockSamples) {
        const std::uint32_t count = std::min(kBlockSamples, totalSamples - done);
        const std::uint32_t frames = (count + kFrameSamples - 1) / kFrameSamples;
        bytes.clear();
        putText(bytes, "SCDl");
        put32(bytes, 0);
        put32(bytes, count);
        if (kind == Kind::StereoPacked) {
            bytes.insert(bytes.end(), 8, 0);  // stored history
            for (std::uint32_t f = 0; f < frames; ++f)
                putFrame(bytes, random, 29);
        } else {
            const std::uint32_t prefix = kind == Kind::R1 ? 4 : 0;
            const std::uint32_t area = prefix + frames * 15;
            put32(bytes, 0);
            put32(bytes, area);
            for (std::uint32_t ch = 0; ch < kChannels; ++ch) {
                bytes.insert(bytes.end(), prefix, 0);
                for (std::uint32_t f = 0; f < frames; ++f)
                    putFrame(bytes, random, 14);
            }
        }
        while (bytes.size() % 4 != 0)
            bytes.push_back(0);
        sx::storeU32Le(&bytes[4], static_cast<std::uint32_t>(bytes.size()));
        file.write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }
    file.write("SCEl\x08", 5);
}

// Counts the bytes and keeps none: the decode alone, without the disk.
class CountingSink : public sx::ByteSink {
  public:
    bool write(std::span<const std::uint8_t> bytes) override {
        size_ += bytes.size();
        return true;
    }
    bool rewriteStart(std::span<const std::uint8_t>) override { return true; }
    std::uint64_t size() const { return size_; }

  private:
    std::uint64_t size_ = 0;
};

long peakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

template <typename Decode>
double seconds(Decode decode) {
    const auto start = std::chrono::steady_clock::now();
    decode();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void measure(Kind kind, double minutes, const fs::path& dir) {
    const auto total = static_cast<std::uint32_t>(minutes * 60 * kRate);
    const fs::path stream = dir / ("kestrin_sx_benchmark_" + std::string(nameOf(kind)) + ".asf");
    const fs::path wav = dir / ("kestrin_sx_benchmark_" + std::string(nameOf(kind)) + ".wav");
    writeStream(stream, kind, total);
    const double audioSeconds = double(total) / kRate;

    CountingSink counter;
    sx::DecodeResult result;
    const double decodeOnly = seconds([&] {
        sx::FileSource source(stream);
        result = sx::decodeStream(source, counter);
    });
    if (result.problem.status != sx::Status::Ok || result.frames != total) {
        std::printf("%s: decode failed: %s\n", nameOf(kind), sx::describe(result.problem).c_str());
        std::exit(1);
    }
    const double toFile = seconds([&] {
        sx::FileSource source(stream);
        sx::OutputFile output(wav);
        result = sx::decodeStream(source, output);
        output.commit();
    });
    std::printf(
        "%-14s %5.1f min  stream %6.1f MB  decode %6.3f s = %7.0fx real time  "
        "to WAV file %6.3f s = %7.0fx  peak RSS %6.1f MB\n",
        nameOf(kind), minutes, double(fs::file_size(stream)) / 1e6, decodeOnly,
        audioSeconds / decodeOnly, toFile, audioSeconds / toFile, peakKilobytes() / 1024.0);
    fs::remove(stream);
    fs::remove(wav);
}

}  // namespace

int main(int argc, char** argv) {
    const double minutes = argc > 1 ? std::atof(argv[1]) : 10.0;
    const fs::path dir = argc > 2 ? fs::path(argv[2]) : fs::temp_directory_path();
    std::printf(
        "44.1 kHz stereo, blocks of %u samples; peak RSS is the process's high-water mark\n",
        kBlockSamples);
    for (Kind kind : {Kind::R1, Kind::R2, Kind::StereoPacked}) {
        measure(kind, 1.0, dir);  // shorter stream first: the peak must not rise with length
        measure(kind, minutes, dir);
    }
    return 0;
}
