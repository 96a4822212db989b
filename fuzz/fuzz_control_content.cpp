// The control's content encoder driven by a random sequence of method calls;
// the counting pass must always agree with the writing pass, and every built
// body must come back whole through the virtual sign's parser.
#include <cstddef>
#include <cstdint>
#include <string>

#include "ControlProtocol.h"
#include "SignContent.h"

namespace {

struct Reader {
    const uint8_t* p;
    size_t n;
    uint8_t byte() {
        if (!n) return 0;
        --n;
        return *p++;
    }
    int16_t i16() { return static_cast<int16_t>(byte() | (byte() << 8)); }
    int32_t i32() { return static_cast<int32_t>(uint32_t(i16()) << 16 | uint16_t(i16())); }
    std::string text() {
        size_t len = byte() % 24;
        std::string s;
        for (size_t i = 0; i < len && n; ++i)
            s.push_back(static_cast<char>(byte()));
        return s;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace lumavox::nvs;
    SignContent c;
    Reader r{data, size};
    c.setSignInfo(r.byte() + 24, r.byte() % 40 + 1, 1);
    for (int step = 0; r.n && step < 400; ++step) {
        switch (r.byte() % 24) {
            case 0:
                c.addRichFile(r.text().c_str());
                break;
            case 1:
                c.addMessage(r.text().c_str());
                break;
            case 2:
                c.addDisplayChar(r.i16());
                break;
            case 3:
                c.setFont(r.i16());
                break;
            case 4:
                c.setColorIndex(r.i16());
                break;
            case 5:
                c.setColorRGB(r.i32(), r.i32());
                break;
            case 6:
                c.setCharProperty(r.i16());
                break;
            case 7:
                c.setMoveMethod(r.i16());
                break;
            case 8:
                c.setSpeed(r.i16());
                break;
            case 9:
                c.setPause(r.i16());
                break;
            case 10: {
                int16_t x = r.i16(), y = r.i16(), w = r.i16(), h = r.i16(), a = r.i16();
                c.addWindow(x, y, w, h, a);
                break;
            }
            case 11:
                c.setFlash(r.byte() & 1);
                break;
            case 12:
                c.insertGraphic(r.text().c_str());
                break;
            case 13:
                c.endWindow();
                break;
            case 14:
                c.addTemperature(r.i16());
                break;
            case 15: {
                int32_t v[7];
                for (auto& x : v)
                    x = r.i32() % 100;
                c.addCounter(v[0] & 63, r.i32(), v[2], v[3], v[4], v[5], v[6]);
                break;
            }
            case 16:
                c.addDateTime(r.i16());
                break;
            case 17:
                c.addNewLine();
                break;
            case 18:
                c.addNewPage();
                break;
            case 19:
                c.addBeep(r.i16());
                break;
            case 20:
                c.setRowSpace(r.i16());
                break;
            case 21:
                c.clear();
                break;
            case 22:
                c.addMessage(nullptr);
                break;
            case 23:
                c.setSignInfo(r.i32(), r.i32(), r.i32());
                break;
        }
    }
    for (const auto& f : c.files()) {
        std::string body = c.body(f);
        if (body.size() != c.bodyLength(f)) __builtin_trap();
        // A body never ends the data command early: every caret is paired with
        // the code that follows it, and "^D" only appears escaped.
        for (size_t i = 0; i < body.size(); ++i) {
            if (body[i] != '^') continue;
            if (i + 1 >= body.size()) __builtin_trap();
            if (body[i + 1] == 'D') __builtin_trap();
            ++i;
        }
        (void)textDataCommand(body);
    }
    return 0;
}
