#include "worklists/image_file.h"

#include <cctype>

#include "support/files.h"

namespace kararisu {

namespace {

ImageFile fromBmp(BmpImage&& bmp) {
    ImageFile f;
    f.bitmap = std::move(bmp.bitmap);
    f.format = ImageFormat::Bmp;
    f.bmp = bmp.info;
    return f;
}

ImageFile fromPng(PngImage&& png) {
    ImageFile f;
    f.bitmap = std::move(png.bitmap);
    f.format = ImageFormat::Png;
    f.png = png.info;
    return f;
}

// The BMP reader's word for a file that is not one names both formats now.
Problem neitherFormat(Problem p) {
    if (p.kind == ProblemKind::BmpBadSignature)
        return {ProblemKind::NotAnImage, "neither a BMP nor a PNG file"};
    return p;
}

}  // namespace

const char* imageFormatName(ImageFormat format) {
    return format == ImageFormat::Png ? "PNG" : "BMP";
}

const char* imageFormatExtension(ImageFormat format) {
    return format == ImageFormat::Png ? "png" : "bmp";
}

std::optional<ImageFormat> formatOfExtension(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos) return std::nullopt;
    std::string ext(name.substr(dot + 1));
    for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
    if (ext == "bmp" || ext == "dib") return ImageFormat::Bmp;
    if (ext == "png") return ImageFormat::Png;
    return std::nullopt;
}

std::string fileNameInFormat(const std::string& fileName, ImageFormat format) {
    const std::optional<ImageFormat> named = formatOfExtension(fileName);
    if (!named || *named == format) return fileName;
    return fileName.substr(0, fileName.rfind('.') + 1) + imageFormatExtension(format);
}

Outcome<ImageFile> decodeImage(std::span<const std::uint8_t> bytes) {
    if (hasPngSignature(bytes)) {
        Outcome<PngImage> png = decodePng(bytes);
        if (!png) return png.problem();
        return fromPng(std::move(*png));
    }
    Outcome<BmpImage> bmp = decodeBmp(bytes);
    if (!bmp) return neitherFormat(bmp.problem());
    return fromBmp(std::move(*bmp));
}

Outcome<ImageFormat> imageFormatOfFile(const std::string& path) {
    std::uint8_t head[8] = {};
    const Outcome<UniqueFd> file = openForReading(path);
    if (!file) return file.problem();
    const Outcome<std::size_t> n = readFully(file->get(), head);
    if (!n) return n.problem();
    return hasPngSignature(std::span<const std::uint8_t>(head, *n)) ? ImageFormat::Png
                                                                    : ImageFormat::Bmp;
}

Outcome<ImageFile> readImageFile(const std::string& path) {
    // The signature decides; the reader of the format opens the file again
    // and reads it its own way.
    const Outcome<ImageFormat> format = imageFormatOfFile(path);
    if (!format) return format.problem();
    if (*format == ImageFormat::Png) {
        Outcome<PngImage> png = readPngFile(path);
        if (!png) return png.problem();
        return fromPng(std::move(*png));
    }
    Outcome<BmpImage> bmp = readBmpFile(path);
    if (!bmp) return neitherFormat(bmp.problem());
    return fromBmp(std::move(*bmp));
}

Outcome<ImageFile> readImageStream(int fd) {
    std::uint8_t head[8] = {};
    const Outcome<std::size_t> n = readFully(fd, head);
    if (!n) return n.problem();
    const std::span<const std::uint8_t> first(head, *n);
    if (hasPngSignature(first)) {
        Outcome<PngImage> png = readPngStream(fd, first);
        if (!png) return png.problem();
        return fromPng(std::move(*png));
    }
    Outcome<BmpImage> bmp = readBmpStream(fd, first);
    if (!bmp) return neitherFormat(bmp.problem());
    return fromBmp(std::move(*bmp));
}

Outcome<void> saveImage(const Bitmap& bitmap, const std::string& path, ImageFormat format,
                        WriteMode mode) {
    return format == ImageFormat::Png ? savePng(bitmap, path, mode) : saveBmp(bitmap, path, mode);
}

}  // namespace kararisu
