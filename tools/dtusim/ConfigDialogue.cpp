#include "ConfigDialogue.h"

namespace lumavox::dtusim {

namespace {
constexpr size_t kMaxLine = 4096;
}

ConfigDialogue::ConfigDialogue(const DialogueOptions& options) : options_(options) {}

std::string* ConfigDialogue::find(const std::string& name) {
    for (auto& p : options_.params)
        if (p.first == name) return &p.second;
    return nullptr;
}

std::vector<ConfigDialogue::Output> ConfigDialogue::feed(const std::string& bytes) {
    std::vector<Output> out;
    for (char c : bytes) {
        pending_ += c;
        if (c == '\n') {
            std::string line = pending_;
            while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
                line.pop_back();
            auto replies = handleLine(line, pending_);
            out.insert(out.end(), replies.begin(), replies.end());
            pending_.clear();
        } else if (pending_.size() > kMaxLine) {
            pending_.clear();  // line noise, not a command
        }
    }
    return out;
}

std::vector<ConfigDialogue::Output> ConfigDialogue::handleLine(const std::string& line,
                                                               const std::string& raw) {
    std::vector<Output> out;
    if (line.empty()) return out;
    if (line == "+++ in set") {
        if (options_.echo) out.push_back({0, raw});
        out.push_back({0, "OK\r\n"});
        setMode_ = true;
        return out;
    }
    if (!setMode_ || line.rfind("AT", 0) != 0) return out;  // data, not for the set-up mode
    if (options_.echo) out.push_back({0, raw});
    if (line == "AT+SETLIST=ON") {
        std::string list = "\r\n";
        for (const auto& [name, value] : options_.params)
            list += name + "=" + value + "\r\n\r\n";
        list += "OK\r\n";
        out.push_back({0, list});
        return out;
    }
    if (line.rfind("AT+", 0) != 0) {
        out.push_back({0, "ERR CMD\r\n"});
        return out;
    }
    std::string body = line.substr(3);
    size_t eq = body.find('=');
    bool isRead = eq == std::string::npos && !body.empty() && body.back() == '?';
    std::string name = isRead ? body.substr(0, body.size() - 1) : body.substr(0, eq);
    int delay = 0;
    if (auto it = options_.delayMs.find(name); it != options_.delayMs.end()) delay = it->second;
    if (!isRead && eq == std::string::npos) {
        out.push_back({delay, "ERR CMD\r\n"});
        return out;
    }
    if (isRead) {
        std::string* value = find(name);
        if (value == nullptr || options_.errCmd.count(name))
            out.push_back({delay, "ERR CMD\r\n"});
        else
            out.push_back({delay, "AT+" + name + "=" + *value + "\r\n"});
        return out;
    }
    std::string value = body.substr(eq + 1);
    if (name == "OUTSET") {
        out.push_back({delay, value == "ON" ? "OK\r\n" : "ERR DATA\r\n"});
        if (value == "ON") setMode_ = false;
        return out;
    }
    std::string* current = find(name);
    if (current == nullptr || options_.errCmd.count(name)) {
        out.push_back({delay, "ERR CMD\r\n"});
    } else if (options_.errData.count(name)) {
        out.push_back({delay, "ERR DATA\r\n"});
    } else {
        *current = value;
        out.push_back({delay, "OK\r\n"});
    }
    return out;
}

}  // namespace lumavox::dtusim
