#include "content/Document.h"

#include <cstring>

#include "content/EditRules.h"
#include "content/FontCheck.h"
#include "content/Records.h"
#include "content/Schedule.h"
#include "content/Vocabulary.h"
#include "platform/ByteIo.h"
#include "platform/Files.h"
#include "strings/StringTable.h"
#include "strings/TextFormat.h"

namespace lumavox {

namespace {

constexpr char kMagic[] = "KORVANTE VOXLINE";
constexpr size_t kMagicSize = 16;
constexpr size_t kReservedSize = 49;
constexpr int32_t kClipboardNewestVersion = 1202;
// Sign sizes beyond this are not signs but damaged files.
constexpr int32_t kMaxSignDots = 0xFFFF;

OpenResult failed(std::string message) {
    OpenResult r;
    r.error = std::move(message);
    return r;
}

// Why a list could not be read when the reader is still sound: its count.
struct ListRefusal {
    int32_t count = 0;
    size_t remaining = 0;
    bool countTooLarge = false;
};

// Reads `count` records with `read`, refusing counts the remaining bytes cannot hold.
template <typename T, typename ReadFn>
bool readList(ByteReader& r, size_t minRecordSize, std::vector<T>& list, ReadFn read,
              ListRefusal* refusal = nullptr) {
    int32_t count = r.i32();
    if (!r.ok() || count < 0 || static_cast<size_t>(count) > r.remaining() / minRecordSize) {
        if (refusal && r.ok()) *refusal = {count, r.remaining(), true};
        return false;
    }
    list.clear();
    for (int32_t i = 0; i < count; ++i) {
        T record;
        if (!read(record)) return false;
        list.push_back(std::move(record));
    }
    return true;
}

// The magic and the version at the front of a document: the refusal text, or
// empty when the rest is worth reading.
// The format message with the precise reason under it: where the file ends,
// which list counts more than the file holds, or where its data goes wrong.
std::string damaged(const ByteReader& r, int part, const ListRefusal& list = {}) {
    std::string reason;
    if (!r.ok())
        reason = textf(msg::kDocumentEndsEarly, {static_cast<long long>(r.size()), text(part)});
    else if (list.countTooLarge)
        reason = textf(msg::kDocumentCountTooLarge,
                       {text(part), list.count, static_cast<long long>(list.remaining)});
    else
        reason =
            textf(msg::kDocumentUnreadable, {text(part), static_cast<long long>(r.position())});
    return text(msg::kUnexpectedFormat) + "\n" + reason;
}

std::string checkDocumentHead(ByteReader& r, int32_t& version) {
    char magic[kMagicSize];
    r.bytes(reinterpret_cast<uint8_t*>(magic), kMagicSize);
    if (!r.ok() || std::memcmp(magic, kMagic, kMagicSize) != 0) return text(msg::kNotOurFile);
    version = r.i32();
    if (!r.ok()) return damaged(r, msg::kDocumentPartHeading);
    if (version > kDocumentVersion) return text(msg::kNewerVersion);
    return {};
}

}  // namespace

std::string checkNewSignSize(int width, int height) {
    if (width < 1) return text(msg::kSignWidthTooSmall);
    if (height < 1) return text(msg::kSignHeightTooSmall);
    return {};
}

std::string makeNewWorkArea(int width, int height, uint8_t colourType,
                            std::string_view firstFileName, uint8_t font, SignMode mode,
                            const Clock& clock, WorkArea& work) {
    std::string refusal = checkNewSignSize(width, height);
    if (!refusal.empty()) return refusal;
    WorkArea made;
    made.signWidth = width;
    made.signHeight = height;
    made.colourType = colourType;
    CharItem marker;
    marker.font = font;
    marker.colour = defaultColour(mode);
    refusal = addTextFile(made, firstFileName, marker, TimeStamp::now(clock));
    if (refusal.empty()) work = std::move(made);
    return refusal;
}

std::function<std::string(int)> programDirFontCheck(const std::filesystem::path& programDir) {
    return [programDir](int height) {
        return fontFileCheckMessage(checkFontFile(programDir, height));
    };
}

namespace {

// Reads a whole document from r, which is at the file's first byte.
OpenResult readDocumentFrom(ByteReader& r, const OpenOptions& options) {
    OpenResult result;
    if (std::string refusal = checkDocumentHead(r, result.version); !refusal.empty())
        return failed(refusal);
    WorkArea& work = result.work;
    ListRefusal list;
    if (result.version == kDocumentVersion) {
        int32_t modeFlag = r.i32();
        if (!r.ok()) return failed(damaged(r, msg::kDocumentPartHeading));
        bool fileIsNvs = modeFlag == 1;
        result.fileMode = fileIsNvs ? SignMode::NVS : SignMode::KV2;
        if (fileIsNvs != (options.mode == SignMode::NVS))
            result.warnings.push_back(text(fileIsNvs ? msg::kFileIsNvs : msg::kFileIsKv2));
        bool ok = readList(
            r, 4, work.runSequence,
            [&](std::string& name) {
                name = r.counted(r.remaining());
                return r.ok();
            },
            &list);
        if (!ok) return failed(damaged(r, msg::kDocumentPartRunSequence, list));
    }

    work.signWidth = r.i32();
    work.signHeight = r.i32();
    work.colourType = r.u8();
    if (!r.ok() || work.signWidth < 1 || work.signHeight < 1 || work.signWidth > kMaxSignDots ||
        work.signHeight > kMaxSignDots)
        return failed(damaged(r, msg::kDocumentPartHeading));

    if (options.fontCheck) {
        std::string fontError = options.fontCheck(work.signHeight);
        if (!fontError.empty()) return failed(fontError);
    }

    r.skip(kReservedSize);
    if (!r.ok()) return failed(damaged(r, msg::kDocumentPartHeading));
    RecordContext ctx{result.version, work.signHeight, options.mode};
    if (!readList(
            r, 1, work.textFiles, [&](TextFile& f) { return readTextFile(r, ctx, f); }, &list))
        return failed(damaged(r, msg::kDocumentPartTextFiles, list));
    if (!readList(
            r, 21, work.graphics, [&](GraphicFile& g) { return readGraphic(r, ctx, g); }, &list))
        return failed(damaged(r, msg::kDocumentPartGraphics, list));
    if (!readList(
            r, 23, work.tasks, [&](ScheduleTask& t) { return readTask(r, t); }, &list) ||
        !r.ok())
        return failed(damaged(r, msg::kDocumentPartSchedule, list));
    result.ok = true;
    return result;
}

// The whole file in the newest version, every text and graphic stamped `now`.
// Does not change `work`, so a save that fails part-way leaves it as it was.
void writeDocument(ByteWriter& w, const WorkArea& work, SignMode mode, const TimeStamp& now) {
    w.bytes(reinterpret_cast<const uint8_t*>(kMagic), kMagicSize);
    w.i32(kDocumentVersion);
    w.i32(mode == SignMode::NVS ? 1 : 0);
    w.i32(static_cast<int32_t>(work.runSequence.size()));
    for (const auto& name : work.runSequence)
        w.counted(name);
    w.i32(work.signWidth);
    w.i32(work.signHeight);
    w.u8(work.colourType);
    w.zeros(kReservedSize);
    w.i32(static_cast<int32_t>(work.textFiles.size()));
    for (const TextFile& f : work.textFiles)
        writeTextFile(w, f, now);
    w.i32(static_cast<int32_t>(work.graphics.size()));
    for (const GraphicFile& g : work.graphics) {
        writeGraphic(w, g, now);
        w.drain();
    }
    w.i32(static_cast<int32_t>(work.tasks.size()));
    for (const ScheduleTask& t : work.tasks)
        writeTask(w, t);
}

void stampAll(WorkArea& work, const TimeStamp& now) {
    for (TextFile& f : work.textFiles)
        f.stamp = now;
    for (GraphicFile& g : work.graphics)
        g.stamp = now;
}

}  // namespace

OpenResult readDocument(std::span<const uint8_t> bytes, const OpenOptions& options) {
    ByteReader r(bytes);
    return readDocumentFrom(r, options);
}

OpenResult openDocument(const std::filesystem::path& path, const OpenOptions& options) {
    // The file is read through a window rather than whole, so that opening a
    // large document needs little more memory than the work area it yields.
    // The magic and the version, at the front, decide whether it is read on.
    FileByteSource file;
    std::string error;
    if (!file.open(path, kMaxDocumentBytes, error)) return failed(path.string() + ": " + error);
    ByteReader r(file);
    OpenResult result = readDocumentFrom(r, options);
    // A file that could not be read is reported as such, not as damaged.
    if (!result.ok && !file.error().empty()) return failed(path.string() + ": " + file.error());
    return result;
}

std::vector<uint8_t> serializeDocument(WorkArea& work, SignMode mode, const Clock& clock) {
    TimeStamp now = TimeStamp::now(clock);
    std::vector<uint8_t> out;
    out.reserve(size_t{1} << 16);
    ByteWriter w(out);
    writeDocument(w, work, mode, now);
    stampAll(work, now);
    return out;
}

bool saveDocument(const std::filesystem::path& path, WorkArea& work, SignMode mode,
                  const Clock& clock, std::string& error) {
    TimeStamp now = TimeStamp::now(clock);
    AtomicFileWriter file(path);
    std::vector<uint8_t> buffer;
    bool ok = file.open(error);
    if (ok) {
        ByteWriter w(buffer, file);
        writeDocument(w, work, mode, now);
        w.finish();
        ok = file.commit(error);  // reports a failed write as well
    }
    if (!ok) {
        error = path.string() + ": " + error;
        return false;
    }
    stampAll(work, now);
    return true;
}

std::vector<uint8_t> encodeClipboardItems(std::span<const TextItem> items) {
    std::vector<uint8_t> out;
    ByteWriter w(out);
    w.i32(static_cast<int32_t>(items.size()));
    w.i32(kDocumentVersion);
    for (const TextItem& item : items)
        writeTextItem(w, item);
    return out;
}

bool decodeClipboardItems(std::span<const uint8_t> block, int32_t signHeight, SignMode mode,
                          std::vector<TextItem>& items, std::string& error) {
    ByteReader r(block);
    int32_t count = r.i32();
    int32_t version = r.i32();
    if (r.ok() && version > kClipboardNewestVersion) {
        error = text(msg::kClipboardNewer);
        return false;
    }
    std::vector<TextItem> read;
    bool ok = r.ok() && count >= 0 && static_cast<size_t>(count) <= r.remaining() / 6;
    RecordContext ctx{version, signHeight, mode};
    for (int32_t i = 0; ok && i < count; ++i) {
        TextItem item;
        ok = readTextItem(r, ctx, item);
        read.push_back(std::move(item));
    }
    if (!ok) {
        error = text(msg::kUnexpectedFormat);
        return false;
    }
    items = std::move(read);
    return true;
}

std::vector<TextItem> textToItems(std::string_view text, const CharItem& attributes, int firstCode,
                                  int endCode) {
    std::vector<TextItem> items;
    for (size_t i = 0; i < text.size(); ++i) {
        uint8_t b = static_cast<uint8_t>(text[i]);
        CharItem c = attributes;
        if (b == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        if (b == '\t') b = ' ';
        if (b != kCR && b != kLF && (b < firstCode || b >= endCode)) b = '?';
        c.character = b;
        items.push_back(TextItem::character(c));
    }
    return items;
}

}  // namespace lumavox
