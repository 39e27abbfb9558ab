#pragma once
// Image files as the program reads and writes them: BMP and PNG, told apart
// by their first bytes, never by their names.

#include <cstdint>
#include <span>
#include <string>

#include "support/atomic_file.h"
#include "support/problem.h"
#include "worklists/bitmap.h"
#include "worklists/bmp/bmp.h"
#include "worklists/image_format.h"
#include "worklists/png/png.h"

namespace kararisu {

struct ImageFile {
    Bitmap bitmap;
    ImageFormat format = ImageFormat::Bmp;
    BmpFileInfo bmp;  // what a BMP file said
    PngFileInfo png;  // what a PNG file said
    // Pixels whose alpha was neither 0 nor 255, now transparent (below 128)
    // or opaque.
    std::uint64_t partialAlpha() const {
        return format == ImageFormat::Png ? png.partialAlpha : bmp.partialAlpha;
    }
};

// PNG by its signature; anything else is read as BMP, whose reader says
// why it is none.
Outcome<ImageFile> decodeImage(std::span<const std::uint8_t> bytes);
// A file that cannot be read is one of the file problem kinds; one that
// is neither format NotAnImage.
Outcome<ImageFile> readImageFile(const std::string& path);
// The same from a pipe or any descriptor without a size (standard input):
// read no further than the picture needs, within the size limits.
Outcome<ImageFile> readImageStream(int fd);
// The format a file's first bytes say: PNG by its signature, BMP for
// anything else (whose reader then says why it is none).
Outcome<ImageFormat> imageFormatOfFile(const std::string& path);

// Writes atomically in the given format, replacing or only where the name
// is free.
Outcome<void> saveImage(const Bitmap& bitmap, const std::string& path, ImageFormat format,
                        WriteMode mode = WriteMode::Replace);

}  // namespace kararisu
