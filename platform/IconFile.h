#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace platform {

// One image listed in a Windows icon file's directory.
struct IconImageInfo {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
};

// The images that an icon file lists, in file order. Empty when the bytes are not an icon file
// or the directory runs past their end.
std::vector<IconImageInfo> ReadIconDirectory(std::string_view bytes);

// The index of the image that a window shows for a picture of size by size pixels: the one of
// exactly that size with the most bits per pixel, the earliest of equals; -1 when there is none.
int BestIconImage(const std::vector<IconImageInfo>& images, int size);

}  // namespace platform
