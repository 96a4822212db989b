#include "session/SignCommands.h"

#include <algorithm>

#include "content/Schedule.h"
#include "strings/StringTable.h"

namespace lumavox {

namespace {

void appendName(std::vector<uint8_t>& out, const std::string& name) {
    Name9 n(name);
    out.insert(out.end(), n.bytes.begin(), n.bytes.begin() + 8);
}

}  // namespace

bool isReadKind(UpdateKind kind) {
    switch (kind) {
        case UpdateKind::ReadText:
        case UpdateKind::ReadMemory:
        case UpdateKind::ReadDefault:
        case UpdateKind::ReadSchedule:
        case UpdateKind::ReadGraphic:
        case UpdateKind::ReadAutoOnOff:
        case UpdateKind::ReadBios:
        case UpdateKind::ReadSerial:
        case UpdateKind::ReadConfig:
            return true;
        default:
            return false;
    }
}

ReadKind readKindOf(UpdateKind kind) {
    switch (kind) {
        case UpdateKind::ReadText:
            return ReadKind::TextDirectory;
        case UpdateKind::ReadGraphic:
            return ReadKind::GraphicDirectory;
        case UpdateKind::ReadDefault:
            return ReadKind::DefaultFile;
        case UpdateKind::ReadSchedule:
            return ReadKind::Schedule;
        case UpdateKind::ReadAutoOnOff:
            return ReadKind::AutoOnOff;
        case UpdateKind::ReadBios:
            return ReadKind::SignInfo;
        case UpdateKind::ReadSerial:
            return ReadKind::SerialNumber;
        case UpdateKind::ReadConfig:
            return ReadKind::ConfigWord;
        default:
            return ReadKind::Memory;
    }
}

std::array<uint8_t, 6> AutoOnOffRecord::bytes() const {
    auto b = [](int v) { return static_cast<uint8_t>(v & 0xFF); };
    return {b(autoOn ? 1 : 0),  b(onHour),  b(onMinute),
            b(autoOff ? 1 : 0), b(offHour), b(offMinute)};
}

std::vector<uint8_t> adjustTimePayload(const CalendarTime& now) {
    std::vector<uint8_t> p{code::kClock};
    auto s = TimeStamp::from(now).bytes();
    p.insert(p.end(), s.begin(), s.end());
    p.push_back(code::kEnd);
    return p;
}

std::vector<uint8_t> schedulePayload(const std::vector<ScheduleTask>& tasks) {
    size_t n = std::min<size_t>(tasks.size(), 255);
    std::vector<uint8_t> p{code::kSchedule, static_cast<uint8_t>(n)};
    for (size_t i = 0; i < n; ++i) {
        auto r = encodeTaskForSign(tasks[i]);
        p.insert(p.end(), r.begin(), r.end());
    }
    p.push_back(code::kEnd);
    return p;
}

std::vector<uint8_t> changeAddressPayload(uint8_t newAddress) {
    return {code::kChangeAddress, newAddress, code::kEnd};
}

std::vector<uint8_t> setDefaultPayload(const std::string& name) {
    std::vector<uint8_t> p{code::kSetDefault};
    appendName(p, name);
    p.push_back(code::kEnd);
    return p;
}

std::vector<uint8_t> autoOnOffPayload(const AutoOnOffRecord& r) {
    std::vector<uint8_t> p{code::kAutoOnOff};
    auto b = r.bytes();
    p.insert(p.end(), b.begin(), b.end());
    p.push_back(code::kEnd);
    return p;
}

std::vector<uint8_t> changeBaudPayload(uint8_t baudIndex) {
    return {code::kChangeBaud, baudIndex, code::kEnd};
}

std::vector<uint8_t> simpleCommandPayload(UpdateKind kind) {
    switch (kind) {
        case UpdateKind::TestDisplay:
            return {code::kTestStart, code::kEnd};
        case UpdateKind::SignOff:
            return {code::kDisplayOff, code::kEnd};
        case UpdateKind::SignOn:
            return {code::kDisplayOn, code::kEnd};
        case UpdateKind::ClearMemory:
            return {code::kClearMemory, code::kEnd};
        case UpdateKind::ClearGraphics:
            return {code::kClearGraphics, code::kEnd};
        case UpdateKind::ClearSchedule:
            return {code::kClearSchedule, code::kEnd};
        case UpdateKind::ClearText:
            return {code::kClearText, code::kEnd};
        case UpdateKind::CloseTest:
            return {code::kEnd};
        default:
            return {};
    }
}

std::vector<uint8_t> readRequestPayload(ReadKind kind, const std::string& name) {
    static constexpr uint8_t kCodes[] = {0, 'i', 'k', 'n', 'm', 'l', 'o', 'y', 'K', 'L', 'E', 'I'};
    int k = static_cast<int>(kind);
    if (k < 1 || k > 11) return {};
    std::vector<uint8_t> p{kCodes[k]};
    if (kind == ReadKind::GraphicFile || kind == ReadKind::TextFile) appendName(p, name);
    return p;
}

int commandLabelId(UpdateKind kind) {
    switch (kind) {
        case UpdateKind::AdjustTime:
            return msg::kLabelAdjustTime;
        case UpdateKind::SendSchedule:
            return msg::kLabelSchedule;
        case UpdateKind::ChangeAddress:
            return msg::kLabelChangeAddress;
        case UpdateKind::TestDisplay:
            return msg::kLabelTestDisplay;
        case UpdateKind::SignOff:
            return msg::kLabelCloseMachine;
        case UpdateKind::SignOn:
            return msg::kLabelOpenMachine;
        case UpdateKind::ClearMemory:
            return msg::kLabelClearMemory;
        case UpdateKind::ClearGraphics:
            return msg::kLabelClearGraphics;
        case UpdateKind::ClearSchedule:
            return msg::kLabelClearSchedule;
        case UpdateKind::ClearText:
            return msg::kLabelClearText;
        case UpdateKind::SetDefault:
            return msg::kLabelSetDefault;
        case UpdateKind::CloseTest:
            return msg::kLabelCloseTest;
        case UpdateKind::AutoOnOff:
            return msg::kLabelAutoOnOff;
        case UpdateKind::ChangeBaud:
            return msg::kLabelChangeBaud;
        default:
            return 0;
    }
}

int readLabelId(ReadKind kind) {
    switch (kind) {
        case ReadKind::Memory:
            return msg::kLabelReadMemory;
        case ReadKind::TextDirectory:
            return msg::kLabelReadTextDir;
        case ReadKind::GraphicFile:
            return msg::kLabelReadGraphic;
        case ReadKind::TextFile:
            return msg::kLabelReadText;
        case ReadKind::GraphicDirectory:
            return msg::kLabelReadGraphicDir;
        case ReadKind::Schedule:
            return msg::kLabelReadSchedule;
        case ReadKind::DefaultFile:
            return msg::kLabelSetDefault;  // the sign's own wording for this request
        case ReadKind::AutoOnOff:
            return msg::kLabelReadAutoOnOff;
        case ReadKind::SignInfo:
            return msg::kLabelReadBios;
        case ReadKind::SerialNumber:
            return msg::kLabelReadSerial;
        case ReadKind::ConfigWord:
            return msg::kLabelReadConfig;
    }
    return 0;
}

int readAnnouncementId(UpdateKind kind) {
    switch (kind) {
        case UpdateKind::ReadText:
            return msg::kAnnounceText;
        case UpdateKind::ReadGraphic:
            return msg::kAnnounceGraphic;
        case UpdateKind::ReadMemory:
            return msg::kAnnounceMemory;
        case UpdateKind::ReadDefault:
            return msg::kAnnounceDefault;
        case UpdateKind::ReadSchedule:
            return msg::kAnnounceSchedule;
        case UpdateKind::ReadAutoOnOff:
            return msg::kAnnounceAutoOnOff;
        case UpdateKind::ReadBios:
            return msg::kAnnounceBios;
        case UpdateKind::ReadSerial:
            return msg::kAnnounceSerial;
        case UpdateKind::ReadConfig:
            return msg::kAnnounceConfig;
        default:
            return 0;
    }
}

int readFailureTitleId(UpdateKind kind) {
    switch (kind) {
        case UpdateKind::ReadMemory:
            return msg::kTitleReadMemory;
        case UpdateKind::ReadDefault:
            return msg::kTitleReadDefault;
        case UpdateKind::ReadAutoOnOff:
            return msg::kTitleReadAutoOnOff;
        case UpdateKind::ReadBios:
            return msg::kTitleReadBios;
        case UpdateKind::ReadSerial:
            return msg::kTitleReadSerial;
        default:
            return 0;
    }
}

int checkAddressChange(int oldAddress, int newAddress) {
    if (oldAddress == 0 || newAddress == 0) return msg::kAddressZeroChange;
    if (oldAddress == newAddress) return msg::kAddressSame;
    return 0;
}

}  // namespace lumavox
