#include "session/ReadBack.h"

#include <algorithm>

#include "content/Schedule.h"
#include "strings/StringTable.h"
#include "strings/TextFormat.h"

namespace lumavox {

namespace {

constexpr size_t kModelMax = 60;
constexpr size_t kSerialMax = 64;
constexpr size_t kSignInfoTail = 9;  // versions, date and hardware after the model
constexpr size_t kEntrySize = 17;

uint8_t at(std::span<const uint8_t> r, size_t i) {
    return i < r.size() ? r[i] : 0;
}
unsigned u16(std::span<const uint8_t> r, size_t i) {
    return at(r, i) | (at(r, i + 1) << 8);
}

// Position of the zero byte ending a text that starts at R[1], looking at most
// `max` characters far; npos when not there (yet).
size_t textEnd(std::span<const uint8_t> r, size_t max) {
    for (size_t i = 1; i < r.size() && i <= max + 1; ++i)
        if (r[i] == 0) return i;
    return std::string::npos;
}

std::string textAt(std::span<const uint8_t> r, size_t from, size_t max) {
    std::string s;
    for (size_t i = from; i < r.size() && s.size() < max && r[i] != 0; ++i)
        s.push_back(static_cast<char>(r[i]));
    return s;
}

}  // namespace

ReplyLength replyLength(ReadKind kind, std::span<const uint8_t> r, size_t firstFrameSize) {
    ReplyLength l;
    switch (kind) {
        case ReadKind::Memory:
        case ReadKind::DefaultFile:
            l.expected = 9;
            break;
        case ReadKind::TextDirectory:
        case ReadKind::GraphicDirectory:
            if (r.size() >= 2) l.expected = kEntrySize * r[1] + 2;
            break;
        case ReadKind::Schedule:
            if (r.size() >= 2) l.expected = kSignTaskSize * r[1] + 2;
            break;
        case ReadKind::TextFile:
        case ReadKind::GraphicFile: {
            if (firstFrameSize == 1 && r.size() == 1) {
                l.expected = 1;
                break;
            }
            if (r.size() < 12) break;
            size_t length = u16(r, 10);
            size_t least = kind == ReadKind::TextFile ? 21 : 22;
            if (length < least) {
                l.untrusted = true;
                l.expected = r.size();
            } else {
                l.expected = length + 1;
            }
            break;
        }
        case ReadKind::AutoOnOff:
            l.expected = 7;
            break;
        case ReadKind::SignInfo: {
            size_t end = textEnd(r, kModelMax);
            if (end != std::string::npos)
                l.expected = end + 1 + kSignInfoTail;
            else if (r.size() >= kModelMax + 1)
                l.expected = kModelMax + 1;  // no zero byte where one must be
            break;
        }
        case ReadKind::SerialNumber: {
            size_t end = textEnd(r, kSerialMax);
            if (end != std::string::npos)
                l.expected = end + 1;
            else if (r.size() >= kSerialMax + 1)
                l.expected = kSerialMax + 1;
            break;
        }
        case ReadKind::ConfigWord:
            l.expected = 2;
            break;
    }
    return l;
}

std::string memoryInfoText(std::span<const uint8_t> r) {
    if (r.empty()) return text(msg::kNoReceiveData);
    std::string bytes = text(msg::kBytes);
    const int tab = '\t', cr = '\r', lf = '\n';
    return formatText("%s:%c%d%c%s%c%c%s:%c%d%c%s%c%c%s:%c%d%c%s%c%c%s:%c%d%c%s",
                      {text(msg::kTextUsed),    tab, u16(r, 1), tab, bytes, cr, lf,
                       text(msg::kTextFree),    tab, u16(r, 3), tab, bytes, cr, lf,
                       text(msg::kGraphicUsed), tab, u16(r, 5), tab, bytes, cr, lf,
                       text(msg::kGraphicFree), tab, u16(r, 7), tab, bytes});
}

std::string defaultFileText(std::span<const uint8_t> r) {
    if (r.empty()) return text(msg::kNoReceiveData);
    return formatText("%s:\t%s", {text(msg::kDefaultFileIs), textAt(r, 1, 8)});
}

std::string autoOnOffText(std::span<const uint8_t> r) {
    if (r.empty()) return text(msg::kNoReceiveData);
    auto time = [&](size_t flag) {
        return at(r, flag) ? formatText("%02d:%02d", {at(r, flag + 1), at(r, flag + 2)})
                           : std::string();
    };
    auto mode = [&](size_t flag) { return text(at(r, flag) ? msg::kAuto : msg::kManual); };
    return formatText("%s\t:\t%s\t%s\r\r%s\t:\t%s\t%s",
                      {text(msg::kOn), mode(1), time(1), text(msg::kOff), mode(4), time(4)});
}

std::string signInfoText(std::span<const uint8_t> r) {
    if (r.empty()) return text(msg::kNoReceiveData);
    std::string model = textAt(r, 1, kModelMax);
    size_t p = 1 + model.size() + 1;  // after the zero byte
    return formatText("%s\t:%s\r%s\t:%d.%d\r%s(D-M-Y)\t:%d-%d-%d\r%s\t:%d.%d\r%s\t:%d",
                      {text(msg::kSignModel), model, text(msg::kBiosVersion), at(r, p),
                       at(r, p + 1), text(msg::kBiosDate), at(r, p + 2), at(r, p + 3),
                       u16(r, p + 4), text(msg::kProtocolVersion), at(r, p + 6), at(r, p + 7),
                       text(msg::kHardwareVersion), at(r, p + 8)});
}

std::string serialNumberText(std::span<const uint8_t> r) {
    if (r.empty()) return text(msg::kNoReceiveData);
    std::string sn = textAt(r, 1, kSerialMax);
    return textf(msg::kProductSn, {sn.empty() ? text(msg::kNoneText) : sn});
}

std::string configWordText(std::span<const uint8_t> r) {
    if (r.empty()) return text(msg::kNoReceiveData);
    uint8_t w = at(r, 1);
    auto onIfSet = [&](uint8_t mask) { return text((w & mask) ? msg::kOn : msg::kOff); };
    auto offIfSet = [&](uint8_t mask) { return text((w & mask) ? msg::kOff : msg::kOn); };
    uint8_t comm = w & 0x18;
    std::string commText = text(comm == 0      ? msg::kShowCommStatus
                                : comm == 0x08 ? msg::kLockRefresh
                                               : msg::kLockNoRefresh);
    return formatText(
        "%s\t:%s\r%s\t:%s\r%s\t:%s\r%s:%s\r%s\t:%s\r%s\t:%s\r",
        {text(msg::kSound), onIfSet(0x01), text(msg::kAutoBackup), onIfSet(0x02),
         text(msg::kAutoRecover), onIfSet(0x04), text(msg::kCommOptions), commText,
         text(msg::kBatteryBackup), offIfSet(0x20), text(msg::kAutoDemo), offIfSet(0x40)});
}

std::string replyDisplay(ReadKind kind, std::span<const uint8_t> r) {
    switch (kind) {
        case ReadKind::Memory:
            return memoryInfoText(r);
        case ReadKind::DefaultFile:
            return defaultFileText(r);
        case ReadKind::AutoOnOff:
            return autoOnOffText(r);
        case ReadKind::SignInfo:
            return signInfoText(r);
        case ReadKind::SerialNumber:
            return serialNumberText(r);
        case ReadKind::ConfigWord:
            return configWordText(r);
        default:
            return {};
    }
}

std::vector<DirectoryEntry> parseDirectory(std::span<const uint8_t> r) {
    std::vector<DirectoryEntry> out;
    size_t n = at(r, 1);
    for (size_t i = 0; i < n; ++i) {
        size_t p = 2 + i * kEntrySize;
        if (p + kEntrySize > r.size()) break;
        DirectoryEntry e;
        e.kind = r[p];
        e.name = textAt(r, p + 1, 8);
        e.size = static_cast<uint16_t>(u16(r, p + 9));
        e.stamp = TimeStamp::fromBytes(&r[p + 11]);
        out.push_back(std::move(e));
    }
    return out;
}

std::vector<ScheduleTask> parseScheduleReply(std::span<const uint8_t> r) {
    std::vector<ScheduleTask> out;
    size_t n = at(r, 1);
    for (size_t i = 0; i < n; ++i) {
        size_t p = 2 + i * kSignTaskSize;
        if (p + kSignTaskSize > r.size()) break;
        out.push_back(decodeTaskFromSign(&r[p]));
    }
    return out;
}

}  // namespace lumavox
