#include "cli/Dump.h"

#include <cstdio>

#include "cli/Json.h"
#include "content/Vocabulary.h"
#include "content/WindowLayout.h"

namespace lumavox {

namespace {

std::string stampText(const TimeStamp& t) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", 2000 + t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return buf;
}

std::string_view itemTypeName(uint8_t kind) {
    switch (kind) {
        case kCharItem:
            return "char";
        case kTempCounter:
            return "temperature-counter";
        case kMove:
            return "move";
        case kSpeed:
            return "speed";
        case kPause:
            return "pause";
        case kDateTime:
            return "date-time";
        case kBeep:
            return "beep";
        case kGraphicItem:
            return "graphic";
        case kWindowItem:
            return "window";
        case kRowPitch:
            return "row-pitch";
        case kInclude:
            return "include";
        default:
            return "unknown";
    }
}

void writeChar(JsonWriter& j, const CharItem& c, SignMode mode) {
    j.field("font", c.font).field("colour", c.colour);
    j.field("colourName", colourName(mode, c.colour));
    j.field("character", c.character);
    if (c.character == kCR)
        j.field("text", "\\r");
    else if (c.character == kLF)
        j.field("text", "\\n");
    else
        j.field("text", std::string(1, static_cast<char>(c.character)));
    j.field("property", c.property).field("flash", c.flash);
    j.field("colourWord1", int64_t{c.colourWord1}).field("colourWord2", int64_t{c.colourWord2});
}

void writeParams(JsonWriter& j, uint8_t kind, const ControlParams& p) {
    j.field("valueA", p.valueA).field("valueB", p.valueB).field("valueC", p.valueC);
    j.field("valueD", p.valueD).field("byteE", p.byteE);
    if (kind == kTempCounter && isCounterFormat(p.valueA))
        j.field("counterStamp", stampText(TimeStamp::fromBytes(p.name.bytes.data())));
    else
        j.field("name", p.name.str());
    j.field("order", p.order).field("flash2", p.flash2);
}

void writeWindow(JsonWriter& j, const WindowControl& w) {
    j.field("layoutType", w.layoutType);
    j.key("areas").beginArray();
    for (const WindowArea& a : w.areas) {
        j.beginObject();
        j.field("x", a.valueA)
            .field("y", a.valueB)
            .field("width", a.valueC)
            .field("height", a.valueD);
        j.field("alignment", a.byteE).field("alignmentName", alignmentName(a.byteE));
        j.field("calledFile", a.name.str()).field("order", a.order);
        j.endObject();
    }
    j.endArray();
}

void writeItem(JsonWriter& j, const TextItem& item, SignMode mode) {
    j.beginObject();
    j.field("kind", item.kind).field("type", itemTypeName(item.kind));
    if (item.isChar()) {
        writeChar(j, item.ch(), mode);
    } else if (item.isWindow()) {
        writeWindow(j, item.window());
    } else {
        writeParams(j, item.kind, item.params());
        std::string label = itemLabel(item, mode);
        if (item.kind == kDateTime) label = std::string(dateTimeFormatName(item.params().valueA));
        if (item.kind == kTempCounter)
            label = std::string(tempCounterFormatName(item.params().valueA));
        if (!label.empty()) j.field("label", label);
    }
    j.endObject();
}

char pixelLetter(uint32_t v) {
    switch (v) {
        case kPixelOff:
            return '.';
        case kPixelRed:
            return 'R';
        case kPixelGreen:
            return 'G';
        case kPixelYellow:
            return 'Y';
        default:
            return '#';
    }
}

void writeGraphic(JsonWriter& j, const GraphicFile& g) {
    j.beginObject();
    j.field("name", g.name.str()).field("stamp", stampText(g.stamp));
    j.field("width", g.width).field("height", g.height).field("kind", g.kind);
    // One string per row, left to right: '.' off, R red, G green, Y yellow, '#' any
    // other value (listed under otherPixels).
    j.key("rows").beginArray();
    bool complete = g.pixels.size() == static_cast<size_t>(g.width) * g.height;
    for (int y = 0; complete && y < g.height; ++y) {
        std::string row;
        for (int x = 0; x < g.width; ++x)
            row += pixelLetter(g.pixel(x, y));
        j.value(row);
    }
    j.endArray();
    j.key("otherPixels").beginArray();
    for (int x = 0; complete && x < g.width; ++x)
        for (int y = 0; y < g.height; ++y)
            if (pixelLetter(g.pixel(x, y)) == '#')
                j.beginObject()
                    .field("x", x)
                    .field("y", y)
                    .field("value", int64_t{g.pixel(x, y)})
                    .endObject();
    j.endArray();
    j.endObject();
}

void writeTask(JsonWriter& j, const ScheduleTask& t) {
    char buf[40];
    j.beginObject();
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d", t.startYear, t.startMonth,
                  t.startDay, t.startHour, t.startMinute);
    j.field("start", std::string(buf));
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d", t.endYear, t.endMonth, t.endDay,
                  t.endHour, t.endMinute);
    j.field("end", std::string(buf));
    j.field("file", t.fileName.str());
    j.field("firstWeekday", t.weekdays >> 4).field("lastWeekday", t.weekdays & 0x0F);
    j.field("enabled", (t.flags & 0x80) != 0).field("priority", t.flags & 0x03);
    j.field("flags", t.flags).field("weekdays", t.weekdays);
    j.endObject();
}

}  // namespace

void dumpWorkAreaJson(const WorkArea& work, SignMode mode, int32_t version,
                      const std::vector<std::string>& warnings, std::ostream& out) {
    JsonWriter j(out);
    j.beginObject();
    j.field("version", version);
    j.field("family", mode == SignMode::NVS ? "NVS" : "KV2");
    j.key("warnings").beginArray();
    for (auto& w : warnings)
        j.value(w);
    j.endArray();
    j.field("signWidth", work.signWidth).field("signHeight", work.signHeight);
    j.field("colourType", work.colourType);
    j.field("colourTypeName", work.colourType == 1 ? "Single Colour" : "Tri-Colour");
    j.key("runSequence").beginArray();
    for (auto& name : work.runSequence)
        j.value(name);
    j.endArray();
    j.key("textFiles").beginArray();
    for (const TextFile& f : work.textFiles) {
        j.beginObject();
        j.field("kind", f.kind).field("kindName", f.kind == kWindowFile ? "window" : "text");
        j.field("name", f.name.str()).field("stamp", stampText(f.stamp));
        j.key("items").beginArray();
        for (const TextItem& item : f.items)
            writeItem(j, item, mode);
        j.endArray();
        j.endObject();
    }
    j.endArray();
    j.key("graphics").beginArray();
    for (const GraphicFile& g : work.graphics)
        writeGraphic(j, g);
    j.endArray();
    j.key("tasks").beginArray();
    for (const ScheduleTask& t : work.tasks)
        writeTask(j, t);
    j.endArray();
    j.endObject();
    j.finish();
}

}  // namespace lumavox
