#include "sx/HeaderParser.h"

#include <array>
#include <optional>

#include "sx/ByteOrder.h"

namespace sx {
namespace {

constexpr std::uint32_t kPrefixPatch = 0x50540000;      // "PT" in the top two bytes
constexpr std::uint32_t kIdGenericStream = 0x47535452;  // "GSTR"
constexpr std::uint32_t kIdFixedLayout = 0x5041546C;    // "PATl"
constexpr std::uint32_t kIdFixedDesktop = 0x544D706C;   // "TMpl"
constexpr std::uint32_t kIdFixedConsole = 0x544D786C;   // "TMxl"
constexpr std::uint32_t kPlatformGeneric = 0x08;

// Tags of the patch header; each has a length byte except the four markers at the top.
constexpr std::uint8_t kTagVersion = 0x80;
constexpr std::uint8_t kTagBitsPerSample = 0x81;
constexpr std::uint8_t kTagChannels = 0x82;
constexpr std::uint8_t kTagCodec1 = 0x83;
constexpr std::uint8_t kTagSampleRate = 0x84;
constexpr std::uint8_t kTagTotalSamples = 0x85;
constexpr std::uint8_t kTagLoopStart = 0x86;
constexpr std::uint8_t kTagLoopEnd = 0x87;
constexpr std::uint8_t kTagCodec2 = 0xA0;
constexpr std::uint8_t kTagPadding = 0xFC;
constexpr std::uint8_t kTagFormatSection = 0xFD;
constexpr std::uint8_t kTagAlternativeInfo = 0xFE;
constexpr std::uint8_t kTagEnd = 0xFF;
constexpr std::uint8_t kLengthLongForm = 0xFF;
// Tags carrying the decoder coefficients of channels 1 to 6.
constexpr std::array<std::uint8_t, kMaxChannels> kCoefficientTags{0x8F, 0x90, 0x91,
                                                                  0xAB, 0xAC, 0xAD};
constexpr std::size_t kCoefficientCount = 16;

// Old codec ids (codec1).
constexpr std::uint32_t kCodec1Pcm = 0x00;
constexpr std::uint32_t kCodec1Ima = 0x02;
constexpr std::uint32_t kCodec1Vadpcm = 0x05;
constexpr std::uint32_t kCodec1PsAdpcm = 0x06;
constexpr std::uint32_t kCodec1Adpcm = 0x07;
constexpr std::uint32_t kCodec1MicroTalk = 0x09;

constexpr std::uint32_t kNoCodec = 0xFFFFFFFF;

// What each known platform implies when the header is silent, one row per platform id.
struct PlatformDefaults {
    std::uint32_t id;
    bool fieldsBigEndian;
    std::uint32_t version;
    std::uint32_t codec1AtVersion0;  // kNoCodec where version 0 has no default
    std::uint32_t codec2;
    std::uint32_t sampleRate;
};

constexpr std::array kPlatforms{
    PlatformDefaults{0x00, false, 0, kCodec1Pcm, kCodecAdpcmPerChannel, 22050},
    PlatformDefaults{0x01, false, 0, kCodec1PsAdpcm, kCodecPsAdpcm, 22050},
    PlatformDefaults{0x02, true, 0, kCodec1Vadpcm, kCodecVadpcm, 22050},
    PlatformDefaults{0x03, true, 0, kCodec1Pcm, kCodecAdpcmPerChannel, 22050},
    PlatformDefaults{0x04, true, 0, kCodec1Pcm, kCodecPcm16BePlanar, 22050},
    PlatformDefaults{0x05, false, 1, kNoCodec, kCodecPsAdpcm, 22050},
    PlatformDefaults{0x06, true, 2, kNoCodec, kCodecPcm16BePlanar, 24000},
    PlatformDefaults{0x07, false, 2, kNoCodec, kCodecPcm16LePlanar, 24000},
    PlatformDefaults{0x08, true, 2, kNoCodec, kCodecAdpcmPerChannel, 48000},
    PlatformDefaults{0x09, true, 3, kNoCodec, kCodecAdpcmPerChannel, 44100},
    PlatformDefaults{0x0A, false, 3, kNoCodec, kCodecAdpcmPerChannel, 22050},
    PlatformDefaults{0x0E, true, 3, kNoCodec, kCodecAdpcmPerChannel, 44100},
    PlatformDefaults{0x10, true, 3, kNoCodec, kCodecDspAdpcm, 32000},
    PlatformDefaults{0x14, false, 3, kNoCodec, kCodecDspAdpcm, 32000},
};

const PlatformDefaults* findPlatform(std::uint32_t id) {
    for (const auto& row : kPlatforms) {
        if (row.id == id) {
            return &row;
        }
    }
    return nullptr;
}

// The tag values the defaults depend on; absent tags stay empty.
struct Tags {
    std::optional<std::uint32_t> version, bits, channels, codec1, codec2, sampleRate, total,
        loopStart, loopEnd;
};

HeaderResult fail(Status status, std::uint64_t value = 0) {
    HeaderResult result;
    result.problem = Problem{status, value, -1};
    return result;
}

std::optional<std::uint32_t>* slotFor(Tags& tags, std::uint8_t tag) {
    switch (tag) {
        case kTagVersion:
            return &tags.version;
        case kTagBitsPerSample:
            return &tags.bits;
        case kTagChannels:
            return &tags.channels;
        case kTagCodec1:
            return &tags.codec1;
        case kTagSampleRate:
            return &tags.sampleRate;
        case kTagTotalSamples:
            return &tags.total;
        case kTagLoopStart:
            return &tags.loopStart;
        case kTagLoopEnd:
            return &tags.loopEnd;
        case kTagCodec2:
            return &tags.codec2;
        default:
            return nullptr;
    }
}

// Reads the tag list from `pos` up to its end tag. Unknown tags are skipped by their length;
// an entry that would reach past the block, or a block without an end tag, is refused.
Status readTags(std::span<const std::uint8_t> block, std::size_t pos, bool fieldsBigEndian,
                Tags& tags, StreamInfo& info) {
    const std::size_t end = block.size();
    while (true) {
        if (pos >= end) {
            return Status::HeaderPastBlock;
        }
        const std::uint8_t tag = block[pos++];
        if (tag == kTagEnd || tag == kTagAlternativeInfo) {
            return Status::Ok;
        }
        if (tag == kTagPadding || tag == kTagFormatSection) {
            continue;
        }
        if (pos >= end) {
            return Status::HeaderPastBlock;
        }
        std::size_t length = block[pos++];
        if (length == kLengthLongForm) {
            if (end - pos < 4) {
                return Status::HeaderPastBlock;
            }
            length = loadU32Be(&block[pos]);
            pos += 4;
        }
        // The length comes from the file: it must stay inside the block before it moves pos.
        if (length > end - pos) {
            return Status::HeaderPastBlock;
        }
        std::uint32_t value = 0;
        if (length <= 4) {
            for (std::size_t i = 0; i < length; ++i) {
                value = (value << 8) | block[pos + i];
            }
        }
        if (auto* slot = slotFor(tags, tag)) {
            *slot = value;
        }
        for (std::size_t ch = 0; ch < kCoefficientTags.size(); ++ch) {
            if (tag == kCoefficientTags[ch] && length >= 2 * kCoefficientCount) {
                std::array<std::int16_t, kCoefficientCount> values{};
                for (std::size_t i = 0; i < kCoefficientCount; ++i) {
                    values[i] = loadS16(&block[pos + 2 * i], fieldsBigEndian);
                }
                info.coefficients[ch] = values;
            }
        }
        pos += length;
    }
}

// Translates an old codec id into the new one; kNoCodec when the old id is undefined.
std::uint32_t translateCodec1(std::uint32_t codec1, std::uint32_t bits, std::uint32_t platform,
                              bool fieldsBigEndian) {
    const bool desktopInterleaved = platform == 0x00;
    switch (codec1) {
        case kCodec1Pcm:
            if (desktopInterleaved) {
                return bits == 8 ? kCodecPcm8Interleaved
                                 : (fieldsBigEndian ? kCodecPcm16BeInterleaved
                                                    : kCodecPcm16LeInterleaved);
            }
            return bits == 8 ? kCodecPcm8Planar
                             : (fieldsBigEndian ? kCodecPcm16BePlanar : kCodecPcm16LePlanar);
        case kCodec1Ima:
            return kCodecDviIma;
        case kCodec1Vadpcm:
            return kCodecVadpcm;
        case kCodec1PsAdpcm:
            return kCodecPsAdpcm;
        case kCodec1MicroTalk:
            return kCodecMicroTalk10;
        case kCodec1Adpcm:
            return (platform == 0x00 || platform == 0x03) ? kCodecAdpcmStereoPacked
                                                          : kCodecAdpcmPerChannel;
        default:
            return kNoCodec;
    }
}

HeaderResult parsePatch(std::span<const std::uint8_t> block, std::size_t tagsAt,
                        std::uint32_t platformId, HeaderResult result) {
    const PlatformDefaults* platform = findPlatform(platformId);
    if (platform == nullptr) {
        return fail(Status::UnknownPlatform, platformId);
    }
    StreamInfo& info = result.info;
    info.platform = platformId;
    info.fieldsBigEndian = platform->fieldsBigEndian;

    Tags tags;
    if (Status status = readTags(block, tagsAt, info.fieldsBigEndian, tags, info);
        status != Status::Ok) {
        return fail(status);
    }

    info.channels = tags.channels.value_or(1);
    if (info.channels == 0 || info.channels > kMaxChannels) {
        return fail(Status::BadChannelCount, info.channels);
    }
    info.version = tags.version.value_or(platform->version);
    if (info.version > 3) {
        return fail(Status::UnknownVersion, info.version);
    }
    std::optional<std::uint32_t> codec1 = tags.codec1;
    // Only a header that names no codec at all needs the version-0 default of its platform.
    if (!codec1 && !tags.codec2 && info.version == 0) {
        if (platform->codec1AtVersion0 == kNoCodec) {
            return fail(Status::NoDefaultCodec, platformId);
        }
        codec1 = platform->codec1AtVersion0;
    }
    if (tags.codec2) {
        info.codec = *tags.codec2;
    } else if (codec1) {
        info.codec =
            translateCodec1(*codec1, tags.bits.value_or(16), platformId, info.fieldsBigEndian);
        if (info.codec == kNoCodec) {
            return fail(Status::UnknownCodec, *codec1);
        }
    } else {
        info.codec = platform->codec2;
    }
    info.sampleRate = tags.sampleRate.value_or(platform->sampleRate);
    info.newAdpcm = info.version == 3 ||
                    (info.version == 2 &&
                     (platformId == 0x00 || platformId == 0x03 || platformId == kPlatformGeneric));
    info.historyPrefix = (info.codec == kCodecAdpcmPerChannel && !info.newAdpcm) ||
                         (info.codec == kCodecDspAdpcm && platformId == 0x14);
    info.offsetTable = info.version >= 1;
    info.totalSamples = tags.total;
    if (tags.loopEnd) {
        info.loopStart = tags.loopStart.value_or(0);
        info.loopEndExclusive = std::uint64_t{*tags.loopEnd} + 1;
    }
    return result;
}

// The fixed-layout header: a PATl structure that points to a TMpl (desktop) or TMxl (console)
// section of single fields.
HeaderResult parseFixedLayout(std::span<const std::uint8_t> block, std::size_t patlAt,
                              HeaderResult result) {
    constexpr std::size_t kBodyOffsetField = 0x0C;
    constexpr std::size_t kSectionIdAt = 0x28;
    constexpr std::size_t kFieldsAt = 0x2C;
    constexpr std::size_t kFieldsBytes = 0x18;  // enough for the longer console layout
    if (block.size() - patlAt < kBodyOffsetField + 4) {
        return fail(Status::HeaderPastBlock);
    }
    // The body offset comes from the file: check it against the block before using it.
    const std::uint64_t body =
        patlAt + kBodyOffsetField + std::uint64_t{loadU32Le(&block[patlAt + kBodyOffsetField])};
    if (body + kFieldsAt + kFieldsBytes > block.size()) {
        return fail(Status::HeaderPastBlock);
    }
    const std::uint8_t* section = &block[body + kSectionIdAt];
    const std::uint8_t* f = &block[body + kFieldsAt];
    const std::uint32_t sectionId = loadU32Be(section);
    if (sectionId != kIdFixedDesktop && sectionId != kIdFixedConsole) {
        return fail(Status::FixedHeaderUnknown);
    }
    const bool console = sectionId == kIdFixedConsole;

    StreamInfo& info = result.info;
    info.form = HeaderForm::FixedLayout;
    info.version = f[0];
    const std::uint32_t bits = f[1];
    info.channels = f[2];
    const std::uint32_t codec = f[3];
    info.sampleRate = loadU16Le(f + 6);
    const auto total = static_cast<std::int32_t>(loadU32Le(f + (console ? 0x0C : 0x08)));
    const auto loopStart = static_cast<std::int32_t>(loadU32Le(f + (console ? 0x10 : 0x0C)));
    const auto loopEnd = static_cast<std::int32_t>(loadU32Le(f + (console ? 0x14 : 0x10)));
    if (info.channels == 0 || info.channels > kMaxChannels) {
        return fail(Status::BadChannelCount, info.channels);
    }
    switch (codec) {
        // PCM of this header is planar and little-endian.
        case 0x00:
            info.codec = bits == 8 ? kCodecPcm8Planar : kCodecPcm16LePlanar;
            break;
        case 0x02:
            info.codec = kCodecDviIma;
            break;
        case 0x06:
            info.codec = kCodecPsAdpcm;
            break;
        default:
            return fail(Status::UnknownCodec, codec);
    }
    // Blocks follow the oldest layout, and their count field is taken in the size fields' order.
    info.offsetTable = false;
    info.fieldsBigEndian = info.sizesBigEndian;
    if (total >= 0) {
        info.totalSamples = static_cast<std::uint32_t>(total);
    }
    if (loopEnd >= 0 && loopStart >= 0) {
        info.loopStart = static_cast<std::uint32_t>(loopStart);
        info.loopEndExclusive = static_cast<std::uint64_t>(loopEnd) + 1;
    }
    return result;
}

}  // namespace

bool sizesAreBigEndian(const std::uint8_t* sizeField) {
    return loadU32Le(sizeField) > loadU32Be(sizeField);
}

HeaderResult parseHeaderBlock(std::span<const std::uint8_t> block, bool sizesBigEndian) {
    HeaderResult result;
    result.info.sizesBigEndian = sizesBigEndian;
    // The header form is found at the payload start or, after one unknown leading field, 4 bytes
    // on.
    for (std::size_t at : {kBlockHeaderBytes, kBlockHeaderBytes + 4}) {
        if (block.size() < at + 4) {
            break;
        }
        const std::uint32_t id = loadU32Be(&block[at]);
        if ((id & 0xFFFF0000) == kPrefixPatch) {
            return parsePatch(block, at + 4, loadU16Le(&block[at + 2]), result);
        }
        if (id == kIdGenericStream) {
            if (block.size() < at + 8) {
                return fail(Status::HeaderPastBlock);
            }
            result.info.form = HeaderForm::GenericStream;
            return parsePatch(block, at + 8, kPlatformGeneric, result);
        }
        if (id == kIdFixedLayout) {
            return parseFixedLayout(block, at, result);
        }
    }
    return fail(Status::UnknownHeader);
}

HeaderResult parseHeader(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kBlockHeaderBytes) {
        return fail(bytes.size() >= 4 && loadU32Be(bytes.data()) == kIdHeader ? Status::HeaderCut
                                                                              : Status::NotAStream);
    }
    if (loadU32Be(bytes.data()) != kIdHeader) {
        return fail(Status::NotAStream);
    }
    const bool bigEndian = sizesAreBigEndian(&bytes[4]);
    const std::uint32_t size = loadU32(&bytes[4], bigEndian);
    if (size < kBlockHeaderBytes || size > kMaxBlockBytes) {
        return fail(Status::HeaderBlockSize, size);
    }
    if (size > bytes.size()) {
        return fail(Status::HeaderCut);
    }
    return parseHeaderBlock(bytes.first(size), bigEndian);
}

}  // namespace sx
