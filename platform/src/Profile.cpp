#include "platform/Profile.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>

#include "platform/Files.h"

namespace lumavox {

namespace {

constexpr size_t npos = std::string::npos;

std::string_view trim(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t'))
        ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r'))
        --e;
    return s.substr(b, e - b);
}

// The value part of a "key=value" line as a reader sees it.
std::string valueOf(std::string_view raw) {
    size_t eq = raw.find('=');
    std::string_view v = trim(raw.substr(eq + 1));
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    return std::string(v.substr(0, Profile::kMaxValueLength));
}

}  // namespace

Profile Profile::load(const std::filesystem::path& path) {
    std::vector<uint8_t> bytes;
    std::string error;
    Profile p;
    if (readWholeFile(path, kMaxFileBytes, bytes, error))
        p = parse(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    p.path_ = path;
    return p;
}

Profile Profile::parse(std::string_view text) {
    Profile p;
    size_t start = 0;
    bool inSection = false;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == npos) end = text.size();
        Line line;
        line.raw = std::string(text.substr(start, end - start));
        if (!line.raw.empty() && line.raw.back() == '\r') line.raw.pop_back();
        std::string_view t = trim(line.raw);
        if (!t.empty() && t.front() == '[') {
            size_t close = t.find(']');
            line.name = std::string(trim(t.substr(1, close == npos ? npos : close - 1)));
            line.header = true;
            inSection = true;
        } else if (inSection && !t.empty() && t.front() != ';' && t.find('=') != npos) {
            line.name = std::string(trim(t.substr(0, t.find('='))));
            line.value = true;
        }
        p.lines_.push_back(std::move(line));
        start = end + 1;
    }
    return p;
}

std::string Profile::lowerKey(std::string_view name) {
    std::string k(trim(name));
    for (char& c : k)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return k;
}

const Profile::Index& Profile::index() const {
    if (index_) return *index_;
    auto index = std::make_unique<Index>();
    size_t header = npos;
    for (size_t i = 0; i < lines_.size(); ++i) {
        const Line& l = lines_[i];
        if (l.header) {
            header = i;
            index->sections.emplace(lowerKey(l.name), i);
        } else if (l.value && header != npos) {
            index->keys.emplace(std::to_string(header) + "\n" + lowerKey(l.name), i);
            index->lastKeys[header] = i;
        }
    }
    index_ = std::move(index);
    return *index_;
}

size_t Profile::findSection(std::string_view section) const {
    auto it = index().sections.find(lowerKey(section));
    return it == index().sections.end() ? npos : it->second;
}

size_t Profile::findKey(size_t header, std::string_view key) const {
    auto it = index().keys.find(std::to_string(header) + "\n" + lowerKey(key));
    return it == index().keys.end() ? npos : it->second;
}

size_t Profile::sectionInsertPoint(size_t header) const {
    auto it = index().lastKeys.find(header);
    return (it == index().lastKeys.end() ? header : it->second) + 1;
}

void Profile::append(Line line, size_t header) {
    const size_t at = lines_.size();
    if (index_) {
        if (line.header) {
            index_->sections.emplace(lowerKey(line.name), at);
        } else if (line.value) {
            index_->keys.emplace(std::to_string(header) + "\n" + lowerKey(line.name), at);
            index_->lastKeys[header] = at;
        }
    }
    lines_.push_back(std::move(line));
}

bool Profile::hasSection(std::string_view section) const {
    return findSection(section) != npos;
}

bool Profile::hasKey(std::string_view section, std::string_view key) const {
    size_t h = findSection(section);
    return h != npos && findKey(h, key) != npos;
}

std::string Profile::getString(std::string_view section, std::string_view key,
                               std::string_view fallback) const {
    size_t h = findSection(section);
    size_t k = h == npos ? npos : findKey(h, key);
    if (k == npos) return std::string(fallback.substr(0, kMaxValueLength));
    return valueOf(lines_[k].raw);
}

int Profile::getInt(std::string_view section, std::string_view key, int fallback) const {
    if (!hasKey(section, key)) return fallback;
    std::string v = getString(section, key);
    size_t i = 0;
    bool negative = false;
    if (i < v.size() && (v[i] == '-' || v[i] == '+')) negative = v[i++] == '-';
    long long n = 0;
    for (; i < v.size() && std::isdigit(static_cast<unsigned char>(v[i])); ++i)
        n = std::min<long long>(n * 10 + (v[i] - '0'), 1LL << 40);
    if (negative) n = -n;
    return static_cast<int>(std::clamp<long long>(n, INT_MIN, INT_MAX));
}

void Profile::setString(std::string_view section, std::string_view key, std::string_view value) {
    std::string k(trim(key));
    Line line;
    line.raw = k + "=" + std::string(value);
    line.name = k;
    line.value = true;
    size_t h = findSection(section);
    if (h == npos) {
        Line header;
        header.name = std::string(trim(section));
        header.raw = "[" + header.name + "]";
        header.header = true;
        h = lines_.size();
        append(std::move(header), h);
        append(std::move(line), h);
        return;
    }
    size_t at = findKey(h, key);
    if (at != npos) {
        // The key keeps the spelling it has in the file; no line moves.
        line.raw = lines_[at].name + "=" + std::string(value);
        line.name = lines_[at].name;
        lines_[at] = std::move(line);
        return;
    }
    at = sectionInsertPoint(h);
    if (at == lines_.size()) {
        append(std::move(line), h);
        return;
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
    changed();
}

void Profile::setInt(std::string_view section, std::string_view key, int value) {
    setString(section, key, std::to_string(value));
}

void Profile::removeKey(std::string_view section, std::string_view key) {
    size_t h = findSection(section);
    size_t k = h == npos ? npos : findKey(h, key);
    if (k != npos) lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(k));
    changed();
}

void Profile::removeSection(std::string_view section) {
    size_t h = findSection(section);
    if (h == npos) return;
    size_t end = h + 1;
    while (end < lines_.size() && !lines_[end].header)
        ++end;
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(h),
                 lines_.begin() + static_cast<std::ptrdiff_t>(end));
    changed();
}

void Profile::removeSections(const std::function<bool(std::string_view)>& remove) {
    bool removing = false;
    size_t kept = 0;
    for (size_t i = 0; i < lines_.size(); ++i) {
        if (lines_[i].header) removing = remove(lines_[i].name);
        if (removing) continue;
        if (kept != i) lines_[kept] = std::move(lines_[i]);
        ++kept;
    }
    if (kept == lines_.size()) return;
    lines_.resize(kept);
    changed();
}

std::vector<std::string> Profile::sections() const {
    std::vector<std::string> names;
    for (const Line& l : lines_)
        if (l.header && findSection(l.name) == static_cast<size_t>(&l - lines_.data()))
            names.push_back(l.name);
    return names;
}

std::vector<std::string> Profile::keys(std::string_view section) const {
    std::vector<std::string> names;
    size_t h = findSection(section);
    if (h == npos) return names;
    for (size_t i = h + 1; i < lines_.size() && !lines_[i].header; ++i)
        if (lines_[i].value && findKey(h, lines_[i].name) == i) names.push_back(lines_[i].name);
    return names;
}

std::string Profile::text() const {
    std::string out;
    for (const Line& l : lines_) {
        out += l.raw;
        out += '\n';
    }
    return out;
}

bool Profile::saveAs(const std::filesystem::path& path, std::string& error) const {
    std::string t = text();
    return writeFileAtomically(
        path, std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(t.data()), t.size()),
        error);
}

std::filesystem::path userStoreDir() {
    if (const char* dir = std::getenv("LUMAVOX_CONFIG_DIR"); dir && *dir) return dir;
    return userConfigHome() / "lumavox";
}

std::filesystem::path earlierUserStoreDir() {
    return userConfigHome() / "Local AppWizard-Generated Applications" / "LUMAVOX";
}

std::filesystem::path userStorePath() {
    return userStoreDir() / "LUMAVOX.ini";
}

}  // namespace lumavox
