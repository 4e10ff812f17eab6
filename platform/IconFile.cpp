#include "platform/IconFile.h"

namespace platform {

namespace {

// The file starts with a 6-byte header (reserved 0, type 1 for icons, image count), followed
// by one 16-byte entry per image: width, height (0 stands for 256), colour count, reserved,
// planes, bits per pixel, byte count and offset of the image data. All little-endian.
constexpr std::size_t kHeaderBytes = 6;
constexpr std::size_t kEntryBytes = 16;
constexpr std::uint16_t kIconType = 1;
// The bitmap header of each image gives its bits per pixel at this offset, for the files whose
// directory leaves that field 0.
constexpr std::size_t kBitmapBitCountOffset = 14;

std::uint32_t Read16(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint8_t>(bytes[at]) | static_cast<std::uint8_t>(bytes[at + 1]) << 8;
}

std::uint32_t Read32(std::string_view bytes, std::size_t at) {
    return Read16(bytes, at) | Read16(bytes, at + 2) << 16;
}

int SideLength(std::uint8_t stored) {
    return stored == 0 ? 256 : stored;
}

}  // namespace

std::vector<IconImageInfo> ReadIconDirectory(std::string_view bytes) {
    if (bytes.size() < kHeaderBytes || Read16(bytes, 0) != 0 || Read16(bytes, 2) != kIconType) {
        return {};
    }
    const std::size_t count = Read16(bytes, 4);
    // The count comes from the file: the entries must all lie within it.
    if (count > (bytes.size() - kHeaderBytes) / kEntryBytes) {
        return {};
    }
    std::vector<IconImageInfo> images;
    images.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t entry = kHeaderBytes + i * kEntryBytes;
        IconImageInfo image;
        image.width = SideLength(static_cast<std::uint8_t>(bytes[entry]));
        image.height = SideLength(static_cast<std::uint8_t>(bytes[entry + 1]));
        image.bitsPerPixel = static_cast<int>(Read16(bytes, entry + 6));
        const std::uint32_t offset = Read32(bytes, entry + 12);
        // The offset comes from the file too: read the bitmap header only when it is there.
        if (image.bitsPerPixel == 0 && offset <= bytes.size() &&
            bytes.size() - offset >= kBitmapBitCountOffset + 2) {
            image.bitsPerPixel = static_cast<int>(Read16(bytes, offset + kBitmapBitCountOffset));
        }
        images.push_back(image);
    }
    return images;
}

int BestIconImage(const std::vector<IconImageInfo>& images, int size) {
    int best = -1;
    for (std::size_t i = 0; i < images.size(); ++i) {
        const IconImageInfo& image = images[i];
        if (image.width == size && image.height == size &&
            (best < 0 || image.bitsPerPixel > images[best].bitsPerPixel)) {
            best = static_cast<int>(i);
        }
    }
    return best;
}

}  // namespace platform
