// The largest document the editor allows: 255 text files of 10,000 items
// each, 255 graphics of 160 x 16 and 30 schedule tasks. Benchmarks of the
// document layer and of the window open it.
#pragma once

#include <string>

#include "content/Model.h"

namespace lumavox::bench {

inline WorkArea maximalWorkArea() {
    WorkArea work;
    for (int f = 0; f < kMaxTextFiles; ++f) {
        TextFile file;
        file.name = "TEXT" + std::to_string(f);
        for (int i = 0; i < 9999; ++i) {
            if (i % 100 == 50) {
                ControlParams p;
                p.valueA = static_cast<uint16_t>(i % 44);
                file.items.push_back(TextItem::control(kMove, p));
                continue;
            }
            CharItem c;
            c.font = 1;
            c.colour = static_cast<uint8_t>(1 + i % 3);
            c.character = static_cast<uint16_t>('A' + i % 26);
            file.items.push_back(TextItem::character(c));
        }
        CharItem end;
        end.character = kCR;
        file.items.push_back(TextItem::character(end));
        work.textFiles.push_back(std::move(file));
    }
    for (int g = 0; g < kMaxGraphics; ++g) {
        GraphicFile gf;
        gf.name = "PIC" + std::to_string(g);
        gf.width = 160;
        gf.height = 16;
        gf.pixels.resize(160 * 16);
        for (size_t i = 0; i < gf.pixels.size(); ++i)
            gf.pixels[i] = (i * 7 + g) % 5 == 0 ? kPixelRed : kPixelOff;
        work.graphics.push_back(std::move(gf));
    }
    work.tasks.resize(kMaxScheduleTasks);
    return work;
}

}  // namespace lumavox::bench
