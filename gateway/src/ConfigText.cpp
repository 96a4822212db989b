#include "ConfigText.h"

#include <algorithm>

#include "Gprslink.h"

namespace lumavox::gateway {

namespace {
constexpr std::string_view kLineEnd = "\r\n";
}

std::string readCommand(std::string_view name) {
    std::string c = "AT+";
    c.append(name);
    c.append("?\r\n");
    return c;
}

std::string writeCommand(std::string_view name, std::string_view value) {
    std::string c = "AT+";
    c.append(name);
    c.push_back('=');
    c.append(value);
    c.append(kLineEnd);
    return c;
}

std::optional<std::string> recogniseReply(std::string_view text, bool listMode,
                                          std::string_view command) {
    if (text.find("OK\r\n") != std::string_view::npos)
        return listMode ? std::string(text) : std::string("OK\r\n");
    if (size_t err = text.find("ERR"); err != std::string_view::npos) {
        size_t end = text.find(kLineEnd, err + 3);
        if (end != std::string_view::npos) return std::string(text.substr(err, end - err));
    }
    if (listMode || (!command.empty() && command.front() == '+')) return std::nullopt;

    size_t first = text.find(kLineEnd);
    if (first == std::string_view::npos) return std::nullopt;
    size_t lineStart = 0;
    size_t lineEnd = first + 2;
    for (size_t q; (q = text.find(kLineEnd, lineEnd)) != std::string_view::npos;) {
        if (q == lineEnd) {
            lineEnd += 2;  // a blank line extends the current one
        } else {
            lineStart = lineEnd;
            lineEnd = q + 2;
        }
    }
    std::string_view line = text.substr(lineStart, lineEnd - lineStart);
    if (!line.starts_with("AT")) return std::nullopt;
    if (line.starts_with(command)) return std::nullopt;  // the DTU echoing the command
    return std::string(line);
}

int interpretWriteReply(std::string_view reply) {
    if (reply.find("ERR CMD") != std::string_view::npos) return DTU_CONFIG_ERR_CMD;
    if (reply.find("ERR DATA") != std::string_view::npos) return DTU_CONFIG_ERR_DATA;
    return DTU_CONFIG_FAILED;
}

int interpretReadReply(std::string_view reply, std::string_view command, std::string& value) {
    if (reply.starts_with("ERR")) {
        if (reply.starts_with("ERR CMD")) return DTU_CONFIG_ERR_CMD;
        if (reply.starts_with("ERR DATA")) return DTU_CONFIG_ERR_DATA;
        return DTU_CONFIG_FAILED;
    }
    if (command.size() < 3) return DTU_CONFIG_FAILED;
    std::string_view prefix = command.substr(0, command.size() - 3);  // "AT+name"
    if (!reply.starts_with(prefix)) return DTU_CONFIG_FAILED;
    size_t start = std::min(reply.size(), prefix.size() + 1);
    size_t end = reply.find(kLineEnd, start);
    if (end == std::string_view::npos) end = reply.size();
    value.assign(reply.substr(start, end - start));
    return DTU_CONFIG_OK;
}

void ConfigList::assign(std::string_view text) {
    if (text.starts_with(config::kList)) text.remove_prefix(config::kList.size());
    text_.assign(text);
    cursor_ = 0;
}

bool ConfigList::next(std::string& name, std::string& value) {
    if (cursor_ >= text_.size()) return false;
    std::string_view rest = std::string_view(text_).substr(cursor_);
    size_t skipped = rest.starts_with(kLineEnd) ? 2 : 0;
    rest.remove_prefix(skipped);
    size_t cr = rest.find('\r');
    if (cr == std::string_view::npos) return false;
    std::string_view line = rest.substr(0, cr);
    size_t eq = line.find('=');
    if (eq == std::string_view::npos) return false;
    name.assign(line.substr(0, eq));
    std::string_view after = line.substr(eq + 1);
    value.assign(after.substr(0, after.find('=')));
    // The cursor never moves past the end of the list.
    cursor_ = std::min(text_.size(), cursor_ + skipped + cr + 4);
    return true;
}

}  // namespace lumavox::gateway
