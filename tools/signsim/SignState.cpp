#include "SignState.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <sstream>

#include "platform/Files.h"

namespace lumavox::sim {

namespace fs = std::filesystem;

namespace {

std::string hex(const uint8_t* p, size_t n) {
    static const char* digits = "0123456789ABCDEF";
    std::string s;
    for (size_t i = 0; i < n; ++i) {
        s += digits[p[i] >> 4];
        s += digits[p[i] & 15];
    }
    return s;
}

bool unhex(const std::string& s, std::vector<uint8_t>& out) {
    out.clear();
    if (s.size() % 2) return false;
    auto val = [](char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        return -1;
    };
    for (size_t i = 0; i < s.size(); i += 2) {
        int hi = val(s[i]), lo = val(s[i + 1]);
        if (hi < 0 || lo < 0) return false;
        out.push_back(static_cast<uint8_t>(hi * 16 + lo));
    }
    return true;
}

template <size_t N>
bool unhexFixed(const std::string& s, std::array<uint8_t, N>& out) {
    std::vector<uint8_t> v;
    if (!unhex(s, v) || v.size() != N) return false;
    std::copy(v.begin(), v.end(), out.begin());
    return true;
}

std::string nameKey(const SignName& n) {
    return hex(n.data(), n.size());
}

bool writeText(const fs::path& path, const std::string& s, std::string& error) {
    return writeFileAtomically(
        path, std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(s.data()), s.size()),
        error);
}

constexpr size_t kMaxStoredFile = 70000;

}  // namespace

std::string nameText(const SignName& name) {
    std::string s;
    for (uint8_t b : name) {
        if (b == 0) break;
        s += static_cast<char>(b);
    }
    return s;
}

void SignState::put(std::vector<StoredFile>& list, const StoredFile& file) {
    for (auto& f : list)
        if (f.name == file.name) {
            f.body = file.body;
            return;
        }
    list.push_back(file);
}

const StoredFile* SignState::find(const std::vector<StoredFile>& list, const SignName& name) {
    for (auto& f : list)
        if (f.name == name) return &f;
    return nullptr;
}

bool SignStore::save(const SignState& s, std::string& error) const {
    if (!enabled()) return true;
    std::error_code ec;
    for (const char* sub : {"text", "graphic"}) {
        fs::create_directories(dir_ / sub, ec);
        if (ec) {
            error = "create " + (dir_ / sub).string() + ": " + ec.message();
            return false;
        }
    }
    auto saveList = [&](const char* sub, const std::vector<StoredFile>& list, std::string& order) {
        std::vector<std::string> keep;
        for (auto& f : list) {
            std::string key = nameKey(f.name);
            keep.push_back(key + ".bin");
            order += (order.empty() ? "" : ",") + key;
            std::vector<uint8_t> old;
            std::string ignored;
            fs::path p = dir_ / sub / (key + ".bin");
            if (readWholeFile(p, kMaxStoredFile, old, ignored) && old == f.body) continue;
            if (!writeFileAtomically(p, f.body, error)) return false;
        }
        for (auto& entry : fs::directory_iterator(dir_ / sub, ec))
            if (std::find(keep.begin(), keep.end(), entry.path().filename().string()) == keep.end())
                fs::remove(entry.path(), ec);
        return true;
    };
    std::string textOrder, graphicOrder;
    if (!saveList("text", s.texts, textOrder) || !saveList("graphic", s.graphics, graphicOrder))
        return false;
    std::vector<uint8_t> tasks;
    for (auto& t : s.tasks)
        tasks.insert(tasks.end(), t.begin(), t.end());
    if (!writeFileAtomically(dir_ / "schedule.bin", tasks, error)) return false;
    std::ostringstream st;
    st << "address=" << int(s.address) << "\n"
       << "display=" << (s.displayOn ? 1 : 0) << "\n"
       << "test=" << (s.testActive ? 1 : 0) << "\n"
       << "baud=" << int(s.baudIndex) << "\n"
       << "default=" << nameKey(s.defaultFile) << "\n"
       << "auto=" << hex(s.autoOnOff.data(), 6) << "\n"
       << "clock=" << (s.clockSet ? hex(s.clock.data(), 6) : "") << "\n"
       << "sessions=" << s.sessionsEnded << "\n"
       << "text=" << textOrder << "\n"
       << "graphic=" << graphicOrder << "\n";
    return writeText(dir_ / "state.txt", st.str(), error);
}

bool SignStore::load(SignState& s, std::vector<std::string>& notes, std::string& error) const {
    if (!enabled()) return true;
    std::error_code ec;
    if (!fs::exists(dir_ / "state.txt", ec)) return true;
    std::vector<uint8_t> raw;
    if (!readWholeFile(dir_ / "state.txt", 1 << 20, raw, error)) return false;
    std::map<std::string, std::string> kv;
    std::istringstream in(std::string(raw.begin(), raw.end()));
    for (std::string line; std::getline(in, line);) {
        auto eq = line.find('=');
        if (eq != std::string::npos) kv[line.substr(0, eq)] = line.substr(eq + 1);
    }
    auto number = [&](const char* key, int max, int& out) {
        auto it = kv.find(key);
        if (it == kv.end()) return;
        try {
            size_t used = 0;
            int v = std::stoi(it->second, &used);
            if (used == it->second.size() && v >= 0 && v <= max)
                out = v;
            else
                notes.push_back(std::string("state.txt: bad ") + key);
        } catch (...) {
            notes.push_back(std::string("state.txt: bad ") + key);
        }
    };
    int address = s.address, display = s.displayOn, test = s.testActive, baud = s.baudIndex,
        sessions = 0;
    number("address", 255, address);
    number("display", 1, display);
    number("test", 1, test);
    number("baud", 255, baud);
    number("sessions", 1 << 30, sessions);
    s.address = static_cast<uint8_t>(address);
    s.displayOn = display != 0;
    s.testActive = test != 0;
    s.baudIndex = static_cast<uint8_t>(baud);
    s.sessionsEnded = static_cast<unsigned>(sessions);
    if (kv.count("default") && !unhexFixed(kv["default"], s.defaultFile))
        notes.push_back("state.txt: bad default");
    if (kv.count("auto") && !unhexFixed(kv["auto"], s.autoOnOff))
        notes.push_back("state.txt: bad auto");
    if (kv.count("clock") && !kv["clock"].empty()) s.clockSet = unhexFixed(kv["clock"], s.clock);

    auto loadList = [&](const char* sub, std::vector<StoredFile>& list) {
        list.clear();
        std::istringstream order(kv[sub]);
        for (std::string key; std::getline(order, key, ',');) {
            StoredFile f;
            std::vector<uint8_t> name;
            std::string why;
            if (!unhex(key, name) || name.size() != 8) {
                notes.push_back(std::string(sub) + ": bad name " + key);
                continue;
            }
            std::copy(name.begin(), name.end(), f.name.begin());
            if (!readWholeFile(dir_ / sub / (key + ".bin"), kMaxStoredFile, f.body, why)) {
                notes.push_back(std::string(sub) + "/" + key + ".bin: " + why);
                continue;
            }
            SignState::put(list, f);
        }
    };
    loadList("text", s.texts);
    loadList("graphic", s.graphics);
    std::vector<uint8_t> tasks;
    std::string why;
    s.tasks.clear();
    if (readWholeFile(dir_ / "schedule.bin", 22 * 255, tasks, why)) {
        for (size_t i = 0; i + 22 <= tasks.size(); i += 22) {
            std::array<uint8_t, 22> t{};
            std::copy(tasks.begin() + static_cast<ptrdiff_t>(i),
                      tasks.begin() + static_cast<ptrdiff_t>(i + 22), t.begin());
            s.tasks.push_back(t);
        }
    }
    return true;
}

}  // namespace lumavox::sim
