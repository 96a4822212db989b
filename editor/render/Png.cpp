#include "render/Png.h"

#include <png.h>

#include <cstring>
#include <vector>

#include "platform/Files.h"

namespace lumavox {

namespace {

std::vector<uint8_t> rgbBytes(const RgbImage& image) {
    std::vector<uint8_t> bytes;
    bytes.reserve(image.pixels().size() * 3);
    for (const Rgb& p : image.pixels()) {
        bytes.push_back(p.r);
        bytes.push_back(p.g);
        bytes.push_back(p.b);
    }
    return bytes;
}

}  // namespace

bool writePng(const std::filesystem::path& path, const RgbImage& image, std::string& error) {
    if (image.empty()) {
        error = "empty image";
        return false;
    }
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width());
    png.height = static_cast<png_uint_32>(image.height());
    png.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> pixels = rgbBytes(image);
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&png, nullptr, &size, 0, pixels.data(), 0, nullptr)) {
        error = png.message;
        return false;
    }
    std::vector<uint8_t> encoded(size);
    if (!png_image_write_to_memory(&png, encoded.data(), &size, 0, pixels.data(), 0, nullptr)) {
        error = png.message;
        return false;
    }
    encoded.resize(size);
    return writeFileAtomically(path, encoded, error);
}

bool readPng(const std::filesystem::path& path, RgbImage& image, std::string& error) {
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str())) {
        error = png.message;
        return false;
    }
    png.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, pixels.data(), 0, nullptr)) {
        error = png.message;
        png_image_free(&png);
        return false;
    }
    RgbImage out(static_cast<int>(png.width), static_cast<int>(png.height));
    size_t i = 0;
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x, i += 3)
            out.set(x, y, {pixels[i], pixels[i + 1], pixels[i + 2]});
    image = std::move(out);
    return true;
}

}  // namespace lumavox
