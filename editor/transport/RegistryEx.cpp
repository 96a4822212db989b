#include "transport/RegistryEx.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace lumavox {

namespace {

std::string lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Trailing separators are no part of a path.
std::string normal(const std::string& path) {
    std::string p = path;
    while (!p.empty() && p.back() == '\\')
        p.pop_back();
    return p;
}

bool isBelow(const std::string& section, const std::string& path) {
    std::string s = lower(section), p = lower(normal(path)) + "\\";
    return s.size() > p.size() && s.compare(0, p.size(), p) == 0;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

std::string subKeyPath(const std::string& parent, const std::string& child) {
    std::string p = normal(parent);
    return p.empty() ? child : p + "\\" + child;
}

RegistryEx RegistryEx::load(const std::filesystem::path& path) {
    return RegistryEx(Profile::load(path));
}

bool RegistryEx::keyExists(const std::string& path) const {
    if (store_.hasSection(normal(path))) return true;
    for (const std::string& s : store_.sections())
        if (isBelow(s, path)) return true;
    return false;
}

std::optional<std::string> RegistryEx::value(const std::string& path,
                                             const std::string& name) const {
    if (!store_.hasKey(normal(path), name)) return std::nullopt;
    return store_.getString(normal(path), name);
}

std::optional<std::vector<uint8_t>> RegistryEx::binaryValue(const std::string& path,
                                                            const std::string& name) const {
    std::optional<std::string> v = value(path, name);
    if (!v || lower(v->substr(0, 4)) != "hex:") return std::nullopt;
    std::vector<uint8_t> bytes;
    std::string digits;
    for (size_t i = 4; i <= v->size(); ++i) {
        char c = i < v->size() ? (*v)[i] : ',';
        if (c == ',') {
            if (digits.empty()) continue;
            if (digits.size() > 2) return std::nullopt;
            int value = 0;
            for (char d : digits) {
                int h = hexDigit(d);
                if (h < 0) return std::nullopt;
                value = value * 16 + h;
            }
            bytes.push_back(static_cast<uint8_t>(value));
            digits.clear();
        } else if (!std::isspace(static_cast<unsigned char>(c))) {
            digits.push_back(c);
        }
    }
    return bytes;
}

std::vector<std::string> RegistryEx::valueNames(const std::string& path) const {
    return store_.keys(normal(path));
}

std::vector<std::string> RegistryEx::subKeys(const std::string& path) const {
    std::string prefix = normal(path);
    std::vector<std::string> names;
    for (const std::string& s : store_.sections()) {
        if (!isBelow(s, prefix)) continue;
        std::string rest = s.substr(prefix.size() + 1);
        std::string child = rest.substr(0, rest.find('\\'));
        if (child.empty()) continue;
        bool known = std::any_of(names.begin(), names.end(),
                                 [&](const std::string& n) { return lower(n) == lower(child); });
        if (!known) names.push_back(child);
    }
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return lower(a) < lower(b); });
    return names;
}

std::optional<std::string> RegistryEx::findKeyWithValue(const std::string& path,
                                                        const std::string& name,
                                                        const std::string& expected) const {
    return findBelow(path, name, expected, 0);
}

std::optional<std::string> RegistryEx::findBelow(const std::string& path, const std::string& name,
                                                 const std::string& expected, int depth) const {
    // Registry paths are at most 512 levels deep; a deeper store is damaged.
    if (depth >= kMaxDepth) return std::nullopt;
    for (const std::string& child : subKeys(path)) {
        std::string key = subKeyPath(path, child);
        std::optional<std::string> v = value(key, name);
        if (v && lower(*v) == lower(expected)) return key;
        if (auto below = findBelow(key, name, expected, depth + 1)) return below;
    }
    return std::nullopt;
}

void RegistryEx::setValue(const std::string& path, const std::string& name,
                          const std::string& value) {
    store_.setString(normal(path), name, value);
}

void RegistryEx::setBinaryValue(const std::string& path, const std::string& name,
                                const std::vector<uint8_t>& bytes) {
    std::string text = "hex:";
    char buf[4];
    for (size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(buf, sizeof buf, "%02x", bytes[i]);
        if (i) text += ",";
        text += buf;
    }
    setValue(path, name, text);
}

void RegistryEx::deleteKey(const std::string& path) {
    std::vector<std::string> doomed;
    for (const std::string& s : store_.sections())
        if (isBelow(s, path) || lower(s) == lower(normal(path))) doomed.push_back(s);
    for (const std::string& s : doomed)
        store_.removeSection(s);
}

}  // namespace lumavox
