// Writes the seed corpora of the fuzz targets into the directory given (fuzz/corpus):
//   sx_decode  short streams of every kind the converter decodes, from the tests' encoder;
//   sx_header  the header blocks of those streams;
//   scan       containers that hold such streams in the places where the scan's rules bite:
//              window borders, end patterns ahead of or right behind a start marker, a stream
//              cut off by the end of the file, streams that span several windows;
//   split      parameter texts, and names separated by zero bytes for the round trip.
// The output is the same on every run, so the committed corpus can be made again at will.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "StreamBuilder.h"
#include "sx/HeaderParser.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;
using sx::test::Kind;

constexpr std::size_t kWindowBytes = 100000;

void WriteFile(const fs::path& dir, const std::string& name, const Bytes& bytes) {
    fs::create_directories(dir);
    std::ofstream out(dir / name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", (dir / name).c_str());
        std::exit(1);
    }
}

Bytes Text(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

struct Seed {
    std::string name;
    sx::test::StreamSpec spec;
};

sx::test::StreamSpec Spec(Kind kind, int channels, bool bigEndianSizes = false) {
    sx::test::StreamSpec spec;
    spec.kind = kind;
    spec.channels = channels;
    spec.blockCounts = {28, 13};
    spec.bigEndianSizes = bigEndianSizes;
    spec.seed = static_cast<std::uint32_t>(channels) + 1;
    return spec;
}

std::vector<Seed> StreamSeeds() {
    std::vector<Seed> seeds{
        {"pcm16-interleaved-stereo", Spec(Kind::Pcm16Interleaved, 2)},
        {"pcm16-interleaved-table-3ch", Spec(Kind::Pcm16InterleavedTable, 3)},
        {"pcm8-interleaved-mono", Spec(Kind::Pcm8Interleaved, 1)},
        {"pcm16-be-planar-table-4ch", Spec(Kind::Pcm16BePlanarTable, 4)},
        {"pcm16-le-planar-table-6ch", Spec(Kind::Pcm16LePlanarTable, 6)},
        {"pcm16-be-planar-oldest-be-sizes", Spec(Kind::Pcm16BePlanarOldest, 2, true)},
        {"pcm8-planar-oldest-be-sizes", Spec(Kind::Pcm8PlanarOldest, 5, true)},
        {"stereo-packed-stereo", Spec(Kind::StereoPacked, 2)},
        {"adpcm-oldest-stereo", Spec(Kind::AdpcmOldest, 2)},
        {"adpcm-r1-stereo", Spec(Kind::AdpcmR1, 2)},
        {"adpcm-r2-mono", Spec(Kind::AdpcmR2, 1)},
        {"adpcm-r3-stereo", Spec(Kind::AdpcmR3, 2)},
        {"ima-stereo", Spec(Kind::Ima, 2)},
        {"fixed-layout-pcm", Spec(Kind::FixedLayoutPcm, 2)},
        {"fixed-layout-ima", Spec(Kind::FixedLayoutIma, 1)},
    };
    Seed uncompressed{"adpcm-r1-uncompressed-frames", Spec(Kind::AdpcmR1, 2)};
    uncompressed.spec.pcmFrameEvery = 2;
    seeds.push_back(uncompressed);
    Seed leading{"adpcm-r2-leading-field-no-rate", Spec(Kind::AdpcmR2, 2)};
    leading.spec.leadingField = true;
    leading.spec.writeSampleRate = false;
    seeds.push_back(leading);
    return seeds;
}

// The header block at the start of a stream, by its own size field.
Bytes HeaderBlock(const Bytes& stream) {
    const bool bigEndian = sx::sizesAreBigEndian(&stream[4]);
    std::uint32_t size = 0;
    for (int i = 0; i < 4; ++i) {
        const std::uint32_t byte = stream[4 + (bigEndian ? i : 3 - i)];
        size = (size << 8) | byte;
    }
    return Bytes(stream.begin(), stream.begin() + size);
}

// Bytes that hold no marker, varied so that the containers do not compress to nothing.
Bytes Filler(std::size_t size, std::uint32_t seed) {
    Bytes bytes(size);
    for (auto& byte : bytes) {
        seed = seed * 1103515245u + 12345u;
        byte = static_cast<std::uint8_t>('a' + (seed >> 16) % 26);
    }
    return bytes;
}

Bytes Join(const std::vector<Bytes>& parts) {
    Bytes all;
    for (const Bytes& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

const Bytes kStart = Text("SCHl");
const Bytes kEnd = {'S', 'C', 'E', 'l', 0x08};

void WriteScanSeeds(const fs::path& dir, const Bytes& streamA, const Bytes& streamB) {
    WriteFile(dir, "empty", {});
    WriteFile(dir, "no-marker", Filler(64, 1));
    WriteFile(dir, "one-stream-at-start", streamA);
    WriteFile(dir, "two-streams-with-gaps",
              Join({Filler(17, 2), streamA, Filler(5, 3), streamB, Filler(9, 4)}));
    WriteFile(dir, "end-pattern-right-behind-start", Join({kStart, kEnd, kStart, kEnd}));
    WriteFile(dir, "end-pattern-ahead-of-start",
              Join({kEnd, Filler(3, 5), kStart, Filler(7, 6), kEnd}));
    WriteFile(dir, "stream-cut-by-end-of-file", Join({Filler(11, 7), kStart, Filler(20, 8)}));
    WriteFile(dir, "start-marker-is-last-bytes", Join({Filler(11, 9), kStart}));
    WriteFile(dir, "end-pattern-is-last-bytes", Join({kStart, Filler(30, 10), kEnd}));

    // A start marker across the border of the first full window.
    WriteFile(dir, "start-marker-across-window",
              Join({Filler(kWindowBytes - 2, 11), streamA, Filler(100, 12)}));
    // A stream whose end pattern lies more than a window past its start marker, across the
    // border between the first two windows that follow the marker.
    WriteFile(dir, "stream-spanning-windows",
              Join({Filler(10, 13), kStart, Filler(kWindowBytes - 1, 14), kEnd, Filler(50, 15),
                    streamB}));
    // The next stream only after more than a window of bytes without a marker.
    WriteFile(dir, "next-stream-beyond-window",
              Join({streamA, Filler(kWindowBytes + 10, 16), streamB}));
}

void WriteSplitSeeds(const fs::path& dir) {
    using namespace std::string_literals;
    const std::vector<std::pair<std::string, std::string>> texts{
        {"play-form", "-wave \"temp.asf\" -=\"temp.wav\""},
        {"convert-form", "-wave \"/opt/kestrin/toconvert.asf\" -=\"/opt/kestrin/music.dat1.asf\""},
        {"blanks-and-tabs", "  a\tb  \t c "},
        {"quotes-glued", "a\"b c\"d \"\" e\"\"\"f\""},
        {"backslashes", "a\\\\b \\\"c\\\\\\\" d\\\\\\\\\"e f\" \\"},
        {"names-with-zero-bytes", "in \"put\\\0out\\put\\\\\0-dash"s},
        {"non-ascii", "m\xC3\xBAsica \xFF\xFE.wav"},
    };
    for (const auto& [name, text] : texts) {
        WriteFile(dir, name, Text(text));
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus directory>\n", argv[0]);
        return 2;
    }
    const fs::path root = argv[1];
    Bytes streamA;
    Bytes streamB;
    for (const Seed& seed : StreamSeeds()) {
        const Bytes stream = sx::test::encodeStream(seed.spec).bytes;
        WriteFile(root / "sx_decode", seed.name, stream);
        WriteFile(root / "sx_header", seed.name, HeaderBlock(stream));
        if (seed.name == "adpcm-r2-mono") {
            streamA = stream;
        } else if (seed.name == "pcm8-interleaved-mono") {
            streamB = stream;
        }
    }
    WriteScanSeeds(root / "scan", streamA, streamB);
    WriteSplitSeeds(root / "split");
    return 0;
}
