#include "content/Records.h"

#include <algorithm>

#include "content/GraphicBody.h"
#include "content/Vocabulary.h"
#include "content/WindowLayout.h"

namespace lumavox {

namespace {

void writeStamp(ByteWriter& w, const TimeStamp& t) {
    auto b = t.bytes();
    w.bytes(b.data(), b.size());
}

TimeStamp readStamp(ByteReader& r) {
    uint8_t b[6];
    r.bytes(b, 6);
    return TimeStamp::fromBytes(b);
}

void writeParams(ByteWriter& w, const ControlParams& p) {
    w.u16(p.valueA);
    w.u16(p.valueB);
    w.u16(p.valueC);
    w.u16(p.valueD);
    w.u8(p.byteE);
    w.bytes(p.name.bytes.data(), 9);
    w.u8(p.order);
    w.u8(p.flash2);
}

void readParams(ByteReader& r, const RecordContext& ctx, ControlParams& p) {
    p.valueA = r.u16();
    p.valueB = r.u16();
    p.valueC = r.u16();
    p.valueD = r.u16();
    p.byteE = r.u8();
    r.bytes(p.name.bytes.data(), 9);
    p.name.bytes[8] = 0;
    p.order = ctx.version >= 1200 ? r.u8() : 0;
    p.flash2 = ctx.version > 1200 ? r.u8() : 0;
}

}  // namespace

void writeTextItem(ByteWriter& w, const TextItem& item) {
    if (item.isChar()) {
        // The commonest record by far, so it is put together whole.
        const CharItem& c = item.ch();
        const uint8_t record[15] = {item.kind,
                                    c.font,
                                    c.colour,
                                    static_cast<uint8_t>(c.character),
                                    static_cast<uint8_t>(c.character >> 8),
                                    c.property,
                                    c.flash,
                                    static_cast<uint8_t>(c.colourWord1),
                                    static_cast<uint8_t>(c.colourWord1 >> 8),
                                    static_cast<uint8_t>(c.colourWord1 >> 16),
                                    static_cast<uint8_t>(c.colourWord1 >> 24),
                                    static_cast<uint8_t>(c.colourWord2),
                                    static_cast<uint8_t>(c.colourWord2 >> 8),
                                    static_cast<uint8_t>(c.colourWord2 >> 16),
                                    static_cast<uint8_t>(c.colourWord2 >> 24)};
        w.bytes(record, sizeof record);
        return;
    }
    w.u8(item.kind);
    if (item.isWindow()) {
        const WindowControl& wc = item.window();
        w.u8(wc.layoutType);
        w.u8(static_cast<uint8_t>(wc.areas.size()));
        for (size_t i = 0; i < wc.areas.size() && i < kMaxWindowAreas; ++i)
            writeParams(w, wc.areas[i]);
    } else {
        writeParams(w, item.params());
    }
}

bool readTextItem(ByteReader& r, const RecordContext& ctx, TextItem& item) {
    uint8_t kind = r.u8();
    if (!r.ok()) return false;
    if (kind == kCharItem) {
        CharItem c;
        c.font = r.u8();
        c.colour = r.u8();
        c.character = r.u16();
        c.property = r.u8();
        c.flash = ctx.version > 1200 ? r.u8() : 0;
        if (ctx.version >= 1202) {
            c.colourWord1 = r.u32();
            c.colourWord2 = r.u32();
        }
        int fontLimit = ctx.signHeight <= 16 ? 9 : 15;
        if (c.font > fontLimit) c.font = 1;
        if (!validColour(ctx.mode, c.colour))
            c.colour = static_cast<uint8_t>(defaultColour(ctx.mode));
        item = TextItem::character(c);
    } else if (kind == kWindowItem) {
        WindowControl wc;
        wc.layoutType = r.u8();
        // Files before 1200 did not store the count; a preset layout implies it, an
        // old user-defined window has nothing to go by.
        int count = ctx.version >= 1200
                        ? r.u8()
                        : static_cast<int>(presetLayout(wc.layoutType, 1, 1).size());
        if (count == 0 && ctx.version < 1200) return false;
        wc.areas.resize(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i) {
            readParams(r, ctx, wc.areas[static_cast<size_t>(i)]);
            if (ctx.version < 1200)
                wc.areas[static_cast<size_t>(i)].order = static_cast<uint8_t>(i);
        }
        item = TextItem::window(wc);
    } else if (isControlParamsKind(kind)) {
        ControlParams p;
        readParams(r, ctx, p);
        item = TextItem::control(kind, p);
    } else {
        return false;
    }
    return r.ok();
}

void writeTextFile(ByteWriter& w, const TextFile& file, const TimeStamp& now) {
    w.u8(file.kind);
    if (file.kind != kTextFile && file.kind != kWindowFile) return;
    w.bytes(file.name.bytes.data(), 9);
    writeStamp(w, now);
    w.i32(static_cast<int32_t>(file.items.size()));
    for (const TextItem& item : file.items) {
        writeTextItem(w, item);
        w.drain();
    }
}

bool readTextFile(ByteReader& r, const RecordContext& ctx, TextFile& file) {
    file = TextFile{};
    file.kind = r.u8();
    if (!r.ok() || (file.kind != kTextFile && file.kind != kWindowFile)) return false;
    r.bytes(file.name.bytes.data(), 9);
    file.name.bytes[8] = 0;
    file.stamp = readStamp(r);
    int32_t count = r.i32();
    // Every item takes at least six bytes, so a larger count cannot be real.
    if (!r.ok() || count < 0 || static_cast<size_t>(count) > r.remaining() / 6) return false;
    // The count is bounded by the file, but a damaged file could still claim far
    // more than it holds: room is made up front only for a plausible number.
    file.items.reserve(std::min<size_t>(static_cast<size_t>(count) + 1, size_t{1} << 20));
    for (int32_t i = 0; i < count; ++i) {
        if (!readTextItem(r, ctx, file.items.emplace_back())) return false;
    }
    // Every text ends with its end-of-text marker; a file saved without one gets it
    // back so that no real item is mistaken for the marker.
    if (file.items.empty() || !file.items.back().isCharCode(kCR)) {
        CharItem marker;
        marker.colour = static_cast<uint8_t>(defaultColour(ctx.mode));
        if (!file.items.empty() && file.items.back().isChar()) marker = file.items.back().ch();
        marker.character = kCR;
        file.items.push_back(TextItem::character(marker));
    }
    return true;
}

void writeGraphic(ByteWriter& w, const GraphicFile& g, const TimeStamp& now) {
    w.u16(g.width);
    w.u16(g.height);
    w.u8(g.kind);
    w.u8(g.reserved);
    writeStamp(w, now);
    w.bytes(g.name.bytes.data(), 9);
    w.i32(static_cast<int32_t>(g.pixels.size()));
    for (uint32_t p : g.pixels)
        w.u32(p);
}

bool readGraphic(ByteReader& r, const RecordContext& ctx, GraphicFile& g) {
    g = GraphicFile{};
    g.width = r.u16();
    g.height = r.u16();
    g.kind = r.u8();
    g.reserved = r.u8();
    g.stamp = readStamp(r);
    r.bytes(g.name.bytes.data(), 9);
    g.name.bytes[8] = 0;
    if (!r.ok()) return false;
    size_t n = static_cast<size_t>(g.width) * g.height;
    if (ctx.version > 1201) {
        int32_t count = r.i32();
        if (!r.ok() || count < 0 || static_cast<size_t>(count) != n || n > r.remaining() / 4)
            return false;
        g.pixels.resize(n);
        for (auto& p : g.pixels)
            p = r.u32();
    } else {
        size_t packed = packedSize(g.width, g.height);
        if (!r.require(packed)) return false;
        std::vector<uint8_t> bytes(packed);
        r.bytes(bytes.data(), packed);
        unpackPixels(bytes, g.width, g.height, g.pixels);
    }
    return r.ok();
}

}  // namespace lumavox
