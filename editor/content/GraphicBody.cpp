#include "content/GraphicBody.h"

#include <algorithm>
#include <array>

#include "platform/ByteIo.h"
#include "strings/StringTable.h"

namespace lumavox {

namespace {

constexpr uint8_t kGraphicKind = 0x01;
constexpr size_t kHeaderSize = 20;  // up to and including the compression flag
constexpr size_t kCheckSize = 2;

// The dictionary coder's fixed codes and limits.
constexpr unsigned kSymbols = 16;
constexpr unsigned kResetCode = 16;
constexpr unsigned kEndCode = 17;
constexpr unsigned kFirstEntry = 18;
constexpr unsigned kStartWidth = 5;
constexpr unsigned kMaxWidth = 10;
constexpr unsigned kTableSize = 1u << kMaxWidth;

size_t pixelCount(int width, int height) {
    if (width <= 0 || height <= 0) return 0;
    return static_cast<size_t>(width) * static_cast<size_t>(height);
}

// The coder walks width columns of ceil(height / 2) nibbles.
size_t coderNibbleCount(int width, int height) {
    if (width <= 0 || height <= 0) return 0;
    return static_cast<size_t>(width) * ((static_cast<size_t>(height) + 1) / 2);
}

unsigned pixelBits(uint32_t colour) {
    switch (colour) {
        case kPixelRed:
            return 2;
        case kPixelGreen:
            return 1;
        case kPixelYellow:
            return 3;
        default:
            return 0;
    }
}

constexpr std::array<uint32_t, 4> kBitsToColour = {kPixelOff, kPixelGreen, kPixelRed, kPixelYellow};

uint8_t nibbleAt(std::span<const uint8_t> bytes, size_t index) {
    size_t b = index / 2;
    if (b >= bytes.size()) return 0;
    return index % 2 == 0 ? static_cast<uint8_t>(bytes[b] >> 4)
                          : static_cast<uint8_t>(bytes[b] & 0x0F);
}

void setNibble(std::vector<uint8_t>& bytes, size_t index, unsigned value) {
    size_t b = index / 2;
    if (b >= bytes.size()) return;
    if (index % 2 == 0)
        bytes[b] = static_cast<uint8_t>((bytes[b] & 0x0F) | (value << 4));
    else
        bytes[b] = static_cast<uint8_t>((bytes[b] & 0xF0) | value);
}

// Appends codes least-significant bit first; a partly filled last byte is kept.
class CodeWriter {
  public:
    explicit CodeWriter(std::vector<uint8_t>& out) : out_(out) {}
    void put(unsigned code, unsigned width) {
        acc_ |= static_cast<uint32_t>(code) << bits_;
        bits_ += width;
        while (bits_ >= 8) {
            out_.push_back(static_cast<uint8_t>(acc_));
            acc_ >>= 8;
            bits_ -= 8;
        }
    }
    void finish() {
        if (bits_ > 0) out_.push_back(static_cast<uint8_t>(acc_));
        acc_ = 0;
        bits_ = 0;
    }

  private:
    std::vector<uint8_t>& out_;
    uint32_t acc_ = 0;
    unsigned bits_ = 0;
};

// Reads codes least-significant bit first. Bits past the end read as zero, so
// an end code written at the old width just before the decoder widens is still
// seen as the end code.
class CodeReader {
  public:
    explicit CodeReader(std::span<const uint8_t> data) : data_(data) {}
    // True when the next code would start past the last bit of the data.
    bool exhausted() const { return bit_ >= data_.size() * 8; }
    unsigned get(unsigned width) {
        unsigned code = 0;
        for (unsigned i = 0; i < width; ++i, ++bit_) {
            size_t b = bit_ / 8;
            if (b < data_.size() && (data_[b] >> (bit_ % 8)) & 1) code |= 1u << i;
        }
        return code;
    }

  private:
    std::span<const uint8_t> data_;
    size_t bit_ = 0;
};

void writeHeader(ByteWriter& w, const GraphicFile& g, const TimeStamp& stamp, uint16_t length) {
    w.u8(kGraphicKind);
    w.bytes(g.name.bytes.data(), 8);
    w.u16(length);
    auto s = stamp.bytes();
    w.bytes(s.data(), s.size());
}

}  // namespace

size_t packedSize(int width, int height) {
    return (pixelCount(width, height) * 2 + 7) / 8;
}

std::vector<uint8_t> packPixels(const GraphicFile& g) {
    size_t count = pixelCount(g.width, g.height);
    std::vector<uint8_t> packed(packedSize(g.width, g.height), 0);
    size_t available = std::min(count, g.pixels.size());
    for (size_t i = 0; i < available; ++i) {
        unsigned bits = pixelBits(g.pixels[i]);
        packed[i / 4] |= static_cast<uint8_t>(bits << (6 - 2 * (i % 4)));
    }
    return packed;
}

void unpackPixels(std::span<const uint8_t> packed, int width, int height,
                  std::vector<uint32_t>& pixels) {
    size_t count = pixelCount(width, height);
    pixels.assign(count, kPixelOff);
    for (size_t i = 0; i < count; ++i) {
        size_t b = i / 4;
        if (b >= packed.size()) break;
        pixels[i] = kBitsToColour[(packed[b] >> (6 - 2 * (i % 4))) & 3];
    }
}

std::vector<uint8_t> compressPacked(std::span<const uint8_t> packed, int width, int height) {
    std::vector<uint8_t> out;
    CodeWriter writer(out);
    size_t count = coderNibbleCount(width, height);
    if (count == 0) {
        writer.put(kEndCode, kStartWidth);
        writer.finish();
        return out;
    }

    // child[code * 16 + symbol] is the entry (code, symbol), 0 when absent;
    // entries are never below 18, so 0 is free to mean "none".
    std::vector<uint16_t> child(kTableSize * kSymbols, 0);
    unsigned codeWidth = kStartWidth;
    unsigned limit = 1u << kStartWidth;
    unsigned next = kFirstEntry;
    unsigned current = nibbleAt(packed, 0);

    for (size_t i = 1; i < count; ++i) {
        unsigned s = nibbleAt(packed, i);
        uint16_t& slot = child[current * kSymbols + s];
        if (slot != 0) {
            current = slot;
            continue;
        }
        writer.put(current, codeWidth);
        if (next == limit) {
            if (codeWidth == kMaxWidth) {
                // Table full: tell the decoder to start over and begin afresh from s.
                writer.put(kResetCode, codeWidth);
                std::fill(child.begin(), child.end(), 0);
                codeWidth = kStartWidth;
                limit = 1u << kStartWidth;
                next = kFirstEntry;
                current = s;
                continue;
            }
            ++codeWidth;
            limit *= 2;
        }
        slot = static_cast<uint16_t>(next++);
        current = s;
    }
    // The end code goes at the same width as the last code; the decoder may
    // widen in between, and then reads the missing top bit as zero.
    writer.put(current, codeWidth);
    writer.put(kEndCode, codeWidth);
    writer.finish();
    return out;
}

bool decompressPacked(std::span<const uint8_t> data, int width, int height,
                      std::vector<uint8_t>& packed) {
    std::vector<uint8_t> result(packedSize(width, height), 0);
    const size_t capacity = result.size() * 2;  // nibbles that are kept

    // Entry e stands for the string of prefix[e] followed by suffix[e].
    std::array<uint16_t, kTableSize> prefix{};
    std::array<uint8_t, kTableSize> suffix{};
    std::array<uint8_t, kTableSize> first{};    // first symbol of the string
    std::array<uint16_t, kTableSize> length{};  // symbols in the string
    auto firstOf = [&](unsigned code) -> unsigned { return code < kSymbols ? code : first[code]; };
    auto lengthOf = [&](unsigned code) -> size_t { return code < kSymbols ? 1 : length[code]; };

    unsigned codeWidth = kStartWidth;
    unsigned limit = 1u << kStartWidth;
    unsigned next = kFirstEntry;
    bool hasPrevious = false;
    unsigned previous = 0;
    size_t position = 0;  // nibbles produced so far, saturated at the capacity

    CodeReader reader(data);
    for (;;) {
        if (reader.exhausted()) return false;  // the data ran out before the end code
        unsigned code = reader.get(codeWidth);
        if (code == kEndCode) break;
        if (code == kResetCode) {
            codeWidth = kStartWidth;
            limit = 1u << kStartWidth;
            next = kFirstEntry;
            hasPrevious = false;
            continue;
        }

        unsigned head;  // first symbol of this code's string
        if (code < kSymbols || (code >= kFirstEntry && code < next))
            head = firstOf(code);
        else if (code == next && hasPrevious)
            head = firstOf(previous);  // the string being defined right now
        else
            return false;

        if (hasPrevious) {
            // The encoder resets instead of writing a data code into a full table.
            if (next >= kTableSize) return false;
            prefix[next] = static_cast<uint16_t>(previous);
            suffix[next] = static_cast<uint8_t>(head);
            first[next] = static_cast<uint8_t>(firstOf(previous));
            length[next] = static_cast<uint16_t>(lengthOf(previous) + 1);
            ++next;
            if (next == limit && codeWidth < kMaxWidth) {
                ++codeWidth;
                limit *= 2;
            }
        }

        // Write the string back to front by walking its prefix chain; once the
        // output is full only the count is needed, so the walk is skipped.
        size_t n = lengthOf(code);
        if (position < capacity) {
            size_t index = position + n;
            unsigned c = code;
            while (c >= kFirstEntry) {
                --index;
                if (index < capacity) setNibble(result, index, suffix[c]);
                c = prefix[c];
            }
            --index;
            if (index < capacity) setNibble(result, index, c);
        }
        position = std::min(position + n, capacity);
        previous = code;
        hasPrevious = true;
    }
    packed = std::move(result);
    return true;
}

std::vector<uint8_t> encodeGraphicBody(const GraphicFile& g, const Clock& clock) {
    std::vector<uint8_t> packed = packPixels(g);
    std::vector<uint8_t> compressed = compressPacked(packed, g.width, g.height);
    // The compressed form must fit the coder's buffer of width * height bytes and
    // must beat the packed form; otherwise the packed bytes are sent as they are.
    bool useCompressed =
        compressed.size() <= pixelCount(g.width, g.height) && compressed.size() < packed.size();
    const std::vector<uint8_t>& data = useCompressed ? compressed : packed;

    std::vector<uint8_t> body;
    ByteWriter w(body);
    writeHeader(w, g, TimeStamp::now(clock), 0);
    w.u8(static_cast<uint8_t>(g.width));
    w.u8(static_cast<uint8_t>(g.height));
    w.u8(useCompressed ? 1 : 0);
    w.bytes(data.data(), data.size());
    w.patchU16(9, static_cast<uint16_t>(body.size() + kCheckSize));
    w.u16(invertedSum16(body));
    return body;
}

std::vector<uint8_t> encodeGraphicDirEntry(const GraphicFile& g, const Clock& clock) {
    std::vector<uint8_t> entry;
    ByteWriter w(entry);
    writeHeader(w, g, TimeStamp::now(clock), 0);
    return entry;
}

bool decodeGraphicBody(std::span<const uint8_t> body, GraphicFile& out, std::string& error) {
    auto invalid = [&error] {
        error = text(msg::kFileFormatInvalid);
        return false;
    };
    if (body.size() < kHeaderSize + kCheckSize) return invalid();

    ByteReader r(body);
    uint8_t kind = r.u8();
    Name9 name;
    r.bytes(name.bytes.data(), 8);
    uint16_t length = r.u16();
    std::array<uint8_t, 6> stamp{};
    r.bytes(stamp.data(), stamp.size());
    uint8_t width = r.u8();
    uint8_t height = r.u8();
    uint8_t flag = r.u8();
    if (!r.ok() || length < kHeaderSize + kCheckSize || length > body.size()) return invalid();

    // Bytes after the stated length are not part of the body.
    std::span<const uint8_t> whole = body.first(length);
    size_t checkAt = length - kCheckSize;
    uint16_t check = static_cast<uint16_t>(whole[checkAt] | (whole[checkAt + 1] << 8));
    if (check != invertedSum16(whole.first(checkAt))) {
        error = text(msg::kGraphicChecksumError);
        return false;
    }

    if (kind != kGraphicKind || width == 0 || height == 0 || flag > 1) return invalid();
    std::span<const uint8_t> data = whole.subspan(kHeaderSize, checkAt - kHeaderSize);
    std::vector<uint8_t> packed;
    if (flag == 1) {
        if (!decompressPacked(data, width, height, packed)) return invalid();
    } else {
        // Packed data has a fixed size; anything else is not a graphic body.
        if (data.size() != packedSize(width, height)) return invalid();
        packed.assign(data.begin(), data.end());
    }

    GraphicFile g;
    g.kind = kGraphicKind;
    g.reserved = 0;
    g.stamp = TimeStamp::fromBytes(stamp.data());
    g.name = name;
    g.width = width;
    g.height = height;
    unpackPixels(packed, width, height, g.pixels);
    out = std::move(g);
    error.clear();
    return true;
}

}  // namespace lumavox
