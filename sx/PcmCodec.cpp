#include "sx/PcmCodec.h"

#include "sx/ByteOrder.h"

namespace sx {

std::size_t pcmBytesFor(std::size_t count, const PcmLayout& layout) {
    return count == 0 ? 0 : (count - 1) * layout.byteStride + layout.bytesPerSample;
}

bool decodePcmChannel(std::span<const std::uint8_t> bytes, std::size_t count,
                      const PcmLayout& layout, std::int16_t* out, std::size_t stride) {
    if (bytes.size() < pcmBytesFor(count, layout)) {
        return false;
    }
    const std::uint8_t* in = bytes.data();
    for (std::size_t i = 0; i < count; ++i, in += layout.byteStride) {
        if (layout.bytesPerSample == 1) {
            out[i * stride] = static_cast<std::int16_t>(static_cast<std::int8_t>(in[0]) * 256);
        } else {
            out[i * stride] = loadS16(in, layout.bigEndian);
        }
    }
    return true;
}

}  // namespace sx
