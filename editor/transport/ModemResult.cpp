#include "transport/ModemResult.h"

#include <algorithm>
#include <cctype>

#include "strings/ModemTexts.h"
#include "strings/StringTable.h"
#include "strings/TextFormat.h"

namespace lumavox {

namespace {

std::string upper(const std::string& s) {
    std::string u = s;
    for (char& c : u)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return u;
}

std::string trimmed(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return {};
    size_t e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

bool has(const std::string& text, const char* word) {
    return text.find(word) != std::string::npos;
}

// Positions of "+TAG", then ":" and "," after it; false when one is missing.
bool findMarkers(const std::string& reply, const char* tag, size_t& colon, size_t& comma) {
    size_t at = reply.find(tag);
    if (at == std::string::npos) return false;
    colon = reply.find(':', at);
    if (colon == std::string::npos) return false;
    comma = reply.find(',', colon);
    return comma != std::string::npos;
}

}  // namespace

ModemCode classifyModemText(const std::string& text) {
    std::string u = upper(text);
    if (has(u, "OK")) return ModemCode::Ok;
    if (has(u, "CON")) return ModemCode::Connect;
    if (has(u, "RING")) return ModemCode::Ring;
    if (has(u, "NO CARRIER") || has(u, "NO CAR")) return ModemCode::NoCarrier;
    if (has(u, "ERROR")) return ModemCode::Error;
    if (has(u, "NO DIALTONE") || has(u, "NO DIAL TONE") || has(u, "NO DIA"))
        return ModemCode::NoDialtone;
    if (has(u, "BUSY")) return ModemCode::Busy;
    return ModemCode::None;
}

int modemCodeTextId(ModemCode code) {
    switch (code) {
        case ModemCode::Ok:
            return msg::kModemResultOk;
        case ModemCode::Connect:
            return msg::kModemResultConnect;
        case ModemCode::Ring:
            return msg::kModemResultRing;
        case ModemCode::NoCarrier:
            return msg::kModemResultNoCarrier;
        case ModemCode::Error:
            return msg::kModemResultError;
        case ModemCode::NoDialtone:
            return msg::kModemResultNoDialtone;
        case ModemCode::Busy:
            return msg::kModemResultBusy;
        case ModemCode::None:
            break;
    }
    return msg::kModemResultUnknown;
}

std::vector<ModemLine> ModemResultCollector::feed(std::span<const uint8_t> bytes, bool keepText) {
    std::vector<ModemLine> lines;
    for (uint8_t b : bytes) {
        if (b == '\r') {
            if (keepText) {
                lines.push_back({classifyModemText(text_), text_});
                text_.push_back('\r');
                if (text_.size() > kMaxText) text_.erase(0, text_.size() - kMaxText);
            } else {
                std::string line = trimmed(text_);
                lines.push_back({classifyModemText(line), line});
                text_.clear();
            }
            continue;
        }
        // NUL bytes would cut the text short where it is shown.
        text_.push_back(b == 0 ? ' ' : static_cast<char>(b));
        if (text_.size() > kMaxText) text_.erase(0, text_.size() - kMaxText);
    }
    return lines;
}

bool gsmRegistered(const std::string& reply) {
    if (has(upper(reply), "ERROR")) return false;
    size_t colon = 0, comma = 0;
    if (!findMarkers(reply, "+CREG", colon, comma)) return false;
    std::string after = trimmed(reply.substr(comma + 1));
    return !after.empty() && (after[0] == '1' || after[0] == '5');
}

int signalClassId(int rssi) {
    if (rssi <= 9) return msg::kSignalBad;
    if (rssi <= 14) return msg::kSignalAcceptable;
    if (rssi <= 19) return msg::kSignalGood;
    if (rssi <= 25) return msg::kSignalVeryGood;
    return msg::kSignalPerfect;
}

std::string gsmSignalLine(const std::string& reply) {
    auto unknown = [] {
        return formatText("%s %s(%s)\n", {text(msg::kSignalStrength), text(msg::kSignalBad),
                                          text(msg::kSignalUnknown)});
    };
    if (has(upper(reply), "ERROR")) return unknown();
    size_t colon = 0, comma = 0;
    if (!findMarkers(reply, "+CSQ", colon, comma)) return unknown();
    std::string number = trimmed(reply.substr(colon + 1, comma - colon - 1));
    if (number.empty() || number.size() > 6 ||
        !std::all_of(number.begin(), number.end(),
                     [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }))
        return unknown();
    int rssi = std::stoi(number);
    return formatText("%s %s(%d)\n", {text(msg::kSignalStrength), text(signalClassId(rssi)), rssi});
}

}  // namespace lumavox
