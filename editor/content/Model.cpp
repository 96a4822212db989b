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

// Large texts are mostly character items; keep each at the size of one.
static_assert(sizeof(TextItem) <= sizeof(CharItem) + 4);

TextItem::TextItem(const TextItem& o) : kind(o.kind), form_(o.form_) {
    switch (form_) {
        case Form::Char:
            new (&store_.c) CharItem(o.store_.c);
            break;
        case Form::Params:
            setOutOfLine(new ControlParams(o.params()));
            break;
        case Form::Window:
            setOutOfLine(new WindowControl(o.window()));
            break;
    }
}

TextItem TextItem::control(uint8_t kind, const ControlParams& p) {
    TextItem item;
    // Allocated before the item changes form, so a failed allocation leaves a
    // plain character item behind.
    void* held = new ControlParams(p);
    item.kind = kind;
    item.form_ = Form::Params;
    item.setOutOfLine(held);
    return item;
}

TextItem TextItem::window(const WindowControl& w) {
    TextItem item;
    void* held = new WindowControl(w);
    item.kind = kWindowItem;
    item.form_ = Form::Window;
    item.setOutOfLine(held);
    return item;
}

void TextItem::release() {
    if (form_ == Form::Params)
        delete static_cast<ControlParams*>(outOfLine());
    else if (form_ == Form::Window)
        delete static_cast<WindowControl*>(outOfLine());
    form_ = Form::Char;
    new (&store_.c) CharItem();
}

bool TextItem::operator==(const TextItem& o) const {
    if (kind != o.kind || form_ != o.form_) return false;
    switch (form_) {
        case Form::Char:
            return store_.c == o.store_.c;
        case Form::Params:
            return params() == o.params();
        case Form::Window:
            return window() == o.window();
    }
    return false;
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
