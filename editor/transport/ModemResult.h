// What a Hayes/GSM modem answers, as the dialer reads it: received text is
// collected up to a carriage return and classified into a result code; the
// GSM status replies (+CREG, +CSQ) are read into the status lines the dial
// window shows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace lumavox {

// Result codes; None for text that is no result word.
enum class ModemCode : int {
    None = -1,
    Ok = 0,
    Connect = 1,
    Ring = 2,
    NoCarrier = 3,
    Error = 4,
    NoDialtone = 6,
    Busy = 7,
};

// The code of a collected text (upper-cased first), testing the words in the
// order OK, CON, RING, NO CARRIER / NO CAR, ERROR, NO DIALTONE / NO DIAL TONE
// / NO DIA, BUSY.
ModemCode classifyModemText(const std::string& text);
// The status text id of a code ("Connect Status:\r..."), the unknown one for None.
int modemCodeTextId(ModemCode code);

// One ended line: its code and the text classified (the line alone, or all
// the text kept so far).
struct ModemLine {
    ModemCode code = ModemCode::None;
    std::string text;
};

// Collects received text. Bytes are appended until a carriage return arrives;
// each carriage return hands the text collected so far to the classifier. The
// text is bounded: a modem that talks without ever ending a line keeps only
// the newest kMaxText characters, so memory stays bounded and a late result
// word is still seen.
class ModemResultCollector {
  public:
    static constexpr size_t kMaxText = 4096;

    // Appends the bytes and returns every line they ended. With `keepText`
    // the collected text stays (the GSM check parses it) and each line is
    // classified with all of it; without, each ended line is classified alone
    // (trimmed) and cleared.
    std::vector<ModemLine> feed(std::span<const uint8_t> bytes, bool keepText);
    const std::string& text() const { return text_; }
    void clear() { text_.clear(); }

  private:
    std::string text_;
};

// "+CREG: n,STAT": registered when the trimmed text after the comma starts
// with 1 (home) or 5 (roaming). A reply with "ERROR", or without "+CREG", ":"
// and "," after one another, is not registered.
bool gsmRegistered(const std::string& reply);

// The signal line of a "+CSQ: RSSI,BER" reply: "Signal strength:  CLASS(N)\n"
// for a number, "Signal strength:  Bad(Unknow)\n" for "ERROR", a reply
// without the markers or an empty number.
std::string gsmSignalLine(const std::string& reply);
// The class text id of a signal number: 0-9 Bad, 10-14 Acceptable, 15-19
// Good, 20-25 Very good, above 25 Perfect (99, "not known", included).
int signalClassId(int rssi);

}  // namespace lumavox
