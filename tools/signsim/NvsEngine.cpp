#include "NvsEngine.h"

#include <algorithm>
#include <cstdio>

#include "NvsTags.h"
#include "SignShow.h"

namespace lumavox::sim {

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool parseHex(std::string_view s, size_t maxDigits, uint64_t& out) {
    if (s.empty() || s.size() > maxDigits) return false;
    out = 0;
    for (char c : s) {
        int v = hexValue(c);
        if (v < 0) return false;
        out = out * 16 + static_cast<uint64_t>(v);
    }
    return true;
}

bool allDigits(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int number(std::string_view s) {
    int v = 0;
    for (char c : s)
        v = v * 10 + (c - '0');
    return v;
}

std::string lower(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return r;
}

bool goodLabel(std::string_view s) {
    if (s.empty()) return false;
    for (unsigned char c : s)
        if (c < 0x20 || c == '$' || c == '^' || c == '=' || c == 0x7F) return false;
    return true;
}

}  // namespace

bool nvsChecksumSigned(std::string_view code) {
    return code == "CCM" || code == "CSR" || code == "CSA" || code == "CPO" || code == "CPF";
}

std::optional<std::vector<uint8_t>> decodeBase64(std::string_view text) {
    if (text.size() % 4 != 0) return std::nullopt;
    auto value = [](char c) -> int {
        if (c >= 'A' && c <= 'Z') return c - 'A';
        if (c >= 'a' && c <= 'z') return c - 'a' + 26;
        if (c >= '0' && c <= '9') return c - '0' + 52;
        if (c == '+') return 62;
        if (c == '/') return 63;
        return -1;
    };
    std::vector<uint8_t> out;
    out.reserve(text.size() / 4 * 3);
    for (size_t i = 0; i < text.size(); i += 4) {
        int v[4];
        int pad = 0;
        for (int k = 0; k < 4; ++k) {
            char c = text[i + k];
            if (c == '=' && i + 4 == text.size() && k >= 2) {
                v[k] = 0;
                ++pad;
                continue;
            }
            if (pad) return std::nullopt;
            v[k] = value(c);
            if (v[k] < 0) return std::nullopt;
        }
        uint32_t n = (uint32_t(v[0]) << 18) | (uint32_t(v[1]) << 12) | (uint32_t(v[2]) << 6) |
                     uint32_t(v[3]);
        out.push_back(static_cast<uint8_t>(n >> 16));
        if (pad < 2) out.push_back(static_cast<uint8_t>(n >> 8));
        if (pad < 1) out.push_back(static_cast<uint8_t>(n));
    }
    return out;
}

size_t NvsSignState::memoryUsed() const {
    size_t used = 0;
    for (const auto& [name, f] : files)
        used += f.allocated;
    return used;
}

NvsEngine::NvsEngine(const SimOptions& options, ConversationLog& log)
    : options_(options), log_(log) {
    for (uint8_t a : options.addresses) {
        NvsSignState s;
        s.address = a;
        signs_.push_back(std::move(s));
    }
}

void NvsEngine::connected(uint64_t nowMs) {
    // A new peer starts from a clean line; what the signs hold stays.
    stage_ = Stage::Idle;
    caret_ = false;
    out_.clear();
    now_ = nowMs;
}

std::optional<uint64_t> NvsEngine::nextDeadline() const {
    if (out_.empty()) return std::nullopt;
    return out_.front().first;
}

std::vector<uint8_t> NvsEngine::takeOutput(uint64_t nowMs) {
    std::vector<uint8_t> bytes;
    while (!out_.empty() && out_.front().first <= nowMs) {
        bytes.insert(bytes.end(), out_.front().second.begin(), out_.front().second.end());
        out_.pop_front();
    }
    return bytes;
}

void NvsEngine::error(const std::string& word) {
    if (firstError_.empty()) firstError_ = word;
}

void NvsEngine::startConversation() {
    stage_ = Stage::Addresses;
    addresses_.clear();
    targets_.clear();
    replyDue_ = false;
    firstError_.clear();
}

// Called when the address list is complete (at the first "^A" or at "^C").
static void resolveTargets(const std::string& text, const std::vector<NvsSignState>& signs,
                           std::vector<uint8_t>& targets, bool& replyDue, bool& valid) {
    targets.clear();
    replyDue = false;
    valid = true;
    std::vector<uint8_t> list;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t comma = text.find(',', pos);
        std::string_view item(text.data() + pos,
                              (comma == std::string::npos ? text.size() : comma) - pos);
        uint64_t v = 0;
        if (!parseHex(item, 2, v)) {
            valid = false;
            return;
        }
        list.push_back(static_cast<uint8_t>(v));
        if (comma == std::string::npos) break;
        pos = comma + 1;
    }
    for (size_t i = 0; i < signs.size(); ++i) {
        bool hit = std::find(list.begin(), list.end(), 0) != list.end() ||
                   std::find(list.begin(), list.end(), signs[i].address) != list.end();
        if (hit) targets.push_back(static_cast<uint8_t>(i));
    }
    replyDue = list.size() == 1 && list[0] != 0 && !targets.empty();
}

void NvsEngine::endConversation(uint64_t nowMs) {
    stage_ = Stage::Idle;
    for (size_t i = 0; i < changed_.size() && i < signs_.size(); ++i)
        if (changed_[i] && display_) display_->update(signs_[i], nowMs, i);
    changed_.assign(signs_.size(), false);
    if (!replyDue_) {
        note(nowMs, "end of conversation (no reply)");
        return;
    }
    std::string word = firstError_.empty() ? "ok" : firstError_;
    if (!options_.nvsReply.empty()) word = options_.nvsReply;
    if (options_.nvsSilent) {
        note(nowMs, "stays silent instead of '" + word + "'");
        return;
    }
    note(nowMs, "reply " + word);
    out_.emplace_back(nowMs + static_cast<uint64_t>(options_.delayMs), word + "\r\n");
}

void NvsEngine::feed(std::span<const uint8_t> bytes, uint64_t nowMs) {
    now_ = nowMs;
    for (uint8_t byte : bytes) {
        char b = static_cast<char>(byte);
        switch (stage_) {
            case Stage::Idle:
                if (caret_) {
                    caret_ = false;
                    if (b == 'B') startConversation();
                } else if (b == '^') {
                    caret_ = true;
                }
                break;
            case Stage::Addresses:
            case Stage::Between:
                if (caret_) {
                    caret_ = false;
                    if (stage_ == Stage::Addresses && (b == 'A' || b == 'C')) {
                        bool valid = true;
                        resolveTargets(addresses_, signs_, targets_, replyDue_, valid);
                        if (!valid) {
                            note(nowMs, "bad address list '" + addresses_ + "'");
                            targets_.clear();
                        } else {
                            note(nowMs, "conversation with " + addresses_);
                        }
                    }
                    if (b == 'A') {
                        stage_ = Stage::Command;
                        command_ = "^A";
                        overflow_ = false;
                    } else if (b == 'C') {
                        endConversation(nowMs);
                    } else if (b == 'B') {
                        startConversation();
                    }
                } else if (b == '^') {
                    caret_ = true;
                } else if (stage_ == Stage::Addresses && addresses_.size() < 1024) {
                    addresses_.push_back(b);
                }
                break;
            case Stage::Command:
                if (command_.size() < kMaxCommandBytes)
                    command_.push_back(b);
                else
                    overflow_ = true;
                if (caret_) {
                    caret_ = false;
                    if (b == 'D') {
                        if (overflow_) command_ += "^D";
                        stage_ = Stage::Checksum;
                        checksum_.clear();
                    }
                } else if (b == '^') {
                    caret_ = true;
                }
                break;
            case Stage::Checksum:
                checksum_.push_back(b);
                if (checksum_.size() == 4) {
                    finishCommand(nowMs);
                    stage_ = Stage::Between;
                }
                break;
        }
    }
}

void NvsEngine::finishCommand(uint64_t nowMs) {
    if (targets_.empty()) return;  // not for the signs on this line
    if (overflow_) {
        note(nowMs, "command too long");
        error("unknown error");
        return;
    }
    std::string code =
        command_.size() >= 5 && command_[2] == 'C' ? command_.substr(2, 3) : command_.substr(2, 1);
    bool isSigned = nvsChecksumSigned(code);
    uint32_t sum = 0;
    for (char c : command_)
        sum += isSigned ? static_cast<uint32_t>(static_cast<int>(static_cast<signed char>(c)))
                        : static_cast<uint32_t>(static_cast<unsigned char>(c));
    sum &= 0xFFFF;
    uint64_t given = 0;
    if (!parseHex(checksum_, 4, given) || given != sum) {
        char expected[8];
        std::snprintf(expected, sizeof expected, "%04X", sum);
        note(nowMs, "bad checksum on " + code + ": got '" + checksum_ + "', sum " + expected);
        error("bad checksum");
        return;
    }
    changed_.resize(signs_.size(), false);
    for (uint8_t i : targets_) {
        changed_[i] = true;
        std::string e = apply(signs_[i], command_, nowMs);
        if (!e.empty()) {
            note(nowMs, "sign " + std::to_string(signs_[i].address) + ": " + e);
            error(e);
        }
    }
}

std::string NvsEngine::apply(NvsSignState& sign, const std::string& cmd, uint64_t nowMs) {
    // cmd is "^A" code params "^D".
    std::string_view all(cmd);
    std::string_view inner = all.substr(2, all.size() - 4);
    if (!inner.empty() && inner[0] == 'A') {
        std::string_view body = inner.substr(1);
        if (body.size() < 2 || body[0] != '$') return "invalid file label";
        size_t end = body.find('$', 1);
        if (end == std::string_view::npos) return "invalid file label";
        // A body with a bare or unknown tag is refused as a command the sign
        // does not understand, and nothing of it is kept.
        if (std::string bad = checkBodyTags(body.substr(end + 1)); !bad.empty()) {
            note(nowMs, "text body refused: " + bad);
            return "unknown command code";
        }
        std::string name10 = lower(body.substr(1, end - 1));
        for (auto& [name, f] : sign.files) {
            if (!f.text || name.substr(0, 10) != name10) continue;
            bool over = body.size() > f.allocated;
            f.body = std::string(body.substr(0, std::min(body.size(), f.allocated)));
            f.written = true;
            note(nowMs, "text " + name + " " + std::to_string(f.body.size()) + " " + f.body);
            return over ? "file out of allocated size" : "";
        }
        return "file does not exist";
    }
    if (inner.size() < 3 || inner[0] != 'C') return "unknown command code";
    std::string code(inner.substr(0, 3));
    std::string_view p = inner.substr(3);
    if (code == "CCM") {
        sign.files.clear();
        sign.runSequence.clear();
        note(nowMs, "clear memory");
        return "";
    }
    if (code == "CSM" || code == "CFM") {
        std::string name;
        std::string_view size;
        if (code == "CSM") {
            if (p.size() < 2 || p[0] != '$') return "invalid file label";
            size_t end = p.find('$', 1);
            if (end == std::string_view::npos || end + 1 >= p.size() || p[end + 1] != 'T')
                return "invalid file label";
            name = p.substr(1, end - 1);
            size = p.substr(end + 2);
        } else {
            size_t eq = p.rfind('=');
            if (eq == std::string_view::npos) return "invalid file label";
            name = p.substr(0, eq);
            size = p.substr(eq + 1);
        }
        if (!goodLabel(name)) return "invalid file label";
        uint64_t bytes = 0;
        if (!parseHex(size, 8, bytes)) return "invalid file size";
        std::string key = lower(name);
        size_t used = sign.memoryUsed();
        auto it = sign.files.find(key);
        if (it != sign.files.end()) used -= it->second.allocated;
        if (used + bytes > kMemoryBytes) return "not enough memory";
        NvsFile f;
        f.text = code == "CSM";
        f.allocated = static_cast<size_t>(bytes);
        sign.files[key] = std::move(f);
        note(nowMs, std::string("alloc ") + (code == "CSM" ? "text " : "disk ") + key + " " +
                        std::to_string(bytes));
        return "";
    }
    if (code == "CFW") {
        size_t eq = p.find('=');
        if (eq == std::string_view::npos) return "invalid file label";
        std::string key = lower(p.substr(0, eq));
        auto it = sign.files.find(key);
        if (it == sign.files.end() || it->second.text) return "file does not exist";
        NvsFile& f = it->second;
        bool over = p.size() > f.allocated;
        std::string_view kept = p.substr(0, std::min(p.size(), f.allocated));
        f.body = std::string(kept);
        f.written = true;
        if (over) return "file out of allocated size";
        auto data = decodeBase64(kept.substr(eq + 1));
        if (!data) return "unknown error";
        f.decoded = std::move(*data);
        note(nowMs, "disk " + key + " " + std::to_string(f.decoded.size()));
        return "";
    }
    if (code == "CSR") {
        std::vector<std::string> names;
        size_t pos = 0;
        while (pos < p.size()) {
            if (p[pos] != '$') return "invalid file label";
            size_t end = p.find('$', pos + 1);
            if (end == std::string_view::npos) return "invalid file label";
            names.emplace_back(p.substr(pos + 1, end - pos - 1));
            pos = end + 1;
        }
        sign.runSequence = names;
        note(nowMs, "run sequence " + std::string(p));
        return "";
    }
    if (code == "CSD") {
        if (p.size() != 9 || !allDigits(p)) return "invalid date format";
        int mm = number(p.substr(0, 2)), dd = number(p.substr(2, 2)), yyyy = number(p.substr(4, 4)),
            wd = number(p.substr(8, 1));
        if (mm < 1 || mm > 12 || dd < 1 || dd > 31 || yyyy < 2000 || yyyy > 2099 || wd > 6)
            return "invalid date format";
        sign.date = std::string(p);
        note(nowMs, "date " + sign.date);
        return "";
    }
    if (code == "CST") {
        if (p.size() != 6 || !allDigits(p)) return "invalid time format";
        if (number(p.substr(0, 2)) > 23 || number(p.substr(2, 2)) > 59 ||
            number(p.substr(4, 2)) > 59)
            return "invalid time format";
        sign.time = std::string(p);
        note(nowMs, "time " + sign.time);
        return "";
    }
    if (code == "CSA") {
        uint64_t v = 0;
        if (!parseHex(p, 2, v)) return "invalid hexadecimal number";
        if (v == 0) return "invalid address";
        note(nowMs, "address " + std::to_string(sign.address) + " -> " + std::to_string(v));
        sign.address = static_cast<uint8_t>(v);
        return "";
    }
    if (code == "CPO" || code == "CPF") {
        if (!p.empty()) return "unknown command code";
        sign.powerOn = code == "CPO";
        note(nowMs, sign.powerOn ? "power on" : "power off");
        return "";
    }
    return "unknown command code";
}

}  // namespace lumavox::sim
