#include "SignCommands.h"

#include <algorithm>

#include "platform/ByteIo.h"

namespace lumavox::sim {

namespace {

constexpr uint8_t kEnd = 'z';
constexpr size_t kTextBodyMin = 21;
constexpr size_t kGraphicBodyMin = 22;

CommandResult needMore() {
    return {};
}

CommandResult bad(uint8_t code, std::string why) {
    CommandResult r;
    r.status = CommandResult::Bad;
    r.code = code;
    r.error = std::move(why);
    return r;
}

CommandResult done(uint8_t code, size_t consumed, bool changed) {
    CommandResult r;
    r.status = CommandResult::Done;
    r.code = code;
    r.consumed = consumed;
    r.changed = changed;
    return r;
}

CommandResult answer(uint8_t code, size_t consumed, std::vector<uint8_t> reply) {
    CommandResult r = done(code, consumed, false);
    r.reply = std::move(reply);
    return r;
}

// A command of `argBytes` argument bytes closed by "z".
bool terminated(std::span<const uint8_t> p, size_t argBytes, CommandResult& r) {
    size_t need = 1 + argBytes + 1;
    if (p.size() < need) {
        r = needMore();
        return false;
    }
    if (p[need - 1] != kEnd) {
        r = bad(p[0], "terminator 'z' missing");
        return false;
    }
    return true;
}

SignName nameAt(std::span<const uint8_t> p, size_t offset) {
    SignName n{};
    std::copy(p.begin() + static_cast<ptrdiff_t>(offset),
              p.begin() + static_cast<ptrdiff_t>(offset + 8), n.begin());
    return n;
}

// "a" / "b" and a body whose length field (body offset 9) counts the whole
// body, check word included.
CommandResult fileBody(SignState& s, std::span<const uint8_t> p, bool graphic) {
    uint8_t code = p[0];
    if (p.size() < 1 + 11) return needMore();
    size_t length = p[10] | (p[11] << 8);
    size_t minimum = graphic ? kGraphicBodyMin : kTextBodyMin;
    if (length < minimum) return bad(code, "body length " + std::to_string(length) + " too short");
    if (p[1] != (graphic ? 1 : 0)) return bad(code, "body kind byte " + std::to_string(p[1]));
    if (p.size() < 1 + length) return needMore();
    auto body = p.subspan(1, length);
    uint16_t stored = static_cast<uint16_t>(body[length - 2] | (body[length - 1] << 8));
    if (invertedSum16(body.first(length - 2)) != stored) return bad(code, "body check word");
    StoredFile f;
    f.name = nameAt(body, 1);
    f.body.assign(body.begin(), body.end());
    SignState::put(graphic ? s.graphics : s.texts, f);
    return done(code, 1 + length, true);
}

void put16(std::vector<uint8_t>& out, size_t v) {
    v = std::min<size_t>(v, 0xFFFF);
    out.push_back(static_cast<uint8_t>(v & 0xFF));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

size_t used(const std::vector<StoredFile>& list) {
    size_t n = 0;
    for (auto& f : list)
        n += f.body.size();
    return n;
}

std::vector<uint8_t> directory(uint8_t code, const std::vector<StoredFile>& list, uint8_t kind) {
    std::vector<uint8_t> r{code};
    size_t n = std::min<size_t>(list.size(), 255);
    r.push_back(static_cast<uint8_t>(n));
    for (size_t i = 0; i < n; ++i) {
        auto& b = list[i].body;
        r.push_back(kind);
        r.insert(r.end(), list[i].name.begin(), list[i].name.end());
        put16(r, b.size());
        r.insert(r.end(), b.begin() + 11, b.begin() + 17);  // the body's stamp
    }
    return r;
}

}  // namespace

const char* commandName(uint8_t code) {
    switch (code) {
        case 'a':
            return "text file";
        case 'b':
            return "graphic file";
        case 'c':
            return "schedule";
        case 'd':
            return "set the clock";
        case 'e':
            return "clear all memory";
        case 'f':
            return "clear all schedule tasks";
        case 'g':
            return "clear all graphic files";
        case 'h':
            return "clear all text files";
        case 'j':
            return "set default file";
        case 's':
            return "start the display test";
        case 't':
            return "turn the display off";
        case 'u':
            return "turn the display on";
        case 'z':
            return "end";
        case 'A':
            return "change address";
        case 'B':
            return "change baud rate";
        case 'J':
            return "automatic on/off times";
        case 'i':
            return "read memory information";
        case 'k':
            return "read text file directory";
        case 'l':
            return "read graphic file directory";
        case 'm':
            return "read text file";
        case 'n':
            return "read graphic file";
        case 'o':
            return "read schedule";
        case 'y':
            return "read default file";
        case 'K':
            return "read automatic on/off settings";
        case 'L':
            return "read sign information";
        case 'E':
            return "read product serial number";
        case 'I':
            return "read configuration word";
        default:
            return "";
    }
}

CommandResult applyNextCommand(SignState& s, std::span<const uint8_t> p, const SignIdentity& id) {
    if (p.empty()) return needMore();
    uint8_t code = p[0];
    CommandResult r;
    switch (code) {
        case 'a':
            return fileBody(s, p, false);
        case 'b':
            return fileBody(s, p, true);
        case 'c': {
            if (p.size() < 2) return needMore();
            size_t n = p[1];
            if (!terminated(p, 1 + 22 * n, r)) return r;
            s.tasks.clear();
            for (size_t i = 0; i < n; ++i) {
                std::array<uint8_t, 22> t{};
                std::copy_n(p.begin() + static_cast<ptrdiff_t>(2 + 22 * i), 22, t.begin());
                s.tasks.push_back(t);
            }
            return done(code, 3 + 22 * n, true);
        }
        case 'd':
            if (!terminated(p, 6, r)) return r;
            std::copy_n(p.begin() + 1, 6, s.clock.begin());
            s.clockSet = true;
            return done(code, 8, true);
        case 'e':
        case 'f':
        case 'g':
        case 'h': {
            if (code == 'e' || code == 'h') s.texts.clear();
            if (code == 'e' || code == 'g') s.graphics.clear();
            if (code == 'e' || code == 'f') s.tasks.clear();
            if (code == 'e') s.defaultFile = {};
            // Closed by "z", or, as a send option, directly followed by the next code.
            size_t used = p.size() >= 2 && p[1] == kEnd ? 2 : 1;
            return done(code, used, true);
        }
        case 'j':
            if (!terminated(p, 8, r)) return r;
            s.defaultFile = nameAt(p, 1);
            return done(code, 10, true);
        case 's':
        case 't':
        case 'u':
            if (!terminated(p, 0, r)) return r;
            if (code == 's') s.testActive = true;
            if (code == 't') s.displayOn = false;
            if (code == 'u') s.displayOn = true;
            return done(code, 2, true);
        case 'z': {
            CommandResult z = done(code, 1, true);
            s.testActive = false;
            ++s.sessionsEnded;
            z.endSession = true;
            return z;
        }
        case 'A':
            if (!terminated(p, 1, r)) return r;
            if (p[1] == 0) return bad(code, "address 0 refused");
            s.address = p[1];
            return done(code, 3, true);
        case 'B':
            if (!terminated(p, 1, r)) return r;
            if (p[1] > 7) return bad(code, "baud index " + std::to_string(p[1]));
            s.baudIndex = p[1];
            return done(code, 3, true);
        case 'J':
            if (!terminated(p, 6, r)) return r;
            std::copy_n(p.begin() + 1, 6, s.autoOnOff.begin());
            return done(code, 8, true);

        case 'i': {
            std::vector<uint8_t> out{code};
            size_t t = used(s.texts), g = used(s.graphics);
            put16(out, t);
            put16(out, t < kTextMemory ? kTextMemory - t : 0);
            put16(out, g);
            put16(out, g < kGraphicMemory ? kGraphicMemory - g : 0);
            return answer(code, 1, out);
        }
        case 'k':
            return answer(code, 1, directory(code, s.texts, 0));
        case 'l':
            return answer(code, 1, directory(code, s.graphics, 1));
        case 'm':
        case 'n': {
            if (p.size() < 9) return needMore();
            const StoredFile* f = SignState::find(code == 'm' ? s.texts : s.graphics, nameAt(p, 1));
            std::vector<uint8_t> out{code};
            if (f) out.insert(out.end(), f->body.begin(), f->body.end());
            return answer(code, 9, out);
        }
        case 'o': {
            std::vector<uint8_t> out{code,
                                     static_cast<uint8_t>(std::min<size_t>(s.tasks.size(), 255))};
            for (size_t i = 0; i < s.tasks.size() && i < 255; ++i)
                out.insert(out.end(), s.tasks[i].begin(), s.tasks[i].end());
            return answer(code, 1, out);
        }
        case 'y': {
            std::vector<uint8_t> out{code};
            out.insert(out.end(), s.defaultFile.begin(), s.defaultFile.end());
            return answer(code, 1, out);
        }
        case 'K': {
            std::vector<uint8_t> out{code};
            out.insert(out.end(), s.autoOnOff.begin(), s.autoOnOff.end());
            return answer(code, 1, out);
        }
        case 'L': {
            std::vector<uint8_t> out{code};
            out.insert(out.end(), id.model.begin(), id.model.end());
            out.push_back(0);
            // Firmware 1.2 of 15-6-2023, protocol 1.0, hardware 3.
            const uint8_t rest[] = {1, 2, 15, 6, 0xE7, 0x07, 1, 0, 3};
            out.insert(out.end(), std::begin(rest), std::end(rest));
            return answer(code, 1, out);
        }
        case 'E': {
            std::vector<uint8_t> out{code};
            out.insert(out.end(), id.serial.begin(), id.serial.end());
            out.push_back(0);
            return answer(code, 1, out);
        }
        case 'I':
            return answer(code, 1, {code, id.config});
        default:
            return bad(code, "unknown payload code");
    }
}

}  // namespace lumavox::sim
