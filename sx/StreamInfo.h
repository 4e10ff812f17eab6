#pragma once

// What the header of a stream says, after the defaults have been filled in: everything the
// block walk and the codecs need to know.

#include <array>
#include <cstdint>
#include <optional>

namespace sx {

constexpr int kMaxChannels = 6;

// Codec ids of the header's codec2 tag; codec1 values are translated to these.
enum Codec : std::uint32_t {
    kCodecPcm16LeInterleaved = 0x00,
    kCodecPcm16BeInterleaved = 0x01,
    kCodecPcm8Interleaved = 0x02,
    kCodecAdpcmStereoPacked = 0x03,
    kCodecMicroTalk10 = 0x04,
    kCodecPsAdpcm = 0x05,
    kCodecVadpcm = 0x06,
    kCodecPcm16BePlanar = 0x07,
    kCodecPcm16LePlanar = 0x08,
    kCodecPcm8Planar = 0x09,
    kCodecAdpcmPerChannel = 0x0A,
    kCodecDviIma = 0x0D,
    kCodecDspAdpcm = 0x12,
};

enum class HeaderForm { Patch, GenericStream, FixedLayout };

struct StreamInfo {
    HeaderForm form = HeaderForm::Patch;
    std::uint32_t platform = 0;
    // Byte order of the data blocks' sample count and offset table and of platform-ordered PCM.
    bool fieldsBigEndian = false;
    // Byte order of every block's size field, decided from the header block's size.
    bool sizesBigEndian = false;
    std::uint32_t version = 0;
    std::uint32_t channels = 1;
    std::uint32_t codec = 0;
    std::uint32_t sampleRate = 0;
    std::optional<std::uint32_t> totalSamples;
    std::optional<std::uint32_t> loopStart;
    // 64 bits wide: the tag holds an inclusive end, and 0xFFFFFFFF + 1 must not wrap to 0.
    std::optional<std::uint64_t> loopEndExclusive;
    // The per-channel 4-bit ADPCM uses the R2/R3 rules (no rounding constant, no stored history).
    bool newAdpcm = false;
    // Each channel area of each data block starts with 4 bytes of stored history.
    bool historyPrefix = false;
    // Data blocks carry a channel-offset table after their sample count.
    bool offsetTable = false;
    // 16 decoder coefficients per channel when the header carries them (in platform byte order).
    std::array<std::optional<std::array<std::int16_t, 16>>, kMaxChannels> coefficients;
};

}  // namespace sx
