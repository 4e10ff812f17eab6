#include "sx/BlockDecoder.h"

#include <algorithm>

#include "sx/ByteOrder.h"
#include "sx/HeaderParser.h"
#include "sx/PcmCodec.h"

namespace sx {
namespace {

constexpr std::size_t kCountAt = 0x08;
constexpr std::size_t kTableAt = 0x0C;
// Oldest layout: 8 bytes of per-channel state (stored ADPCM history or IMA predictor and step
// index) at 0x0C, whatever the channel count, and the coded data from 0x14.
constexpr std::size_t kStateAreaAt = 0x0C;
constexpr std::size_t kStateAreaDataAt = 0x14;
constexpr std::size_t kHistoryPrefixBytes = 4;

// Codec ids that are defined for these streams but that this converter does not decode.
constexpr std::array<std::uint32_t, 18> kUndecodedCodecs{
    0x04, 0x05, 0x06, 0x0B, 0x0C, 0x0E, 0x0F, 0x10, 0x12,
    0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1A, 0x1B,
};

bool isPcm(std::uint32_t codec) {
    switch (codec) {
        case kCodecPcm16LeInterleaved:
        case kCodecPcm16BeInterleaved:
        case kCodecPcm8Interleaved:
        case kCodecPcm16BePlanar:
        case kCodecPcm16LePlanar:
        case kCodecPcm8Planar:
            return true;
        default:
            return false;
    }
}

bool isInterleavedPcm(std::uint32_t codec) {
    return codec == kCodecPcm16LeInterleaved || codec == kCodecPcm16BeInterleaved ||
           codec == kCodecPcm8Interleaved;
}

std::size_t pcmSampleBytes(std::uint32_t codec) {
    return (codec == kCodecPcm8Interleaved || codec == kCodecPcm8Planar) ? 1 : 2;
}

// Interleaved 16-bit samples follow the platform's field order whichever of the two ids names
// them; planar ones say their order in the id.
bool pcmBigEndian(std::uint32_t codec, bool fieldsBigEndian) {
    if (codec == kCodecPcm16BePlanar) {
        return true;
    }
    if (codec == kCodecPcm16LePlanar) {
        return false;
    }
    return fieldsBigEndian;
}

std::size_t framesFor(std::uint32_t count) {
    return (count + kAdpcmSamplesPerFrame - 1) / kAdpcmSamplesPerFrame;
}

}  // namespace

Problem checkDecodable(const StreamInfo& info) {
    const std::uint32_t codec = info.codec;
    if (info.channels == 0 || info.channels > kMaxChannels) {
        return Problem{Status::BadChannelCount, info.channels, -1};
    }
    const bool knownUndecoded = std::find(kUndecodedCodecs.begin(), kUndecodedCodecs.end(),
                                          codec) != kUndecodedCodecs.end();
    if (knownUndecoded) {
        return Problem{Status::UnsupportedCodec, codec, -1};
    }
    const bool stateAreaCodec = codec == kCodecAdpcmStereoPacked || codec == kCodecDviIma;
    if (!isPcm(codec) && !stateAreaCodec && codec != kCodecAdpcmPerChannel) {
        return Problem{Status::UnknownCodec, codec, -1};
    }
    // The stereo-packed and IMA blocks store state for two channels at most and have no table.
    if (stateAreaCodec && (info.offsetTable || info.channels > 2)) {
        return Problem{Status::UnsupportedLayout, codec, -1};
    }
    // The WAV header holds the byte rate in 32 bits.
    const std::uint64_t byteRate = std::uint64_t{info.sampleRate} * info.channels * 2;
    if (info.sampleRate == 0 || byteRate > 0xFFFFFFFF) {
        return Problem{Status::BadSampleRate, info.sampleRate, -1};
    }
    return Problem{};
}

BlockDecoder::BlockDecoder(const StreamInfo& info) : info_(info) {}

Problem BlockDecoder::decode(std::span<const std::uint8_t> block) {
    frames_ = 0;
    if (block.size() < kTableAt) {
        return Problem{Status::BlockTooShort};
    }
    const std::uint32_t count = loadU32(&block[kCountAt], info_.fieldsBigEndian);
    // The count comes from the file and sizes the sample buffer: bound it first.
    if (count > kMaxBlockSamples) {
        return Problem{Status::BlockCountTooLarge, count};
    }
    if (count == 0) {
        // Nothing to decode, so nothing of the layout to find: an empty block may omit it.
        samples_.clear();
        return Problem{};
    }
    // Every sample of the buffer is written by a successful decode.
    samples_.resize(std::size_t{count} * info_.channels);
    const Status status =
        info_.offsetTable ? decodeWithTable(block, count) : decodeWithoutTable(block, count);
    if (status != Status::Ok) {
        samples_.clear();
        return Problem{status};
    }
    frames_ = count;
    return Problem{};
}

Status BlockDecoder::decodeWithTable(std::span<const std::uint8_t> block, std::uint32_t count) {
    const std::size_t channels = info_.channels;
    const std::size_t dataAt = kTableAt + 4 * channels;
    if (block.size() < dataAt) {
        return Status::BlockTooShort;
    }
    for (std::size_t ch = 0; ch < channels; ++ch) {
        const std::uint32_t offset = loadU32(&block[kTableAt + 4 * ch], info_.fieldsBigEndian);
        // The offset comes from the file: the channel must start inside the block.
        if (offset > block.size() - dataAt) {
            return Status::ChannelOutsideBlock;
        }
        std::span<const std::uint8_t> area = block.subspan(dataAt + offset);
        if (info_.historyPrefix) {
            // The stored history is skipped: the running state carries over from the last block.
            if (area.size() < kHistoryPrefixBytes) {
                return Status::FramesPastBlock;
            }
            area = area.subspan(kHistoryPrefixBytes);
        }
        const std::size_t pcmStride =
            isInterleavedPcm(info_.codec) ? channels * pcmSampleBytes(info_.codec) : 0;
        if (!decodeChannel(area, count, ch, pcmStride)) {
            return Status::FramesPastBlock;
        }
    }
    return Status::Ok;
}

Status BlockDecoder::decodeWithoutTable(std::span<const std::uint8_t> block, std::uint32_t count) {
    const std::size_t channels = info_.channels;
    const std::uint32_t codec = info_.codec;
    if (isPcm(codec)) {
        const std::size_t bytes = pcmSampleBytes(codec);
        const bool interleaved = isInterleavedPcm(codec);
        for (std::size_t ch = 0; ch < channels; ++ch) {
            const std::size_t start = kTableAt + (interleaved ? ch * bytes : ch * count * bytes);
            if (start > block.size() || !decodeChannel(block.subspan(start), count, ch,
                                                       interleaved ? channels * bytes : 0)) {
                return Status::FramesPastBlock;
            }
        }
        return Status::Ok;
    }
    if (block.size() < kStateAreaDataAt) {
        return Status::BlockTooShort;
    }
    const std::span<const std::uint8_t> data = block.subspan(kStateAreaDataAt);
    if (codec == kCodecDviIma) {
        // The stored predictor and step index are reloaded at every block.
        for (std::size_t ch = 0; ch < channels; ++ch) {
            const std::uint8_t* state = &block[kStateAreaAt + 4 * ch];
            ima_[ch] = imaStateFromBlock(loadS16Le(state), loadS16Le(state + 2));
        }
        const bool ok = channels == 2 ? decodeImaStereo(data, count, ima_, samples_.data())
                                      : decodeImaMono(data, count, ima_[0], samples_.data());
        return ok ? Status::Ok : Status::FramesPastBlock;
    }
    // The 4-bit ADPCM: the stored history at 0x0C is skipped; the running state carries over.
    if (codec == kCodecAdpcmStereoPacked && channels == 2) {
        std::array<AdpcmHistory, 2> pair{adpcm_[0], adpcm_[1]};
        if (!decodeStereoPacked(data, count, pair, samples_.data())) {
            return Status::FramesPastBlock;
        }
        adpcm_[0] = pair[0];
        adpcm_[1] = pair[1];
        return Status::Ok;
    }
    // Per-channel frames, one channel's ceil(count / 28) frames after the other's.
    const std::size_t channelBytes = framesFor(count) * kAdpcmFrameBytes;
    for (std::size_t ch = 0; ch < channels; ++ch) {
        const std::size_t start = ch * channelBytes;
        if (start > data.size() || !decodeChannel(data.subspan(start), count, ch, 0)) {
            return Status::FramesPastBlock;
        }
    }
    return Status::Ok;
}

bool BlockDecoder::decodeChannel(std::span<const std::uint8_t> area, std::uint32_t count,
                                 std::size_t channel, std::size_t interleaveStride) {
    const std::size_t channels = info_.channels;
    std::int16_t* out = samples_.data() + channel;
    const std::uint32_t codec = info_.codec;
    if (isPcm(codec)) {
        const std::size_t bytes = pcmSampleBytes(codec);
        const PcmLayout layout{bytes, pcmBigEndian(codec, info_.fieldsBigEndian),
                               interleaveStride != 0 ? interleaveStride : bytes};
        return decodePcmChannel(area, count, layout, out, channels);
    }
    // The 4-bit ADPCM per channel (and the stereo-packed form's mono frames, which have the
    // same layout). Uncompressed 0xEE frames are honoured in the per-channel form only.
    const bool older = !info_.newAdpcm || codec == kCodecAdpcmStereoPacked;
    const bool pcmFrames = codec == kCodecAdpcmPerChannel;
    return decodeAdpcmChannel(area, count, older ? AdpcmRounding::AddHalf : AdpcmRounding::None,
                              pcmFrames, adpcm_[channel], out, channels);
}

}  // namespace sx
