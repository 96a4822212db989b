// The work area as JSON: written for scripts and for checking documents by eye,
// and read back to make a document from it.
//
// What the writer prints is exactly what the reader takes: writing a work area
// and reading the text back gives the same work area, and saving both at the
// same time gives the same document bytes. Next to the numbers the writer
// prints their display names ("type", "colourName", "label" ...); the reader
// accepts a display name in place of its number and checks that the two agree
// when both are given, so a hand-written message can be short.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "content/Model.h"
#include "content/TextGraphics.h"

namespace lumavox {

// `mode` is the program's family the work area was read in (it names the
// colours); `documentMode`, when known, the family the document file says it
// was saved in.
void dumpWorkAreaJson(const WorkArea& work, SignMode mode, int32_t version,
                      const std::vector<std::string>& warnings, std::ostream& out,
                      std::optional<SignMode> documentMode = std::nullopt);

struct WorkAreaFromJson {
    WorkArea work;
    SignMode mode = SignMode::KV2;          // the family the values were checked in
    SignMode documentMode = SignMode::KV2;  // the family to write into the document
    // The latest stamp of a text or graphic file given: a document stamps every
    // file with the time it was saved, so saving at this time again gives the
    // same bytes. Empty when the text gives no stamp.
    std::optional<CalendarTime> savedAt;
    // The texts drawn as graphics, in the order they were written.
    std::vector<ConvertedText> converted;
};

// Makes the painter that draws text the sign's fonts lack for a work area of
// this sign height in this family.
using TextPainterFactory =
    std::function<std::unique_ptr<TextPainter>(int signHeight, SignMode mode)>;

// Reads a work area from JSON. The text's "family" (else `programMode`) decides
// the colour table and the row-pitch cap; its "documentFamily" (else the same)
// the family written into the document. Unknown keys, values of the wrong type
// and values out of range are refused: `error` holds the JSON path and the
// reason ("$.textFiles[2].items[5].speed: must be 1..8") and `out` is unchanged.
// A file whose items do not end with the end-of-text marker (a CR character)
// gets one with the attributes of its last character.
//
// A character item's "text" may hold any characters. Those the sign's
// character set holds become character items (a C1 control character
// U+0080-U+009F stands for the sign code of its value, as the writer prints
// codes 128-159); runs it lacks are drawn with `painters` into new graphics
// (content/TextGraphics.h) after the document's own graphics, with graphic
// items in their place, and listed in `converted`. Without `painters` such a
// text is refused.
bool readWorkAreaJson(std::string_view text, SignMode programMode, WorkAreaFromJson& out,
                      std::string& error, const TextPainterFactory* painters = nullptr);

}  // namespace lumavox
