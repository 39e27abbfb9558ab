#pragma once
// The two image file formats the program reads and writes.

#include <optional>
#include <string>
#include <string_view>

namespace kararisu {

enum class ImageFormat { Bmp, Png };

// "BMP", "PNG": how the batch tool names a format.
const char* imageFormatName(ImageFormat format);
// "bmp", "png": the extension files of the format are written with.
const char* imageFormatExtension(ImageFormat format);
// The format a name's extension stands for (.bmp and .dib, .png, in any
// case), or none. Files are read by their content, never by this; it
// chooses what a named output file is written as.
std::optional<ImageFormat> formatOfExtension(std::string_view path);
// The file name under which an image of that format is written: the name
// itself, unless its extension names the other format, which is then
// replaced. "photo.png" as BMP is "photo.bmp"; "scan" stays "scan".
std::string fileNameInFormat(const std::string& fileName, ImageFormat format);

}  // namespace kararisu
