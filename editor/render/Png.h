// PNG files of RGB images (8 bits per channel, no alpha), through libpng.
#pragma once

#include <filesystem>
#include <string>

#include "render/Image.h"

namespace lumavox {

// Writes the image atomically; on failure returns false with a reason.
bool writePng(const std::filesystem::path& path, const RgbImage& image, std::string& error);
// Reads any PNG libpng understands, converted to 8-bit RGB.
bool readPng(const std::filesystem::path& path, RgbImage& image, std::string& error);

}  // namespace lumavox
