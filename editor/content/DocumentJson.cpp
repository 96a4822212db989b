#include "content/DocumentJson.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <set>

#include "content/EditRules.h"
#include "content/GraphicRules.h"
#include "content/Json.h"
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

std::string hexBytes(const uint8_t* b, size_t n) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string s;
    for (size_t i = 0; i < n; ++i) {
        s += kDigits[b[i] >> 4];
        s += kDigits[b[i] & 15];
    }
    return s;
}

// A name as text; when its nine stored bytes are not what that text gives
// (bytes after the terminator, a ninth byte set), also the bytes themselves
// under key + "Bytes", so that nothing is lost.
void writeName(JsonWriter& j, const std::string& key, const Name9& name) {
    j.field(key, name.str());
    if (Name9(name.str()) != name) j.field(key + "Bytes", hexBytes(name.bytes.data(), 9));
}

bool validStamp(const TimeStamp& t) {
    return t.month >= 1 && t.month <= 12 && t.day >= 1 && t.day <= 31 && t.hour < 24 &&
           t.minute < 60 && t.second < 60 && t.year <= 99;
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

// The label printed for a control item: the names of the tables for dates,
// temperatures and counters, the edit view's label for the others.
std::string jsonLabel(const TextItem& item, SignMode mode) {
    if (item.kind == kDateTime) return std::string(dateTimeFormatName(item.params().valueA));
    if (item.kind == kTempCounter) return std::string(tempCounterFormatName(item.params().valueA));
    return itemLabel(item, mode);
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
    if (kind == kTempCounter && isCounterFormat(p.valueA)) {
        TimeStamp stamp = TimeStamp::fromBytes(p.name.bytes.data());
        j.field("counterStamp", stampText(stamp));
        Name9 plain;
        std::copy_n(p.name.bytes.begin(), 6, plain.bytes.begin());
        if (plain != p.name || !validStamp(stamp))
            j.field("nameBytes", hexBytes(p.name.bytes.data(), 9));
    } else {
        writeName(j, "name", p.name);
    }
    j.field("order", p.order).field("flash2", p.flash2);
    // The values by their meaning, counted as the editor shows them.
    if (kind == kSpeed) j.field("speed", p.valueC + 1);
    if (kind == kPause) j.field("pause", p.valueD);
    if (kind == kBeep) j.field("beep", p.valueA + 1);
    if (kind == kRowPitch) j.field("rowPitch", p.valueA);
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
        writeName(j, "calledFile", a.name);
        j.field("order", a.order);
        if (a.flash2 != 0) j.field("flash2", a.flash2);
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
        std::string label = jsonLabel(item, mode);
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
    writeName(j, "name", g.name);
    j.field("stamp", stampText(g.stamp));
    j.field("width", g.width).field("height", g.height).field("kind", g.kind);
    j.field("reserved", g.reserved);
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
    writeName(j, "file", t.fileName);
    j.field("firstWeekday", t.weekdays >> 4).field("lastWeekday", t.weekdays & 0x0F);
    j.field("enabled", (t.flags & 0x80) != 0).field("priority", t.flags & 0x03);
    j.field("flags", t.flags).field("weekdays", t.weekdays);
    j.endObject();
}

}  // namespace

void dumpWorkAreaJson(const WorkArea& work, SignMode mode, int32_t version,
                      const std::vector<std::string>& warnings, std::ostream& out,
                      std::optional<SignMode> documentMode) {
    JsonWriter j(out);
    j.beginObject();
    j.field("version", version);
    j.field("family", mode == SignMode::NVS ? "NVS" : "KV2");
    if (documentMode) j.field("documentFamily", *documentMode == SignMode::NVS ? "NVS" : "KV2");
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
        writeName(j, "name", f.name);
        j.field("stamp", stampText(f.stamp));
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

// ---- Reading ----------------------------------------------------------------

namespace {

using Type = JsonValue::Type;

// Reads the work area field by field; the first problem stops the read with
// its JSON path and reason.
class WorkAreaReader {
  public:
    WorkAreaReader(SignMode mode, const TextPainterFactory* painters)
        : mode_(mode), painters_(painters) {}

    bool read(const JsonValue& root, WorkAreaFromJson& out);
    const std::string& error() const { return error_; }

  private:
    // ---- Generic checks ----
    bool fail(const std::string& path, const std::string& reason) {
        error_ = path + ": " + reason;
        return false;
    }
    bool keys(const JsonValue& v, const std::string& path,
              std::initializer_list<std::string_view> allowed) {
        if (!v.isObject()) return fail(path, "must be an object");
        for (const auto& [k, member] : v.members)
            if (std::find(allowed.begin(), allowed.end(), k) == allowed.end())
                return fail(path + "." + k, "unknown key");
        return true;
    }
    // Strings other than a character item's text hold single bytes only.
    bool typed(const JsonValue* v, const std::string& path, Type type) {
        if (v->type == type && !v->wide.empty())
            return fail(path, "characters above U+00FF cannot be held in single-byte text");
        if (v->type == type) return true;
        return fail(path, std::string("must be ") + std::string(jsonTypeName(type)));
    }
    // A whole number lo..hi into `out`; absent leaves `out` alone.
    template <typename T>
    bool number(const JsonValue& parent, const std::string& path, std::string_view key, int64_t lo,
                int64_t hi, T& out, bool* given = nullptr) {
        const JsonValue* v = parent.find(key);
        if (given) *given = v != nullptr;
        if (!v) return true;
        std::string at = path + "." + std::string(key);
        if (!typed(v, at, Type::Number)) return false;
        if (v->number < lo || v->number > hi)
            return fail(at, "must be " + std::to_string(lo) + ".." + std::to_string(hi));
        out = static_cast<T>(v->number);
        return true;
    }
    bool string(const JsonValue& parent, const std::string& path, std::string_view key,
                std::string& out, bool* given = nullptr) {
        const JsonValue* v = parent.find(key);
        if (given) *given = v != nullptr;
        if (!v) return true;
        if (!typed(v, path + "." + std::string(key), Type::String)) return false;
        out = v->text;
        return true;
    }
    bool boolean(const JsonValue& parent, const std::string& path, std::string_view key, bool& out,
                 bool* given = nullptr) {
        const JsonValue* v = parent.find(key);
        if (given) *given = v != nullptr;
        if (!v) return true;
        if (!typed(v, path + "." + std::string(key), Type::Bool)) return false;
        out = v->boolean;
        return true;
    }
    const JsonValue* array(const JsonValue& parent, const std::string& path, std::string_view key,
                           size_t maxCount, bool& ok) {
        ok = true;
        const JsonValue* v = parent.find(key);
        if (!v) return nullptr;
        std::string at = path + "." + std::string(key);
        if (!typed(v, at, Type::Array)) {
            ok = false;
            return nullptr;
        }
        if (v->elements.size() > maxCount) {
            ok = fail(at, "holds more than " + std::to_string(maxCount) + " entries");
            return nullptr;
        }
        return v;
    }
    // A derived text printed beside a value: when given it must be what the
    // value gives.
    bool agrees(const JsonValue& parent, const std::string& path, std::string_view key,
                std::string_view expected) {
        std::string given;
        bool present = false;
        if (!string(parent, path, key, given, &present)) return false;
        if (present && given != expected)
            return fail(path + "." + std::string(key),
                        "does not match the values (they give \"" + std::string(expected) + "\")");
        return true;
    }
    // A name of up to 8 characters; `key` + "Bytes" gives all nine stored
    // bytes instead (as the writer prints them).
    bool name(const JsonValue& parent, const std::string& path, std::string_view key, Name9& out,
              bool required) {
        std::string text;
        bool present = false;
        if (!string(parent, path, key, text, &present)) return false;
        std::string at = path + "." + std::string(key);
        if (!present && required) return fail(at, "is missing");
        if (text.size() > kMaxFileNameLength) return fail(at, "must be at most 8 characters");
        if (text.find('\0') != std::string::npos) return fail(at, "must not hold a NUL character");
        out = Name9(text);
        std::string bytesKey = std::string(key) + "Bytes";
        std::string hex;
        bool raw = false;
        if (!string(parent, path, bytesKey, hex, &raw)) return false;
        if (raw) {
            Name9 bytes;
            if (!hexName(hex, bytes)) return fail(path + "." + bytesKey, "must be 18 hex digits");
            if (present && bytes.str() != text)
                return fail(path + "." + bytesKey, "does not match " + std::string(key));
            out = bytes;
        }
        return true;
    }
    static bool hexName(const std::string& hex, Name9& out) {
        if (hex.size() != 18) return false;
        auto digit = [](char c) {
            return c >= '0' && c <= '9'   ? c - '0'
                   : c >= 'a' && c <= 'f' ? c - 'a' + 10
                   : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                          : -1;
        };
        for (size_t i = 0; i < 9; ++i) {
            int hi = digit(hex[2 * i]), lo = digit(hex[2 * i + 1]);
            if (hi < 0 || lo < 0) return false;
            out.bytes[i] = static_cast<uint8_t>(hi * 16 + lo);
        }
        return true;
    }
    // "YYYY-MM-DD HH:MM:SS" with its fields in range. A file's stamp may be
    // all zeros (files stamped before the clock was set); a counter's date not.
    bool stamp(const std::string& text, const std::string& at, TimeStamp& out,
               bool zeroDate = false) {
        int y, mo, d, h, mi, se;
        char tail;
        if (std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &y, &mo, &d, &h, &mi, &se,
                        &tail) != 6)
            return fail(at, "must read YYYY-MM-DD HH:MM:SS");
        const int first = zeroDate ? 0 : 1;
        if (y < 2000 || y > 2099 || mo < first || mo > 12 || d < first || d > 31 || h > 23 ||
            mi > 59 || se > 59 || h < 0 || mi < 0 || se < 0)
            return fail(at, "is no date and time of the years 2000 to 2099");
        CalendarTime t;
        t.year = y;
        t.month = mo;
        t.day = d;
        t.hour = h;
        t.minute = mi;
        t.second = se;
        out = TimeStamp::from(t);
        return true;
    }
    // A file's stamp: remembered as the latest save time.
    bool fileStamp(const JsonValue& v, const std::string& path, TimeStamp& out) {
        std::string text;
        bool present = false;
        if (!string(v, path, "stamp", text, &present)) return false;
        if (!present) return true;
        if (!stamp(text, path + ".stamp", out, true)) return false;
        CalendarTime t;
        t.year = 2000 + out.year;
        t.month = out.month;
        t.day = out.day;
        t.hour = out.hour;
        t.minute = out.minute;
        t.second = out.second;
        auto key = [](const CalendarTime& c) {
            return std::make_tuple(c.year, c.month, c.day, c.hour, c.minute, c.second);
        };
        if (!savedAt_ || key(t) > key(*savedAt_)) savedAt_ = t;
        return true;
    }

    // ---- The parts of a work area ----
    bool textFile(const JsonValue& v, const std::string& path, TextFile& f);
    bool item(const JsonValue& v, const std::string& path, TextItem& item);
    bool character(const JsonValue& v, const std::string& path, std::vector<TextItem>& items);
    bool control(const JsonValue& v, const std::string& path, uint8_t kind, TextItem& item);
    bool attributes(const JsonValue& v, const std::string& path, ControlParams& p);
    bool window(const JsonValue& v, const std::string& path, TextItem& item);
    bool graphic(const JsonValue& v, const std::string& path, GraphicFile& g);
    bool task(const JsonValue& v, const std::string& path, ScheduleTask& t);
    bool dateTime(const JsonValue& v, const std::string& path, std::string_view key, uint16_t& year,
                  uint8_t& month, uint8_t& day, uint8_t& hour, uint8_t& minute);

    int fontLimit() const { return work_.signHeight <= 16 ? 9 : 15; }
    bool family(const JsonValue& root, std::string_view key, SignMode& out) {
        std::string text;
        bool present = false;
        if (!string(root, "$", key, text, &present)) return false;
        if (!present) return true;
        if (text == "KV2" || text == "kv2") {
            out = SignMode::KV2;
        } else if (text == "NVS" || text == "nvs") {
            out = SignMode::NVS;
        } else {
            return fail("$." + std::string(key), "must be \"KV2\" or \"NVS\"");
        }
        return true;
    }

    bool drawPending(std::vector<ConvertedText>& converted);

    SignMode mode_;
    const TextPainterFactory* painters_;
    WorkArea work_;
    std::optional<CalendarTime> savedAt_;
    std::string error_;
    // Runs of text the sign lacks, in the order read; each stands as a graphic
    // item whose label holds its place in this list until drawPending.
    struct Pending {
        std::u32string text;
        CharItem attributes;
        std::string path;
    };
    std::vector<Pending> pending_;
};

bool WorkAreaReader::read(const JsonValue& root, WorkAreaFromJson& out) {
    if (!keys(root, "$",
              {"version", "family", "documentFamily", "warnings", "signWidth", "signHeight",
               "colourType", "colourTypeName", "runSequence", "textFiles", "graphics", "tasks"}))
        return false;
    int32_t version = 0;
    if (!number(root, "$", "version", 0, 1202, version)) return false;
    if (!family(root, "family", mode_)) return false;
    SignMode documentMode = mode_;
    if (!family(root, "documentFamily", documentMode)) return false;
    bool ok = true;
    if (const JsonValue* w = array(root, "$", "warnings", SIZE_MAX, ok)) {
        for (size_t i = 0; i < w->elements.size(); ++i)
            if (!typed(&w->elements[i], "$.warnings[" + std::to_string(i) + "]", Type::String))
                return false;
    }
    if (!ok) return false;
    // The sign size comes first: the checks of everything else depend on it.
    if (!number(root, "$", "signWidth", 1, 0xFFFF, work_.signWidth) ||
        !number(root, "$", "signHeight", 1, 0xFFFF, work_.signHeight) ||
        !number(root, "$", "colourType", 0, 1, work_.colourType))
        return false;
    if (root.find("colourType")) {
        if (!agrees(root, "$", "colourTypeName",
                    work_.colourType == 1 ? "Single Colour" : "Tri-Colour"))
            return false;
    } else {
        std::string name;
        if (!string(root, "$", "colourTypeName", name)) return false;
        if (name == "Single Colour")
            work_.colourType = 1;
        else if (!name.empty() && name != "Tri-Colour")
            return fail("$.colourTypeName", "must be \"Single Colour\" or \"Tri-Colour\"");
    }
    if (const JsonValue* runs = array(root, "$", "runSequence", SIZE_MAX, ok)) {
        for (size_t i = 0; i < runs->elements.size(); ++i) {
            if (!typed(&runs->elements[i], "$.runSequence[" + std::to_string(i) + "]",
                       Type::String))
                return false;
            work_.runSequence.push_back(runs->elements[i].text);
        }
    }
    if (!ok) return false;

    const JsonValue* files = array(root, "$", "textFiles", SIZE_MAX, ok);
    if (!ok) return false;
    if (!files || files->elements.empty())
        return fail("$.textFiles", "must hold at least one text file");
    for (size_t i = 0; i < files->elements.size(); ++i) {
        std::string at = "$.textFiles[" + std::to_string(i) + "]";
        TextFile f;
        if (!textFile(files->elements[i], at, f)) return false;
        if (f.kind == kTextFile && work_.textFileCount() >= kMaxTextFiles)
            return fail(at, "a work area holds at most 255 text files");
        if (std::string refusal = checkTextFileName(work_, f.name.str()); !refusal.empty())
            return fail(at + ".name", refusal);
        work_.textFiles.push_back(std::move(f));
    }
    if (work_.textFileCount() == 0) return fail("$.textFiles", "must hold at least one text file");
    // Calls must not come back to the file that makes them.
    for (size_t i = 0; i < work_.textFiles.size(); ++i) {
        const std::string me = work_.textFiles[i].name.str();
        if (callsFile(work_, me, me))
            return fail("$.textFiles[" + std::to_string(i) + "]",
                        "calls itself through its includes or windows");
    }

    if (const JsonValue* graphics = array(root, "$", "graphics", kMaxGraphics, ok)) {
        for (size_t i = 0; i < graphics->elements.size(); ++i) {
            GraphicFile g;
            std::string at = "$.graphics[" + std::to_string(i) + "]";
            if (!graphic(graphics->elements[i], at, g)) return false;
            if (work_.findGraphic(g.name.str()))
                return fail(at + ".name", "another graphic has this name");
            work_.graphics.push_back(std::move(g));
        }
    }
    if (!ok) return false;
    if (const JsonValue* tasks = array(root, "$", "tasks", kMaxScheduleTasks, ok)) {
        for (size_t i = 0; i < tasks->elements.size(); ++i) {
            ScheduleTask t;
            if (!task(tasks->elements[i], "$.tasks[" + std::to_string(i) + "]", t)) return false;
            work_.tasks.push_back(t);
        }
    }
    if (!ok) return false;
    if (!drawPending(out.converted)) return false;
    out.work = std::move(work_);
    out.mode = mode_;
    out.documentMode = documentMode;
    out.savedAt = savedAt_;
    return true;
}

bool WorkAreaReader::textFile(const JsonValue& v, const std::string& path, TextFile& f) {
    if (!keys(v, path, {"kind", "kindName", "name", "nameBytes", "stamp", "items"})) return false;
    bool kindGiven = false;
    if (!number(v, path, "kind", 0, 255, f.kind, &kindGiven)) return false;
    if (kindGiven && f.kind != kTextFile && f.kind != kWindowFile)
        return fail(path + ".kind", "must be 0 (text) or 20 (window)");
    if (kindGiven) {
        if (!agrees(v, path, "kindName", f.kind == kWindowFile ? "window" : "text")) return false;
    } else {
        std::string kindName;
        if (!string(v, path, "kindName", kindName)) return false;
        if (kindName == "window")
            f.kind = kWindowFile;
        else if (!kindName.empty() && kindName != "text")
            return fail(path + ".kindName", "must be \"text\" or \"window\"");
    }
    if (!name(v, path, "name", f.name, true)) return false;
    if (!fileStamp(v, path, f.stamp)) return false;
    bool ok = true;
    const JsonValue* items = array(v, path, "items", SIZE_MAX, ok);
    if (!ok) return false;
    if (items) {
        for (size_t i = 0; i < items->elements.size(); ++i) {
            std::string at = path + ".items[" + std::to_string(i) + "]";
            const JsonValue& e = items->elements[i];
            if (!e.isObject()) return fail(at, "must be an object");
            const JsonValue* type = e.find("type");
            bool isChar = e.find("kind")
                              ? (e.find("kind")->isNumber() && e.find("kind")->number == kCharItem)
                              : (type && type->isString() && type->text == "char");
            if (isChar) {
                if (!character(e, at, f.items)) return false;
                continue;
            }
            TextItem made;
            if (!item(e, at, made)) return false;
            f.items.push_back(std::move(made));
        }
    }
    // The end-of-text marker, as the last character's attributes give it.
    if (f.items.empty() || !f.items.back().isCharCode(kCR)) {
        CharItem marker;
        marker.font = 1;
        marker.colour = work_.colourType == 1 ? 1 : defaultColour(mode_);
        for (auto it = f.items.rbegin(); it != f.items.rend(); ++it)
            if (it->isChar()) {
                marker = it->ch();
                break;
            }
        marker.character = kCR;
        f.items.push_back(TextItem::character(marker));
    }
    return true;
}

bool WorkAreaReader::character(const JsonValue& v, const std::string& path,
                               std::vector<TextItem>& items) {
    if (!keys(v, path,
              {"kind", "type", "font", "colour", "colourName", "character", "text", "property",
               "flash", "colourWord1", "colourWord2"}))
        return false;
    if (!agrees(v, path, "type", "char")) return false;
    CharItem c;
    c.font = 1;
    c.colour = work_.colourType == 1 ? 1 : defaultColour(mode_);
    if (!number(v, path, "font", 0, fontLimit(), c.font)) return false;
    bool colourGiven = false;
    if (!number(v, path, "colour", 0, colourCount(mode_) - 1, c.colour, &colourGiven)) return false;
    if (colourGiven) {
        if (!agrees(v, path, "colourName", colourName(mode_, c.colour))) return false;
    } else if (const JsonValue* cn = v.find("colourName")) {
        if (!typed(cn, path + ".colourName", Type::String)) return false;
        auto names = colourNames(mode_);
        auto found = std::find(names.begin(), names.end(), cn->text);
        if (found == names.end())
            return fail(path + ".colourName",
                        "is no colour of the " +
                            std::string(mode_ == SignMode::NVS ? "NVS" : "KV2") + " family");
        c.colour = static_cast<uint8_t>(found - names.begin());
    }
    if (!number(v, path, "property", 0, 2, c.property) ||
        !number(v, path, "flash", 0, 1, c.flash) ||
        !number(v, path, "colourWord1", 0, 0xFFFFFFFF, c.colourWord1) ||
        !number(v, path, "colourWord2", 0, 0xFFFFFFFF, c.colourWord2))
        return false;
    bool characterGiven = false;
    if (!number(v, path, "character", 0, 0xFFFF, c.character, &characterGiven)) return false;
    std::string text;
    bool textGiven = false;
    // The one string that may hold any character.
    const JsonValue* given = v.find("text");
    if (given) {
        if (!given->isString())
            return fail(path + ".text",
                        std::string("must be ") + std::string(jsonTypeName(Type::String)));
        text = given->text;
        textGiven = true;
    }
    // The writer prints a line break as the two characters \r or \n.
    auto breakCode = [](const std::string& t) -> int {
        if (t == "\\r" || t == "\r") return kCR;
        if (t == "\\n" || t == "\n") return kLF;
        return -1;
    };
    if (characterGiven) {
        std::string expected = c.character == kCR ? "\\r"
                               : c.character == kLF
                                   ? "\\n"
                                   : std::string(1, static_cast<char>(c.character));
        if (textGiven && (text != expected || !given->wide.empty()) &&
            breakCode(text) != c.character)
            return fail(path + ".text", "does not match character " + std::to_string(c.character));
        items.push_back(TextItem::character(c));
        return true;
    }
    if (!textGiven || text.empty()) return fail(path, "needs \"character\" or \"text\"");
    if (int code = breakCode(text); code >= 0) {
        c.character = static_cast<uint16_t>(code);
        items.push_back(TextItem::character(c));
        return true;
    }
    // Several characters with the same attributes; a typed tab is a space.
    // What the sign's characters lack waits, as a graphic item, to be drawn.
    std::u32string characters = given->wide;
    if (characters.empty())
        for (char ch : text)
            characters.push_back(static_cast<unsigned char>(ch));
    auto codeOf = [](char32_t ch) {
        if (ch >= 0x80 && ch < 0xA0) return static_cast<int>(ch);
        return signCodeOfCharacter(ch);
    };
    for (const TextPiece& piece : splitForSign(characters, codeOf)) {
        if (!piece.lacking) {
            for (uint16_t code : piece.codes) {
                c.character = code;
                items.push_back(TextItem::character(c));
            }
            continue;
        }
        if (!painters_ || !*painters_) {
            char at[16];
            std::snprintf(at, sizeof at, "U+%04X", static_cast<unsigned>(piece.text[0]));
            return fail(path + ".text", std::string(at) + " is no character of the sign's fonts");
        }
        ControlParams p;
        p.flash2 = c.flash;
        p.text = std::to_string(pending_.size());
        items.push_back(TextItem::control(kGraphicItem, p));
        pending_.push_back({piece.text, c, path + ".text"});
    }
    return true;
}

bool WorkAreaReader::drawPending(std::vector<ConvertedText>& converted) {
    if (pending_.empty()) return true;
    std::unique_ptr<TextPainter> painter = (*painters_)(work_.signHeight, mode_);
    if (!painter) return fail(pending_.front().path, "no painter draws text as a graphic");
    // Stamped like the files given, so that the same text gives the same document.
    std::optional<FixedClock> givenTime;
    if (savedAt_) givenTime.emplace(*savedAt_);
    const Clock& clock =
        givenTime ? static_cast<const Clock&>(*givenTime) : SystemClock::instance();
    for (const Pending& run : pending_) {
        ConvertedText one;
        std::string refusal;
        if (!addTextGraphic(work_, run.text, run.attributes, *painter, clock, one, refusal))
            return fail(run.path, refusal);
        converted.push_back(std::move(one));
    }
    // The graphic items take the names and sizes of their graphics.
    const size_t first = work_.graphics.size() - pending_.size();
    for (TextFile& f : work_.textFiles)
        for (TextItem& item : f.items) {
            if (item.kind != kGraphicItem || item.params().text.empty()) continue;
            const GraphicFile& g = work_.graphics[first + std::stoul(item.params().text)];
            item = makeGraphicItem(g, item.params().flash2);
        }
    return true;
}

bool WorkAreaReader::item(const JsonValue& v, const std::string& path, TextItem& made) {
    int kind = -1;
    bool kindGiven = false;
    if (!number(v, path, "kind", 0, 255, kind, &kindGiven)) return false;
    std::string type;
    bool typeGiven = false;
    if (!string(v, path, "type", type, &typeGiven)) return false;
    static constexpr uint8_t kKinds[] = {kTempCounter, kMove,   kSpeed,       kPause,
                                         kDateTime,    kBeep,   kGraphicItem, kWindowItem,
                                         kRowPitch,    kInclude};
    if (kindGiven) {
        if (std::find(std::begin(kKinds), std::end(kKinds), kind) == std::end(kKinds))
            return fail(path + ".kind", "is no item kind");
        if (typeGiven && type != itemTypeName(static_cast<uint8_t>(kind)))
            return fail(path + ".type", "does not match the values (they give \"" +
                                            std::string(itemTypeName(static_cast<uint8_t>(kind))) +
                                            "\")");
    } else if (typeGiven) {
        for (uint8_t k : kKinds)
            if (type == itemTypeName(k)) kind = k;
        if (kind < 0) return fail(path + ".type", "is no item type");
    } else {
        return fail(path, "needs \"kind\" or \"type\"");
    }
    if (kind == kWindowItem) return window(v, path, made);
    return control(v, path, static_cast<uint8_t>(kind), made);
}

// Font, colour, property and flash of a temperature, counter or date item.
bool WorkAreaReader::attributes(const JsonValue& v, const std::string& path, ControlParams& p) {
    if (p.valueB > fontLimit())
        return fail(path + ".valueB", "font must be 0.." + std::to_string(fontLimit()));
    if (!validColour(mode_, p.valueC))
        return fail(path + ".valueC",
                    "colour must be 0.." + std::to_string(colourCount(mode_) - 1));
    if (p.valueD > 2) return fail(path + ".valueD", "property must be 0..2");
    if (p.byteE > 1) return fail(path + ".byteE", "flash must be 0..1");
    (void)v;
    return true;
}

bool WorkAreaReader::control(const JsonValue& v, const std::string& path, uint8_t kind,
                             TextItem& made) {
    if (!keys(v, path,
              {"kind", "type", "valueA", "valueB", "valueC", "valueD", "byteE", "name", "nameBytes",
               "counterStamp", "order", "flash2", "label", "speed", "pause", "beep", "rowPitch"}))
        return false;
    ControlParams p;
    if (kind == kTempCounter || kind == kDateTime) {
        p.valueB = 1;
        p.valueC = work_.colourType == 1 ? 1 : defaultColour(mode_);
    }
    if (!number(v, path, "valueA", 0, 0xFFFF, p.valueA) ||
        !number(v, path, "valueB", 0, 0xFFFF, p.valueB) ||
        !number(v, path, "valueC", 0, 0xFFFF, p.valueC) ||
        !number(v, path, "valueD", 0, 0xFFFF, p.valueD) ||
        !number(v, path, "byteE", 0, 255, p.byteE) || !number(v, path, "order", 0, 255, p.order) ||
        !number(v, path, "flash2", 0, 255, p.flash2))
        return false;
    // The values by their meaning stand in for the numbers they are kept in.
    struct Friendly {
        uint8_t kind;
        std::string_view key;
        uint16_t ControlParams::*field;
        int offset, lo, hi;
    };
    const Friendly friendly[] = {
        {kSpeed, "speed", &ControlParams::valueC, 1, 1, 8},
        {kPause, "pause", &ControlParams::valueD, 0, 0, 7},
        {kBeep, "beep", &ControlParams::valueA, 1, 1, 3},
        {kRowPitch, "rowPitch", &ControlParams::valueA, 0, 0,
         rowPitchCount(mode_, work_.signHeight) - 1},
    };
    for (const Friendly& f : friendly) {
        if (!v.find(f.key)) continue;
        std::string at = path + "." + std::string(f.key);
        if (f.kind != kind) return fail(at, "belongs to another item type");
        int value = 0;
        if (!number(v, path, f.key, f.lo, f.hi, value)) return false;
        uint16_t stored = static_cast<uint16_t>(value - f.offset);
        const char* field = f.field == &ControlParams::valueA   ? "valueA"
                            : f.field == &ControlParams::valueC ? "valueC"
                                                                : "valueD";
        if (v.find(field) && p.*f.field != stored)
            return fail(at, std::string("does not match ") + field);
        p.*f.field = stored;
    }

    bool counter = kind == kTempCounter && isCounterFormat(p.valueA);
    if (counter) {
        if (v.find("name")) return fail(path + ".name", "a counter keeps its date in counterStamp");
        std::string text;
        bool stampGiven = false;
        if (!string(v, path, "counterStamp", text, &stampGiven)) return false;
        std::string hex;
        bool rawGiven = false;
        if (!string(v, path, "nameBytes", hex, &rawGiven)) return false;
        if (rawGiven) {
            if (!hexName(hex, p.name)) return fail(path + ".nameBytes", "must be 18 hex digits");
            if (stampGiven && text != stampText(TimeStamp::fromBytes(p.name.bytes.data())))
                return fail(path + ".counterStamp", "does not match nameBytes");
        } else {
            if (!stampGiven) return fail(path + ".counterStamp", "is missing");
            TimeStamp t;
            if (!stamp(text, path + ".counterStamp", t)) return false;
            auto b = t.bytes();
            std::copy(b.begin(), b.end(), p.name.bytes.begin());
        }
    } else {
        if (v.find("counterStamp"))
            return fail(path + ".counterStamp", "belongs to a counter only");
        if (!name(v, path, "name", p.name, false)) return false;
    }

    switch (kind) {
        case kTempCounter:
            if (!validTempCounterFormat(p.valueA))
                return fail(path + ".valueA", "is no temperature or counter format");
            if (!attributes(v, path, p)) return false;
            break;
        case kDateTime: {
            auto formats = dateTimeFormats();
            if (std::none_of(formats.begin(), formats.end(),
                             [&](const NamedFormat& f) { return f.code == p.valueA; }))
                return fail(path + ".valueA", "is no date or time format");
            if (!attributes(v, path, p)) return false;
            break;
        }
        case kMove: {
            int methods = static_cast<int>(moveMethodNames(mode_).size());
            if (p.valueA >= methods)
                return fail(path + ".valueA", "must be 0.." + std::to_string(methods - 1));
            if (p.valueB > methods)
                return fail(path + ".valueB", "must be 0 (none) or 1.." + std::to_string(methods) +
                                                  " (the out method + 1)");
            break;
        }
        case kSpeed:
            if (p.valueC > 7) return fail(path + ".valueC", "must be 0..7");
            break;
        case kPause:
            if (p.valueD > 7) return fail(path + ".valueD", "must be 0..7");
            break;
        case kBeep:
            if (p.valueA > 2) return fail(path + ".valueA", "must be 0..2");
            break;
        case kRowPitch:
            if (!validRowPitch(mode_, work_.signHeight, p.valueA))
                return fail(
                    path + ".valueA",
                    "must be 0.." + std::to_string(rowPitchCount(mode_, work_.signHeight) - 1));
            break;
        case kGraphicItem:
            if (p.name.empty()) return fail(path + ".name", "must name a graphic");
            if (p.valueC < 1 || p.valueC > work_.signWidth)
                return fail(path + ".valueC",
                            "width must be 1.." + std::to_string(work_.signWidth));
            if (p.valueD < 1 || p.valueD > work_.signHeight)
                return fail(path + ".valueD",
                            "height must be 1.." + std::to_string(work_.signHeight));
            if (p.flash2 > 1) return fail(path + ".flash2", "must be 0..1");
            break;
        case kInclude:
            if (p.name.empty()) return fail(path + ".name", "must name a text file");
            break;
        default:
            break;
    }
    made = TextItem::control(kind, p);
    const JsonValue* label = v.find("label");
    if (label) {
        if (!typed(label, path + ".label", Type::String)) return false;
        std::string expected = jsonLabel(made, mode_);
        if (label->text != expected)
            return fail(path + ".label",
                        "does not match the values (they give \"" + expected + "\")");
    }
    return true;
}

bool WorkAreaReader::window(const JsonValue& v, const std::string& path, TextItem& made) {
    if (!keys(v, path, {"kind", "type", "layoutType", "areas"})) return false;
    WindowControl w;
    if (!number(v, path, "layoutType", 1, 9, w.layoutType)) return false;
    bool ok = true;
    const JsonValue* areas = array(v, path, "areas", kMaxWindowAreas, ok);
    if (!ok) return false;
    if (!areas || areas->elements.empty())
        return fail(path + ".areas", "a window has 1 to 255 areas");
    std::vector<bool> orderSeen(areas->elements.size(), false);
    for (size_t i = 0; i < areas->elements.size(); ++i) {
        const JsonValue& a = areas->elements[i];
        std::string at = path + ".areas[" + std::to_string(i) + "]";
        if (!keys(a, at,
                  {"x", "y", "width", "height", "alignment", "alignmentName", "calledFile",
                   "calledFileBytes", "order", "flash2"}))
            return false;
        WindowArea area;
        area.byteE = 4;
        area.order = static_cast<uint8_t>(i);
        if (!number(a, at, "x", 0, work_.signWidth, area.valueA) ||
            !number(a, at, "y", 0, work_.signHeight, area.valueB) ||
            !number(a, at, "width", 0, work_.signWidth, area.valueC) ||
            !number(a, at, "height", 0, work_.signHeight, area.valueD) ||
            !number(a, at, "alignment", 0, 8, area.byteE) ||
            !number(a, at, "order", 0, static_cast<int64_t>(areas->elements.size()) - 1,
                    area.order) ||
            !number(a, at, "flash2", 0, 255, area.flash2) ||
            !name(a, at, "calledFile", area.name, false))
            return false;
        if (a.find("alignment")) {
            if (!agrees(a, at, "alignmentName", alignmentName(area.byteE))) return false;
        } else if (const JsonValue* an = a.find("alignmentName")) {
            if (!typed(an, at + ".alignmentName", Type::String)) return false;
            int found = -1;
            for (int k = 0; k <= 8; ++k)
                if (alignmentName(k) == an->text) found = k;
            if (found < 0) return fail(at + ".alignmentName", "is no alignment");
            area.byteE = static_cast<uint8_t>(found);
        }
        if (orderSeen[area.order])
            return fail(at + ".order", "another area of the window has this order");
        orderSeen[area.order] = true;
        w.areas.push_back(area);
    }
    made = TextItem::window(w);
    return true;
}

bool WorkAreaReader::graphic(const JsonValue& v, const std::string& path, GraphicFile& g) {
    if (!keys(v, path,
              {"name", "nameBytes", "stamp", "width", "height", "kind", "reserved", "rows",
               "otherPixels"}))
        return false;
    if (!name(v, path, "name", g.name, true)) return false;
    if (g.name.empty()) return fail(path + ".name", "must not be empty");
    if (!fileStamp(v, path, g.stamp)) return false;
    bool widthGiven = false, heightGiven = false;
    if (!number(v, path, "width", 1, work_.signWidth, g.width, &widthGiven) ||
        !number(v, path, "height", 1, work_.signHeight, g.height, &heightGiven) ||
        !number(v, path, "kind", 1, 1, g.kind) || !number(v, path, "reserved", 0, 255, g.reserved))
        return false;
    bool ok = true;
    const JsonValue* rows = array(v, path, "rows", 0xFFFF, ok);
    if (!ok) return false;
    if (!rows) return fail(path + ".rows", "is missing");
    if (!heightGiven) {
        if (rows->elements.empty() || rows->elements.size() > static_cast<size_t>(work_.signHeight))
            return fail(path + ".rows",
                        "must hold 1.." + std::to_string(work_.signHeight) + " rows");
        g.height = static_cast<uint16_t>(rows->elements.size());
    }
    if (rows->elements.size() != g.height)
        return fail(path + ".rows", "must hold " + std::to_string(g.height) + " rows (the height)");
    for (size_t y = 0; y < rows->elements.size(); ++y) {
        const JsonValue& row = rows->elements[y];
        std::string at = path + ".rows[" + std::to_string(y) + "]";
        if (!typed(&row, at, Type::String)) return false;
        if (!widthGiven && y == 0) {
            if (row.text.empty() || row.text.size() > static_cast<size_t>(work_.signWidth))
                return fail(at, "must be 1.." + std::to_string(work_.signWidth) + " dots long");
            g.width = static_cast<uint16_t>(row.text.size());
        }
        if (row.text.size() != g.width)
            return fail(at, "must be " + std::to_string(g.width) + " dots long (the width)");
    }
    g.pixels.assign(static_cast<size_t>(g.width) * g.height, kPixelOff);
    std::vector<bool> other(g.pixels.size(), false);
    for (int y = 0; y < g.height; ++y) {
        const std::string& row = rows->elements[static_cast<size_t>(y)].text;
        for (int x = 0; x < g.width; ++x) {
            switch (row[static_cast<size_t>(x)]) {
                case '.':
                    break;
                case 'R':
                    g.pixel(x, y) = kPixelRed;
                    break;
                case 'G':
                    g.pixel(x, y) = kPixelGreen;
                    break;
                case 'Y':
                    g.pixel(x, y) = kPixelYellow;
                    break;
                case '#':
                    other[static_cast<size_t>(x) * g.height + y] = true;
                    break;
                default:
                    return fail(path + ".rows[" + std::to_string(y) + "]",
                                "dots are '.', 'R', 'G', 'Y' or '#' (column " +
                                    std::to_string(x + 1) + ")");
            }
        }
    }
    const JsonValue* others = array(v, path, "otherPixels", g.pixels.size(), ok);
    if (!ok) return false;
    std::vector<bool> set(g.pixels.size(), false);
    for (size_t i = 0; others && i < others->elements.size(); ++i) {
        const JsonValue& o = others->elements[i];
        std::string at = path + ".otherPixels[" + std::to_string(i) + "]";
        if (!keys(o, at, {"x", "y", "value"})) return false;
        int x = -1, y = -1;
        uint32_t value = 0;
        if (!number(o, at, "x", 0, g.width - 1, x) || !number(o, at, "y", 0, g.height - 1, y) ||
            !number(o, at, "value", 0, 0xFFFFFFFF, value))
            return false;
        if (x < 0 || y < 0 || !o.find("value")) return fail(at, "needs x, y and value");
        size_t index = static_cast<size_t>(x) * g.height + static_cast<size_t>(y);
        if (!other[index]) return fail(at, "the dot is not '#' in rows");
        if (set[index]) return fail(at, "the dot is given twice");
        if (value == kPixelOff || value == kPixelRed || value == kPixelGreen ||
            value == kPixelYellow)
            return fail(at + ".value", "is a colour rows show with a letter");
        set[index] = true;
        g.pixels[index] = value;
    }
    for (size_t i = 0; i < other.size(); ++i)
        if (other[i] && !set[i])
            return fail(path + ".otherPixels", "has no value for the '#' dot at x " +
                                                   std::to_string(i / g.height) + ", y " +
                                                   std::to_string(i % g.height));
    return true;
}

bool WorkAreaReader::dateTime(const JsonValue& v, const std::string& path, std::string_view key,
                              uint16_t& year, uint8_t& month, uint8_t& day, uint8_t& hour,
                              uint8_t& minute) {
    std::string text;
    bool present = false;
    if (!string(v, path, key, text, &present)) return false;
    if (!present) return true;
    std::string at = path + "." + std::string(key);
    int y, mo, d, h, mi;
    char tail;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d%c", &y, &mo, &d, &h, &mi, &tail) != 5 ||
        y < 0 || mo < 0 || d < 0 || h < 0 || mi < 0)
        return fail(at, "must read YYYY-MM-DD HH:MM");
    if (mo > 12 || d > 31 || h > 23 || mi > 59)
        return fail(at, "is no date and time (month 1..12, day 1..31, hour 0..23, minute 0..59)");
    year = static_cast<uint16_t>(y);
    month = static_cast<uint8_t>(mo);
    day = static_cast<uint8_t>(d);
    hour = static_cast<uint8_t>(h);
    minute = static_cast<uint8_t>(mi);
    return true;
}

bool WorkAreaReader::task(const JsonValue& v, const std::string& path, ScheduleTask& t) {
    if (!keys(v, path,
              {"start", "end", "file", "fileBytes", "firstWeekday", "lastWeekday", "enabled",
               "priority", "flags", "weekdays"}))
        return false;
    if (!dateTime(v, path, "start", t.startYear, t.startMonth, t.startDay, t.startHour,
                  t.startMinute) ||
        !dateTime(v, path, "end", t.endYear, t.endMonth, t.endDay, t.endHour, t.endMinute) ||
        !name(v, path, "file", t.fileName, false))
        return false;
    bool flagsGiven = false, weekdaysGiven = false;
    if (!number(v, path, "flags", 0, 255, t.flags, &flagsGiven) ||
        !number(v, path, "weekdays", 0, 255, t.weekdays, &weekdaysGiven))
        return false;
    int first = t.weekdays >> 4, last = t.weekdays & 0x0F, priority = t.flags & 0x03;
    bool enabled = (t.flags & 0x80) != 0;
    bool firstGiven = false, lastGiven = false, priorityGiven = false, enabledGiven = false;
    if (!number(v, path, "firstWeekday", 0, 6, first, &firstGiven) ||
        !number(v, path, "lastWeekday", 0, 6, last, &lastGiven) ||
        !number(v, path, "priority", 0, 3, priority, &priorityGiven) ||
        !boolean(v, path, "enabled", enabled, &enabledGiven))
        return false;
    if (weekdaysGiven) {
        if ((t.weekdays >> 4) > 6 || (t.weekdays & 0x0F) > 6)
            return fail(path + ".weekdays", "each half must be a weekday 0..6");
        if ((firstGiven && first != t.weekdays >> 4) || (lastGiven && last != (t.weekdays & 0x0F)))
            return fail(path + ".weekdays", "does not match firstWeekday and lastWeekday");
    } else {
        t.weekdays = static_cast<uint8_t>(first << 4 | last);
    }
    if (flagsGiven) {
        if ((t.flags & 0x7C) != 0) return fail(path + ".flags", "only bits 7, 1 and 0 are used");
        if ((priorityGiven && priority != (t.flags & 0x03)) ||
            (enabledGiven && enabled != ((t.flags & 0x80) != 0)))
            return fail(path + ".flags", "does not match enabled and priority");
    } else {
        t.flags = static_cast<uint8_t>((enabled ? 0x80 : 0) | priority);
    }
    return true;
}

}  // namespace

bool readWorkAreaJson(std::string_view text, SignMode programMode, WorkAreaFromJson& out,
                      std::string& error, const TextPainterFactory* painters) {
    JsonValue root;
    JsonLimits limits;
    limits.wideText = true;
    if (!parseJson(text, root, error, limits)) return false;
    WorkAreaReader reader(programMode, painters);
    WorkAreaFromJson made;
    if (!reader.read(root, made)) {
        error = reader.error();
        return false;
    }
    out = std::move(made);
    return true;
}

}  // namespace lumavox
