#include "StreamBuilder.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>

#include "sx/ImaCodec.h"

namespace sx::test {
namespace {

constexpr std::size_t kFrameSamples = 28;

// ---- Bytes ---------------------------------------------------------------------------------

void put8(std::vector<std::uint8_t>& out, unsigned v) {
    out.push_back(static_cast<std::uint8_t>(v));
}

void put16(std::vector<std::uint8_t>& out, unsigned v, bool be) {
    if (be) {
        put8(out, v >> 8), put8(out, v);
    } else {
        put8(out, v), put8(out, v >> 8);
    }
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t v, bool be) {
    if (be) {
        put16(out, v >> 16, true), put16(out, v & 0xFFFF, true);
    } else {
        put16(out, v & 0xFFFF, false), put16(out, v >> 16, false);
    }
}

void putId(std::vector<std::uint8_t>& out, const char (&id)[5]) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<std::uint8_t>(id[i]));
    }
}

void set32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v, bool be) {
    std::vector<std::uint8_t> bytes;
    put32(bytes, v, be);
    std::copy(bytes.begin(), bytes.end(), out.begin() + static_cast<std::ptrdiff_t>(at));
}

// A tag with its value in the fewest big-endian bytes (at least one).
void putTag(std::vector<std::uint8_t>& out, std::uint8_t tag, std::uint32_t value) {
    int length = 1;
    while (length < 4 && (value >> (8 * length)) != 0) {
        ++length;
    }
    put8(out, tag);
    put8(out, length);
    for (int i = length - 1; i >= 0; --i) {
        put8(out, value >> (8 * i));
    }
}

void padTo4(std::vector<std::uint8_t>& out) {
    while (out.size() % 4 != 0) {
        out.push_back(0);
    }
}

// ---- The decoder rules, restated for the simulation ------------------------------------------

std::int32_t clamp16(std::int64_t v) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, -32768, 32767));
}

// Division by 256 rounding towards minus infinity, written out rather than as a shift.
std::int64_t floorDiv256(std::int64_t v) {
    return v >= 0 ? v / 256 : -((-v + 255) / 256);
}

constexpr std::array<int, 4> kTap1{0, 240, 460, 392};
constexpr std::array<int, 4> kTap2{0, 0, -208, -220};

struct History {
    std::int32_t h1 = 0;
    std::int32_t h2 = 0;
};

std::int32_t adpcmOutput(int nibble, int filter, int shift, bool addHalf, History& h) {
    const std::int64_t scaled =
        static_cast<std::int64_t>(nibble) * (std::int64_t{1} << (20 - shift));
    const std::int64_t sum = scaled + std::int64_t{kTap1[filter]} * h.h1 +
                             std::int64_t{kTap2[filter]} * h.h2 + (addHalf ? 128 : 0);
    const std::int32_t out = clamp16(floorDiv256(sum));
    h.h2 = h.h1;
    h.h1 = out;
    return out;
}

struct AdpcmFrame {
    int filter = 0;
    int shift = 0;
    std::array<int, kFrameSamples> nibbles{};  // -8..7
    std::vector<std::int16_t> output;
};

// Picks the filter and shift that follow `target` best and returns the frame with the exact
// output the decoder must give; `history` moves on as the decoder's does.
AdpcmFrame encodeAdpcmFrame(const std::vector<std::int16_t>& target, bool addHalf,
                            History& history) {
    AdpcmFrame best;
    double bestError = std::numeric_limits<double>::infinity();
    History bestHistory;
    for (int filter = 0; filter < 4; ++filter) {
        for (int shift = 0; shift <= 12; ++shift) {
            AdpcmFrame frame;
            frame.filter = filter;
            frame.shift = shift;
            History h = history;
            double error = 0;
            for (std::size_t i = 0; i < target.size(); ++i) {
                const double predicted = (double(kTap1[filter]) * h.h1 +
                                          double(kTap2[filter]) * h.h2 + (addHalf ? 128 : 0)) /
                                         256.0;
                const double step = std::ldexp(1.0, 12 - shift);
                const int nibble = std::clamp(
                    static_cast<int>(std::lround((target[i] - predicted) / step)), -8, 7);
                frame.nibbles[i] = nibble;
                const std::int32_t out = adpcmOutput(nibble, filter, shift, addHalf, h);
                frame.output.push_back(static_cast<std::int16_t>(out));
                error += double(out - target[i]) * double(out - target[i]);
            }
            if (error < bestError) {
                bestError = error;
                best = frame;
                bestHistory = h;
            }
        }
    }
    history = bestHistory;
    return best;
}

void putAdpcmFrame(std::vector<std::uint8_t>& out, const AdpcmFrame& frame) {
    put8(out, (frame.filter << 4) | frame.shift);
    for (std::size_t i = 0; i < kFrameSamples; i += 2) {
        put8(out, ((frame.nibbles[i] & 0xF) << 4) | (frame.nibbles[i + 1] & 0xF));
    }
}

// An uncompressed frame whose history pair differs from its last samples, so that a decoder
// taking the history from the samples shows.
void putPcmFrame(std::vector<std::uint8_t>& out, const std::vector<std::int16_t>& target,
                 History& history, std::vector<std::int16_t>& expected) {
    const std::int32_t last = target.back();
    const std::int32_t before = target.size() > 1 ? target[target.size() - 2] : last;
    history.h1 = clamp16(last + 7);
    history.h2 = clamp16(before - 7);
    put8(out, 0xEE);
    put16(out, static_cast<std::uint16_t>(history.h1), true);
    put16(out, static_cast<std::uint16_t>(history.h2), true);
    for (std::size_t i = 0; i < kFrameSamples; ++i) {
        put16(out, i < target.size() ? static_cast<std::uint16_t>(target[i]) : 0, true);
    }
    expected.insert(expected.end(), target.begin(), target.end());
}

struct ImaChannel {
    std::int32_t predictor = 0;
    int index = 0;
};

int imaEncode(std::int32_t sample, ImaChannel& s) {
    std::int32_t diff = sample - s.predictor;
    int nibble = 0;
    if (diff < 0) {
        nibble = 8;
        diff = -diff;
    }
    std::int32_t step = kImaSteps[s.index];
    for (int bit = 4; bit >= 1; bit >>= 1, step >>= 1) {
        if (diff >= step) {
            nibble |= bit;
            diff -= step;
        }
    }
    // The decoder's expansion, restated.
    const std::int32_t full = kImaSteps[s.index];
    std::int32_t delta = full >> 3;
    if (nibble & 1)
        delta += full >> 2;
    if (nibble & 2)
        delta += full >> 1;
    if (nibble & 4)
        delta += full;
    if (nibble & 8)
        delta = -delta;
    s.predictor = clamp16(s.predictor + delta);
    static constexpr std::array<int, 8> kIndexChange{-1, -1, -1, -1, 2, 4, 6, 8};
    s.index = std::clamp(s.index + kIndexChange[nibble & 7], 0, 88);
    return nibble;
}

// ---- What each kind looks like ----------------------------------------------------------------

enum class Layout { Interleaved, Planar, StereoPacked, AdpcmPerChannel, Ima };

struct KindTraits {
    Kind kind;
    const char* name;
    enum { Patch, Generic, Fixed } header;
    std::uint32_t platform;
    std::optional<std::uint32_t> versionTag;
    std::optional<std::uint32_t> codec1Tag;
    std::optional<std::uint32_t> codec2Tag;
    std::optional<std::uint32_t> bitsTag;
    Layout layout;
    int bytesPerSample;  // PCM
    bool samplesBigEndian;
    bool fieldsBigEndian;
    bool offsetTable;
    bool historyPrefix;
    bool addHalf;
    bool pcmFrames;
    std::uint32_t defaultRate;
};

constexpr std::uint32_t kNoRate = 0;

// One row a kind: header form, platform, the tags it writes (empty: left out), the block layout,
// bytes per PCM sample, then the flags sample BE, field BE, offset table, history prefix,
// + 128 rounding and uncompressed frames, and the default sample rate of the platform.
// clang-format off
const std::array kKinds{
    KindTraits{Kind::Pcm16Interleaved, "Pcm16Interleaved", KindTraits::Patch, 0x00, {}, {}, {}, {},
               Layout::Interleaved, 2, false, false, false, false, false, false, 22050},
    KindTraits{Kind::Pcm16InterleavedTable, "Pcm16InterleavedTable", KindTraits::Patch, 0x06, {}, {}, 0x00, {},
               Layout::Interleaved, 2, true, true, true, false, false, false, 24000},
    KindTraits{Kind::Pcm8Interleaved, "Pcm8Interleaved", KindTraits::Patch, 0x00, {}, 0x00, {}, 8,
               Layout::Interleaved, 1, false, false, false, false, false, false, 22050},
    KindTraits{Kind::Pcm16BePlanarTable, "Pcm16BePlanarTable", KindTraits::Patch, 0x06, {}, {}, {}, {},
               Layout::Planar, 2, true, true, true, false, false, false, 24000},
    KindTraits{Kind::Pcm16LePlanarTable, "Pcm16LePlanarTable", KindTraits::Patch, 0x07, {}, {}, {}, {},
               Layout::Planar, 2, false, false, true, false, false, false, 24000},
    KindTraits{Kind::Pcm16BePlanarOldest, "Pcm16BePlanarOldest", KindTraits::Patch, 0x04, {}, {}, {}, {},
               Layout::Planar, 2, true, true, false, false, false, false, 22050},
    KindTraits{Kind::Pcm8PlanarOldest, "Pcm8PlanarOldest", KindTraits::Patch, 0x03, {}, 0x00, {}, 8,
               Layout::Planar, 1, true, true, false, false, false, false, 22050},
    KindTraits{Kind::StereoPacked, "StereoPacked", KindTraits::Patch, 0x00, {}, 0x07, {}, {},
               Layout::StereoPacked, 0, false, false, false, false, true, false, 22050},
    KindTraits{Kind::AdpcmOldest, "AdpcmOldest", KindTraits::Patch, 0x00, {}, {}, 0x0A, {},
               Layout::AdpcmPerChannel, 0, false, false, false, false, true, false, 22050},
    KindTraits{Kind::AdpcmR1, "AdpcmR1", KindTraits::Patch, 0x00, 1, {}, {}, {},
               Layout::AdpcmPerChannel, 0, false, false, true, true, true, true, 22050},
    KindTraits{Kind::AdpcmR2, "AdpcmR2", KindTraits::Patch, 0x00, 2, {}, {}, {},
               Layout::AdpcmPerChannel, 0, false, false, true, false, false, true, 22050},
    KindTraits{Kind::AdpcmR3, "AdpcmR3", KindTraits::Generic, 0x08, {}, {}, {}, {},
               Layout::AdpcmPerChannel, 0, false, true, true, false, false, true, 48000},
    KindTraits{Kind::Ima, "Ima", KindTraits::Patch, 0x00, {}, 0x02, {}, {},
               Layout::Ima, 0, false, false, false, false, false, false, 22050},
    KindTraits{Kind::FixedLayoutPcm, "FixedLayoutPcm", KindTraits::Fixed, 0, {}, 0x00, {}, 16,
               Layout::Planar, 2, false, false, false, false, false, false, kNoRate},
    KindTraits{Kind::FixedLayoutIma, "FixedLayoutIma", KindTraits::Fixed, 0, {}, 0x02, {}, {},
               Layout::Ima, 0, false, false, false, false, false, false, kNoRate},
};
// clang-format on

const KindTraits& traitsOf(Kind kind) {
    return *std::find_if(kKinds.begin(), kKinds.end(),
                         [&](const KindTraits& t) { return t.kind == kind; });
}

std::vector<std::uint8_t> headerBlock(const StreamSpec& spec, const KindTraits& t,
                                      std::uint32_t rate, std::uint32_t total) {
    std::vector<std::uint8_t> block;
    putId(block, "SCHl");
    put32(block, 0, false);  // size, set below
    if (spec.leadingField) {
        put32(block, 0x00100000, false);
    }
    if (t.header == KindTraits::Fixed) {
        const bool console = t.kind == Kind::FixedLayoutIma;
        const std::size_t patl = block.size();
        putId(block, "PATl");
        block.resize(patl + 0x0C, 0);
        put32(block, 4, false);  // the body starts 4 bytes after this field
        const std::size_t body = patl + 0x10;
        block.resize(body + 0x28, 0);
        putId(block, console ? "TMxl" : "TMpl");
        std::vector<std::uint8_t> f(0x18, 0);
        f[0] = 0;
        f[1] = static_cast<std::uint8_t>(t.bitsTag.value_or(16));
        f[2] = static_cast<std::uint8_t>(spec.channels);
        f[3] = static_cast<std::uint8_t>(*t.codec1Tag);
        f[6] = static_cast<std::uint8_t>(rate), f[7] = static_cast<std::uint8_t>(rate >> 8);
        const std::size_t totalAt = console ? 0x0C : 0x08;
        set32(f, totalAt, spec.writeTotal ? total : 0xFFFFFFFF, false);
        set32(f, totalAt + 8, 0xFFFFFFFF, false);  // no loop
        block.insert(block.end(), f.begin(), f.end());
    } else {
        if (t.header == KindTraits::Generic) {
            putId(block, "GSTR");
            put32(block, 1, false);
        } else {
            put8(block, 'P'), put8(block, 'T');
            put16(block, t.platform, false);
        }
        put8(block, 0x06), put8(block, 1), put8(block, 0x65);  // an ignored priority tag
        put8(block, 0xFD);
        if (t.versionTag)
            putTag(block, 0x80, *t.versionTag);
        if (t.bitsTag)
            putTag(block, 0x81, *t.bitsTag);
        putTag(block, 0x82, spec.channels);
        if (t.codec1Tag)
            putTag(block, 0x83, *t.codec1Tag);
        if (spec.writeSampleRate)
            putTag(block, 0x84, rate);
        if (spec.writeTotal)
            putTag(block, 0x85, total);
        if (t.codec2Tag)
            putTag(block, 0xA0, *t.codec2Tag);
        put8(block, 0xFF);
    }
    padTo4(block);
    set32(block, 4, static_cast<std::uint32_t>(block.size()), spec.bigEndianSizes);
    return block;
}

}  // namespace

std::string kindName(Kind kind) {
    return traitsOf(kind).name;
}

std::vector<std::int16_t> makeSignal(std::size_t frames, int channels, std::uint32_t seed) {
    std::vector<std::int16_t> out(frames * channels);
    for (std::size_t i = 0; i < frames; ++i) {
        for (int ch = 0; ch < channels; ++ch) {
            const double t = double(i) / 22050.0;
            const double f1 = 220.0 * (1 + ch) + 13.0 * seed;
            const double swell = 0.6 + 0.5 * std::sin(2 * M_PI * 0.7 * t + ch);
            double v = 20000 * swell * std::sin(2 * M_PI * f1 * t) +
                       6000 * std::sin(2 * M_PI * 3 * f1 * t + seed);
            out[i * channels + ch] = static_cast<std::int16_t>(std::clamp(v, -32768.0, 32767.0));
        }
    }
    return out;
}

EncodedStream encodeStream(const StreamSpec& spec) {
    const KindTraits& t = traitsOf(spec.kind);
    const int channels = spec.channels;
    std::uint64_t sum = 0;
    for (auto c : spec.blockCounts)
        sum += c;
    const std::uint32_t total = spec.totalOverride.value_or(static_cast<std::uint32_t>(sum));

    EncodedStream result;
    result.sampleRate =
        (spec.writeSampleRate || t.defaultRate == kNoRate) ? 32000 - 7 * spec.seed : t.defaultRate;
    result.signal = makeSignal(sum, channels, spec.seed);

    std::vector<std::uint8_t>& out = result.bytes;
    out = headerBlock(spec, t, result.sampleRate, total);
    putId(out, "SCCl");
    put32(out, 12, spec.bigEndianSizes);
    put32(out, static_cast<std::uint32_t>(spec.blockCounts.size()), false);

    std::vector<History> adpcm(channels);
    std::vector<ImaChannel> ima(channels);
    std::vector<int> framesSoFar(channels, 0);
    std::vector<std::vector<std::int16_t>> expected(channels);
    std::size_t first = 0;
    for (const std::uint32_t count : spec.blockCounts) {
        auto channelSamples = [&](int ch) {
            std::vector<std::int16_t> s(count);
            for (std::uint32_t i = 0; i < count; ++i)
                s[i] = result.signal[(first + i) * channels + ch];
            return s;
        };
        std::vector<std::uint8_t> block;
        putId(block, "SCDl");
        put32(block, 0, false);
        put32(block, count, t.fieldsBigEndian);

        // Each channel's bytes, in the order the layout keeps them.
        std::vector<std::vector<std::uint8_t>> areas(channels);
        std::vector<std::uint8_t> shared;  // interleaved data or the packed stereo frames
        for (int ch = 0; ch < channels; ++ch) {
            const std::vector<std::int16_t> target = channelSamples(ch);
            std::vector<std::uint8_t>& area = areas[ch];
            switch (t.layout) {
                case Layout::Planar:
                case Layout::Interleaved:
                    for (auto v : target) {
                        const std::int16_t coded =
                            t.bytesPerSample == 1 ? static_cast<std::int16_t>((v >> 8) * 256) : v;
                        expected[ch].push_back(coded);
                    }
                    break;
                case Layout::AdpcmPerChannel:
                    if (t.historyPrefix) {
                        put16(area, 0x1234, false),
                            put16(area, 0x4321, false);  // stored history, skipped
                    }
                    [[fallthrough]];
                case Layout::StereoPacked:
                    if (t.layout == Layout::StereoPacked && channels == 2)
                        break;
                    for (std::size_t at = 0; at < count; at += kFrameSamples) {
                        const std::vector<std::int16_t> piece(
                            target.begin() + at,
                            target.begin() + std::min<std::size_t>(count, at + kFrameSamples));
                        ++framesSoFar[ch];
                        if (t.pcmFrames && spec.pcmFrameEvery > 0 &&
                            framesSoFar[ch] % spec.pcmFrameEvery == 0) {
                            putPcmFrame(area, piece, adpcm[ch], expected[ch]);
                            continue;
                        }
                        const AdpcmFrame frame = encodeAdpcmFrame(piece, t.addHalf, adpcm[ch]);
                        putAdpcmFrame(area, frame);
                        expected[ch].insert(expected[ch].end(), frame.output.begin(),
                                            frame.output.end());
                    }
                    break;
                case Layout::Ima:
                    break;
            }
        }
        if (t.layout == Layout::Interleaved) {
            for (std::uint32_t i = 0; i < count; ++i) {
                for (int ch = 0; ch < channels; ++ch) {
                    const std::int16_t v = result.signal[(first + i) * channels + ch];
                    if (t.bytesPerSample == 1)
                        put8(shared, static_cast<std::uint8_t>(v >> 8));
                    else
                        put16(shared, static_cast<std::uint16_t>(v), t.samplesBigEndian);
                }
            }
        }
        if (t.layout == Layout::Planar) {
            for (int ch = 0; ch < channels; ++ch) {
                for (auto v : channelSamples(ch)) {
                    if (t.bytesPerSample == 1)
                        put8(areas[ch], static_cast<std::uint8_t>(v >> 8));
                    else
                        put16(areas[ch], static_cast<std::uint16_t>(v), t.samplesBigEndian);
                }
            }
        }
        if (t.layout == Layout::StereoPacked && channels == 2) {
            const auto left = channelSamples(0), right = channelSamples(1);
            for (std::size_t at = 0; at < count; at += kFrameSamples) {
                const std::size_t end = std::min<std::size_t>(count, at + kFrameSamples);
                const AdpcmFrame l =
                    encodeAdpcmFrame({left.begin() + at, left.begin() + end}, true, adpcm[0]);
                const AdpcmFrame r =
                    encodeAdpcmFrame({right.begin() + at, right.begin() + end}, true, adpcm[1]);
                put8(shared, (l.filter << 4) | r.filter);
                put8(shared, (l.shift << 4) | r.shift);
                for (std::size_t i = 0; i < kFrameSamples; ++i)
                    put8(shared, ((l.nibbles[i] & 0xF) << 4) | (r.nibbles[i] & 0xF));
                expected[0].insert(expected[0].end(), l.output.begin(), l.output.end());
                expected[1].insert(expected[1].end(), r.output.begin(), r.output.end());
            }
        }
        if (t.layout == Layout::Ima) {
            // The state stored for each channel is the running state at the block's start.
            std::vector<std::uint8_t> state;
            for (int ch = 0; ch < 2; ++ch) {
                const ImaChannel s = ch < channels ? ima[ch] : ImaChannel{};
                put16(state, static_cast<std::uint16_t>(s.predictor), false);
                put16(state, static_cast<std::uint16_t>(s.index), false);
            }
            shared = state;
            std::vector<std::vector<int>> nibbles(channels);
            for (int ch = 0; ch < channels; ++ch) {
                for (auto v : channelSamples(ch)) {
                    nibbles[ch].push_back(imaEncode(v, ima[ch]));
                    expected[ch].push_back(static_cast<std::int16_t>(ima[ch].predictor));
                }
            }
            if (channels == 2) {
                for (std::uint32_t i = 0; i < count; ++i)
                    put8(shared, (nibbles[0][i] << 4) | nibbles[1][i]);
            } else {
                for (std::uint32_t i = 0; i < count; i += 2)
                    put8(shared, (nibbles[0][i] << 4) | (i + 1 < count ? nibbles[0][i + 1] : 0));
            }
        }

        if (t.offsetTable) {
            // Channel areas go in reverse order, to show that only the table places them.
            std::vector<std::uint32_t> offsets(channels);
            std::vector<std::uint8_t> data;
            if (t.layout == Layout::Interleaved) {
                for (int ch = 0; ch < channels; ++ch)
                    offsets[ch] = ch * t.bytesPerSample;
                data = shared;
            } else {
                for (int ch = channels - 1; ch >= 0; --ch) {
                    offsets[ch] = static_cast<std::uint32_t>(data.size());
                    data.insert(data.end(), areas[ch].begin(), areas[ch].end());
                }
            }
            for (auto o : offsets)
                put32(block, o, t.fieldsBigEndian);
            block.insert(block.end(), data.begin(), data.end());
        } else {
            if (t.layout == Layout::StereoPacked || t.layout == Layout::AdpcmPerChannel) {
                for (int i = 0; i < 8; ++i)
                    put8(block, 0x5A);  // stored history, skipped
            }
            block.insert(block.end(), shared.begin(), shared.end());
            for (auto& area : areas)
                block.insert(block.end(), area.begin(), area.end());
        }
        padTo4(block);
        set32(block, 4, static_cast<std::uint32_t>(block.size()), spec.bigEndianSizes);
        out.insert(out.end(), block.begin(), block.end());
        first += count;
    }
    putId(out, "SCEl");
    put32(out, 8, spec.bigEndianSizes);
    if (spec.cutEndBlock)
        out.resize(out.size() - 3);

    const std::size_t frames = std::min<std::uint64_t>(sum, spec.writeTotal ? total : sum);
    for (std::size_t i = 0; i < frames; ++i) {
        for (int ch = 0; ch < channels; ++ch)
            result.expected.push_back(expected[ch][i]);
    }
    result.signal.resize(frames * channels);
    return result;
}

ParsedWav parseWav(const std::vector<std::uint8_t>& wav) {
    ParsedWav parsed;
    auto u16 = [&](std::size_t at) {
        return static_cast<std::uint16_t>(wav[at] | (wav[at + 1] << 8));
    };
    auto u32 = [&](std::size_t at) {
        return std::uint32_t{u16(at)} | (std::uint32_t{u16(at + 2)} << 16);
    };
    if (wav.size() < 12 || std::memcmp(wav.data(), "RIFF", 4) != 0 ||
        std::memcmp(&wav[8], "WAVE", 4) != 0 || u32(4) != wav.size() - 8) {
        return parsed;
    }
    std::size_t at = 12;
    while (at + 8 <= wav.size()) {
        const std::uint32_t size = u32(at + 4);
        if (at + 8 + size > wav.size())
            return parsed;
        if (std::memcmp(&wav[at], "fmt ", 4) == 0) {
            parsed.formatTag = u16(at + 8);
            parsed.channels = u16(at + 10);
            parsed.sampleRate = u32(at + 12);
            if (parsed.formatTag == 0xFFFE && size >= 40)
                parsed.channelMask = u32(at + 28);
        } else if (std::memcmp(&wav[at], "data", 4) == 0) {
            for (std::size_t i = 0; i + 1 < size; i += 2) {
                parsed.samples.push_back(static_cast<std::int16_t>(u16(at + 8 + i)));
            }
            parsed.valid = parsed.channels != 0;
        }
        at += 8 + size + (size & 1);
    }
    return parsed;
}

std::vector<std::int16_t> toWavOrder(const std::vector<std::int16_t>& samples, int channels) {
    // Four stream channels are FL RL FR RR, six are FL C FR RL RR LFE; WAV keeps FL FR FC LFE BL
    // BR.
    static const std::vector<std::vector<int>> kSourceOf{
        {}, {0}, {0, 1}, {0, 1, 2}, {0, 2, 1, 3}, {0, 1, 2, 3, 4}, {0, 2, 1, 5, 3, 4}};
    std::vector<std::int16_t> out(samples.size());
    for (std::size_t f = 0; f + channels <= samples.size(); f += channels) {
        for (int ch = 0; ch < channels; ++ch)
            out[f + ch] = samples[f + kSourceOf[channels][ch]];
    }
    return out;
}

}  // namespace sx::test
