#include "PlayerHarness.h"

#include "FontBuilder.h"
#include "support/TestSupport.h"

namespace lumavox::test {

const FontSet& blockFonts() {
    static const FontSet fonts = [] {
        FontSet f;
        f.LoadBytes(fontFileBytes({uniformFont("B5", 5, 32, 95, 4)}), "test", nullptr);
        return f;
    }();
    return fonts;
}

FileBuilder::FileBuilder(std::string_view name, uint8_t kind) {
    file_.name = name;
    file_.kind = kind;
}

FileBuilder& FileBuilder::text(std::string_view s, uint8_t colour) {
    appendText(file_, s, charAttrs(0, colour));
    return *this;
}

FileBuilder& FileBuilder::move(int in, int out) {
    file_.items.push_back(
        TextItem::control(kMove, params(static_cast<uint16_t>(in), static_cast<uint16_t>(out))));
    return *this;
}

FileBuilder& FileBuilder::speed(int code) {
    file_.items.push_back(TextItem::control(kSpeed, params(0, 0, static_cast<uint16_t>(code))));
    return *this;
}

FileBuilder& FileBuilder::pause(int code) {
    file_.items.push_back(TextItem::control(kPause, params(0, 0, 0, static_cast<uint16_t>(code))));
    return *this;
}

FileBuilder& FileBuilder::beep(int code) {
    file_.items.push_back(TextItem::control(kBeep, params(static_cast<uint16_t>(code))));
    return *this;
}

FileBuilder& FileBuilder::lf() {
    CharItem c = charAttrs(0, 1);
    c.character = kLF;
    file_.items.push_back(TextItem::character(c));
    return *this;
}

FileBuilder& FileBuilder::call(std::string_view name) {
    ControlParams p;
    p.name = name;
    file_.items.push_back(TextItem::control(kInclude, p));
    return *this;
}

FileBuilder& FileBuilder::windows(const WindowControl& control) {
    file_.items.push_back(TextItem::window(control));
    return *this;
}

TextFile FileBuilder::done() {
    appendEnd(file_, charAttrs(0, 1));
    return file_;
}

WindowArea area(int x, int y, int width, int height, std::string_view name, int alignment) {
    WindowArea a =
        params(static_cast<uint16_t>(x), static_cast<uint16_t>(y), static_cast<uint16_t>(width),
               static_cast<uint16_t>(height), static_cast<uint8_t>(alignment));
    a.name = name;
    return a;
}

bool LoggingHost::Wait(int ms) {
    waits.push_back(ms);
    if (stopAfterWaits >= 0 && static_cast<int>(waits.size()) >= stopAfterWaits) {
        flags_.stop = true;
        return false;
    }
    return time.wait(ms);
}

void LoggingHost::frameReady(const RgbImage& displayed) {
    pictures.push_back(displayed);
}

std::vector<std::string> LoggingHost::effects() const {
    std::vector<std::string> out;
    for (const std::string& s : log)
        if (s.rfind("in ", 0) == 0 || s.rfind("out ", 0) == 0) out.push_back(s);
    return out;
}

PlayRun::PlayRun(WorkArea w, int passes, SignMode mode) : work(std::move(w)) {
    settings.mode = mode;
    settings.defaultFont = 0;
    settings.defaultColour = 1;
    settings.now = fixedTime();
    settings.passes = passes;
}

void PlayRun::play(std::string_view file) {
    player = std::make_unique<PreviewPlayer>(work, blockFonts(), settings, host, flags, random);
    player->play(file);
}

}  // namespace lumavox::test
