// Reads an animated GIF back as whole pictures, one per stored frame, with
// each frame's delay: what a viewer shows.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "render/Image.h"

namespace lumavox::test {

struct GifFrame {
    RgbImage picture;
    int delayCs = 0;
};

struct GifMovie {
    int width = 0;
    int height = 0;
    std::vector<GifFrame> frames;
    bool loops = false;  // carries the loop-forever extension
    int totalCs() const;
};

bool readGif(const std::filesystem::path& path, GifMovie& movie, std::string& error);
bool readGif(const std::vector<uint8_t>& bytes, GifMovie& movie, std::string& error);

}  // namespace lumavox::test
