#include "app/Demo.h"

#include "content/WindowLayout.h"

namespace lumavox {

namespace {

constexpr uint8_t kDemoFont = 1;

void addText(TextFile& f, std::string_view s, uint8_t colour, uint8_t property = 0) {
    for (char c : s) {
        CharItem ch;
        ch.font = kDemoFont;
        ch.colour = colour;
        ch.character = static_cast<uint8_t>(c);
        ch.property = property;
        f.items.push_back(TextItem::character(ch));
    }
}

void addBreak(TextFile& f, uint16_t code) {
    CharItem ch;
    ch.font = kDemoFont;
    ch.colour = 1;
    ch.character = code;
    f.items.push_back(TextItem::character(ch));
}

ControlParams values(uint16_t a, uint16_t b = 0, uint16_t c = 0, uint16_t d = 0) {
    ControlParams p;
    p.valueA = a;
    p.valueB = b;
    p.valueC = c;
    p.valueD = d;
    return p;
}

void addControl(TextFile& f, uint8_t kind, const ControlParams& p) {
    f.items.push_back(TextItem::control(kind, p));
}

TextFile newFile(uint8_t kind, std::string_view name, const Clock& clock) {
    TextFile f;
    f.kind = kind;
    f.name = name;
    f.stamp = TimeStamp::now(clock);
    return f;
}

}  // namespace

WorkArea makeDemoWorkArea(const Clock& clock) {
    WorkArea work;
    TextFile main = newFile(kTextFile, "Main", clock);
    addControl(main, kMove, values(2, 37));  // slide in leftwards; out (stored + 1) at random
    addControl(main, kSpeed, values(0, 0, 5));
    addText(main, "WELCOME ", 1);
    addText(main, "TO ", 2);
    addText(main, "LUMAVOX", 3, 1);
    addControl(main, kPause, values(0, 0, 0, 2));
    addBreak(main, kLF);
    addControl(main, kDateTime, values(1, kDemoFont, 2));  // time with seconds, green
    ControlParams arrowItem = values(0, 0, 8, 8);
    arrowItem.name = "ARROW";
    addControl(main, kGraphicItem, arrowItem);
    addBreak(main, kLF);
    WindowControl split = makeWindowControl(3, work.signWidth, work.signHeight);
    split.areas[0].name = "*LEFT";
    // The first area opens on the whole sign: "OPEN" keeps to the left, where
    // the right area does not play over it.
    split.areas[0].byteE = 3;  // [H-Left,V-Center]
    split.areas[1].name = "*RIGHT";
    main.items.push_back(TextItem::window(split));
    addBreak(main, kCR);  // end-of-text marker
    work.textFiles.push_back(std::move(main));

    TextFile left = newFile(kWindowFile, "*LEFT", clock);
    addText(left, "OPEN", 2);
    addBreak(left, kCR);
    work.textFiles.push_back(std::move(left));
    TextFile right = newFile(kWindowFile, "*RIGHT", clock);
    addControl(right, kMove, values(43));
    addText(right, "9-17H", 3);
    addBreak(right, kCR);
    work.textFiles.push_back(std::move(right));

    GraphicFile arrow;
    arrow.name = "ARROW";
    arrow.width = 8;
    arrow.height = 8;
    arrow.stamp = TimeStamp::now(clock);
    arrow.pixels.assign(64, kPixelOff);
    for (int x = 0; x < 8; ++x) {
        arrow.pixel(x, 3) = arrow.pixel(x, 4) = kPixelGreen;
        int reach = x - 4;
        for (int d = 0; d <= reach; ++d)
            arrow.pixel(x, 3 - d) = arrow.pixel(x, 4 + d) = kPixelYellow;
    }
    work.graphics.push_back(std::move(arrow));

    ScheduleTask task;
    task.startYear = 2026;
    task.startMonth = 1;
    task.startDay = 1;
    task.startHour = 8;
    task.endYear = 2026;
    task.endMonth = 12;
    task.endDay = 31;
    task.endHour = 18;
    task.endMinute = 30;
    task.fileName = "Main";
    task.weekdays = 0x15;  // Monday to Friday
    task.flags = 0x81;     // enabled, normal priority
    work.tasks.push_back(task);
    work.runSequence = {"Main"};
    return work;
}

}  // namespace lumavox
