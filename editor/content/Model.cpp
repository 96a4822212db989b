#include "content/Model.h"

#include <algorithm>

namespace lumavox {

TimeStamp TimeStamp::from(const CalendarTime& t) {
    TimeStamp s;
    s.second = static_cast<uint8_t>(t.second);
    s.minute = static_cast<uint8_t>(t.minute);
    s.hour = static_cast<uint8_t>(t.hour);
    s.day = static_cast<uint8_t>(t.day);
    s.month = static_cast<uint8_t>(t.month);
    s.year = t.year < 2000 ? 0 : t.year >= 2100 ? 99 : static_cast<uint8_t>(t.year - 2000);
    return s;
}

void Name9::assign(std::string_view s) {
    bytes.fill(0);
    std::copy_n(s.begin(), std::min<size_t>(s.size(), 8), bytes.begin());
}

std::string Name9::str() const {
    size_t n = 0;
    while (n < 8 && bytes[n] != 0)
        ++n;
    return std::string(reinterpret_cast<const char*>(bytes.data()), n);
}

std::string trimTrailingBlanks(std::string_view s) {
    size_t n = s.size();
    while (n > 0 && (s[n - 1] == ' ' || s[n - 1] == '\t'))
        --n;
    return std::string(s.substr(0, n));
}

bool sameName(std::string_view a, std::string_view b) {
    return trimTrailingBlanks(a) == trimTrailingBlanks(b);
}

bool isControlParamsKind(uint8_t kind) {
    switch (kind) {
        case kTempCounter:
        case kMove:
        case kSpeed:
        case kPause:
        case kDateTime:
        case kBeep:
        case kGraphicItem:
        case kRowPitch:
        case kInclude:
            return true;
        default:
            return false;
    }
}

TextFile* WorkArea::findFile(std::string_view name) {
    for (auto& f : textFiles)
        if (sameName(f.name.str(), name)) return &f;
    return nullptr;
}

const TextFile* WorkArea::findFile(std::string_view name) const {
    return const_cast<WorkArea*>(this)->findFile(name);
}

GraphicFile* WorkArea::findGraphic(std::string_view name) {
    for (auto& g : graphics)
        if (sameName(g.name.str(), name)) return &g;
    return nullptr;
}

const GraphicFile* WorkArea::findGraphic(std::string_view name) const {
    return const_cast<WorkArea*>(this)->findGraphic(name);
}

int WorkArea::textFileCount() const {
    return static_cast<int>(std::count_if(textFiles.begin(), textFiles.end(),
                                          [](auto& f) { return f.kind == kTextFile; }));
}

}  // namespace lumavox
