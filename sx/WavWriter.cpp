#include "sx/WavWriter.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "sx/ByteOrder.h"

namespace sx {
namespace {

constexpr std::uint16_t kFormatPcm = 0x0001;
constexpr std::uint16_t kFormatExtensible = 0xFFFE;
constexpr std::uint16_t kBitsPerSample = 16;
constexpr std::size_t kBytesPerSample = 2;
constexpr std::size_t kPlainFmtBytes = 16;
constexpr std::size_t kExtensibleFmtBytes = 40;
constexpr std::uint16_t kExtensionBytes = 22;
// The PCM sub-format GUID, as it is stored in the file.
constexpr std::array<std::uint8_t, 16> kSubFormatPcm{
    0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

bool extensible(const WavFormat& format) {
    return format.channels > 2;
}

void append(std::vector<std::uint8_t>& out, const char (&text)[5]) {
    out.insert(out.end(), text, text + 4);
}

void appendU16(std::vector<std::uint8_t>& out, std::uint16_t value) {
    std::uint8_t bytes[2];
    storeU16Le(bytes, value);
    out.insert(out.end(), bytes, bytes + 2);
}

void appendU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    std::uint8_t bytes[4];
    storeU32Le(bytes, value);
    out.insert(out.end(), bytes, bytes + 4);
}

}  // namespace

bool VectorSink::write(std::span<const std::uint8_t> bytes) {
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return true;
}

bool VectorSink::rewriteStart(std::span<const std::uint8_t> bytes) {
    if (bytes.size() > bytes_.size()) {
        return false;
    }
    std::copy(bytes.begin(), bytes.end(), bytes_.begin());
    return true;
}

std::size_t wavHeaderBytes(const WavFormat& format) {
    return 20 + (extensible(format) ? kExtensibleFmtBytes : kPlainFmtBytes) + 8;
}

std::vector<std::uint8_t> wavHeader(const WavFormat& format, std::uint32_t dataBytes) {
    const auto blockAlign = static_cast<std::uint16_t>(format.channels * kBytesPerSample);
    std::vector<std::uint8_t> out;
    out.reserve(wavHeaderBytes(format));
    append(out, "RIFF");
    appendU32(out, static_cast<std::uint32_t>(wavHeaderBytes(format) - 8 + dataBytes));
    append(out, "WAVE");
    append(out, "fmt ");
    appendU32(out, extensible(format) ? kExtensibleFmtBytes : kPlainFmtBytes);
    appendU16(out, extensible(format) ? kFormatExtensible : kFormatPcm);
    appendU16(out, static_cast<std::uint16_t>(format.channels));
    appendU32(out, format.sampleRate);
    appendU32(out, format.sampleRate * blockAlign);
    appendU16(out, blockAlign);
    appendU16(out, kBitsPerSample);
    if (extensible(format)) {
        appendU16(out, kExtensionBytes);
        appendU16(out, kBitsPerSample);  // valid bits
        appendU32(out, kWavChannelMasks.at(format.channels));
        out.insert(out.end(), kSubFormatPcm.begin(), kSubFormatPcm.end());
    }
    append(out, "data");
    appendU32(out, dataBytes);
    return out;
}

WavWriter::WavWriter(ByteSink& sink, const WavFormat& format) : sink_(sink), format_(format) {}

std::uint64_t WavWriter::maxFrames() const {
    const std::uint64_t room = 0xFFFFFFFFull - (wavHeaderBytes(format_) - 8);
    return room / (format_.channels * kBytesPerSample);
}

bool WavWriter::begin() {
    return sink_.write(wavHeader(format_, 0));
}

bool WavWriter::write(const std::int16_t* samples, std::size_t frames) {
    if (frames == 0) {
        return true;
    }
    const std::size_t channels = format_.channels;
    const auto& order = kWavChannelOrder.at(channels);
    buffer_.resize(frames * channels * kBytesPerSample);
    std::uint8_t* out = buffer_.data();
    if (channels <= 2 && std::endian::native == std::endian::little) {
        // The samples are already in the file's order and byte order.
        std::memcpy(out, samples, buffer_.size());
        frames_ += frames;
        return sink_.write(buffer_);
    }
    for (std::size_t f = 0; f < frames; ++f, samples += channels) {
        for (std::size_t ch = 0; ch < channels; ++ch, out += kBytesPerSample) {
            storeU16Le(out, static_cast<std::uint16_t>(samples[order[ch]]));
        }
    }
    frames_ += frames;
    return sink_.write(buffer_);
}

bool WavWriter::finish() {
    const std::uint64_t dataBytes = frames_ * format_.channels * kBytesPerSample;
    return sink_.rewriteStart(wavHeader(format_, static_cast<std::uint32_t>(dataBytes)));
}

}  // namespace sx
