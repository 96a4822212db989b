// The operations a sign is asked to carry out, and the payloads they send.
//
// Every payload starts with a one-byte command code. Commands that change the
// sign end with the terminator "z"; read requests carry no terminator. The
// builders here are pure: the session adds the frames and the handshakes.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "content/Model.h"
#include "platform/Clock.h"

namespace lumavox {

// The operation a session run performs (13, 14 and 18 are not used).
enum class UpdateKind : int {
    SendText = 1,
    SendGraphic = 2,
    AdjustTime = 3,
    SendSchedule = 4,
    ChangeAddress = 5,
    TestDisplay = 6,
    SignOff = 7,
    SignOn = 8,
    ClearMemory = 9,
    ClearGraphics = 10,
    ClearSchedule = 11,
    ClearText = 12,
    SetDefault = 15,
    ReadText = 16,
    CloseTest = 17,
    ReadMemory = 19,
    ReadDefault = 20,
    ReadSchedule = 21,
    ReadGraphic = 22,
    SendAll = 23,
    AutoOnOff = 24,
    ReadAutoOnOff = 25,
    ReadBios = 26,
    ReadSerial = 27,
    ReadConfig = 28,
    ChangeBaud = 29,
    SendCurrent = 30,
};

// The reply a read request expects.
enum class ReadKind : int {
    Memory = 1,
    TextDirectory = 2,
    GraphicFile = 3,
    TextFile = 4,
    GraphicDirectory = 5,
    Schedule = 6,
    DefaultFile = 7,
    AutoOnOff = 8,
    SignInfo = 9,
    SerialNumber = 10,
    ConfigWord = 11,
};

bool isReadKind(UpdateKind kind);
// The reply the first request of a read kind expects (the directory for 16
// and 22).
ReadKind readKindOf(UpdateKind kind);

// Command codes, PC to sign.
namespace code {
constexpr uint8_t kTextFile = 'a', kGraphicFile = 'b', kSchedule = 'c', kClock = 'd',
                  kClearMemory = 'e', kClearSchedule = 'f', kClearGraphics = 'g', kClearText = 'h',
                  kSetDefault = 'j', kTestStart = 's', kDisplayOff = 't', kDisplayOn = 'u',
                  kEnd = 'z', kChangeAddress = 'A', kChangeBaud = 'B', kAutoOnOff = 'J';
}  // namespace code

// The automatic on/off times ("AutoSet").
struct AutoOnOffRecord {
    bool autoOn = false;
    int onHour = 0;
    int onMinute = 0;
    bool autoOff = false;
    int offHour = 0;
    int offMinute = 0;
    std::array<uint8_t, 6> bytes() const;
};

// "d", the clock as second, minute, hour, day, month, year - 2000, "z".
std::vector<uint8_t> adjustTimePayload(const CalendarTime& now);
// "c", the task count, the 22-byte task records, "z" (at most 255 tasks).
std::vector<uint8_t> schedulePayload(const std::vector<ScheduleTask>& tasks);
// "A", the new address, "z"; framed to the old address.
std::vector<uint8_t> changeAddressPayload(uint8_t newAddress);
// "j", the name NUL-padded to 8 bytes, "z".
std::vector<uint8_t> setDefaultPayload(const std::string& name);
// "J", the automatic on/off record, "z".
std::vector<uint8_t> autoOnOffPayload(const AutoOnOffRecord& r);
// "B", the baud index, "z".
std::vector<uint8_t> changeBaudPayload(uint8_t baudIndex);
// The two-byte commands: test (s z), off (t z), on (u z), clear memory (e z),
// clear graphics (g z), clear schedule (f z), clear text (h z); close test is
// the lone "z". Empty for other kinds.
std::vector<uint8_t> simpleCommandPayload(UpdateKind kind);
// The request of a read: its code, and for file reads the 8-byte name.
std::vector<uint8_t> readRequestPayload(ReadKind kind, const std::string& name = {});

// String-table ids of the operation label of a one-shot command, a read request
// and the announcement of a read kind (0 when the kind has none).
int commandLabelId(UpdateKind kind);
int readLabelId(ReadKind kind);
int readAnnouncementId(UpdateKind kind);
// The title used when a read of kinds 19, 20, 25, 26 and 27 fails; 0 for others.
int readFailureTitleId(UpdateKind kind);

// The checks of the "Change Address" dialog: 0 when the pair may be sent, else
// the string-table id of the refusal.
int checkAddressChange(int oldAddress, int newAddress);

}  // namespace lumavox
