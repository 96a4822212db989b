// The document file (".glm") and the clipboard item block.
//
//   "KORVANTE VOXLINE" | version i32 | [mode flag i32 | run sequence] (1202 only)
//   | width i32 | height i32 | colour type u8 | 49 reserved bytes
//   | text files | graphic files | schedule tasks        (each an i32 count + records)
//
// Opening either yields a whole work area or nothing, with exactly one error
// message. Saving writes a temporary file and renames it over the old one.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "content/Model.h"

namespace lumavox {

// The sign-size dialog of a new document: the refusal text for a width or
// height below 1, else empty.
std::string checkNewSignSize(int width, int height);

// A new document's work area: the sign size and colour kind, and one text file
// (the name offered is "Main") holding only its end-of-text marker in the given
// font and the family's default colour. Returns the refusal text of the size or
// the name rules, or empty when `work` was made.
std::string makeNewWorkArea(int width, int height, uint8_t colourType,
                            std::string_view firstFileName, uint8_t font, SignMode mode,
                            const Clock& clock, WorkArea& work);

// Largest document file that is read at all; far above the largest real one.
constexpr size_t kMaxDocumentBytes = size_t{512} << 20;

struct OpenOptions {
    SignMode mode = SignMode::KV2;
    // Checks the font file that the document's sign height needs; returns the
    // message to show, or an empty string when the file is usable. Left empty,
    // no check is made.
    std::function<std::string(int signHeight)> fontCheck;
};

struct OpenResult {
    bool ok = false;
    std::string error;                  // the one message of a failed open
    std::vector<std::string> warnings;  // information shown while the open went on
    int32_t version = 0;
    // The family the file says it was saved in (files before 1202 do not say).
    std::optional<SignMode> fileMode;
    WorkArea work;
};

// The font check that looks in the program directory.
std::function<std::string(int)> programDirFontCheck(const std::filesystem::path& programDir);

OpenResult readDocument(std::span<const uint8_t> bytes, const OpenOptions& options);
OpenResult openDocument(const std::filesystem::path& path, const OpenOptions& options);

// Writes the newest version. The stamps of all text and graphic files become now,
// in the file and in `work`.
std::vector<uint8_t> serializeDocument(WorkArea& work, SignMode mode, const Clock& clock);
bool saveDocument(const std::filesystem::path& path, WorkArea& work, SignMode mode,
                  const Clock& clock, std::string& error);

// Clipboard block of the registered format "NEWLUMAVOX Paint": item count,
// version, items.
std::vector<uint8_t> encodeClipboardItems(std::span<const TextItem> items);
bool decodeClipboardItems(std::span<const uint8_t> block, int32_t signHeight, SignMode mode,
                          std::vector<TextItem>& items, std::string& error);

// Plain clipboard text pasted as characters with the attributes at the caret:
// a tab becomes a space, CR LF one CR, and a byte the current font does not hold
// (outside firstCode .. endCode - 1, CR and LF excepted) a "?".
std::vector<TextItem> textToItems(std::string_view text, const CharItem& attributes, int firstCode,
                                  int endCode);

}  // namespace lumavox
