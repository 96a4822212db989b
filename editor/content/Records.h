// The stored form of the content records inside the document file and the
// clipboard block. Records carry no version of their own: they are read with the
// version of the enclosing document and always written in the newest form.
#pragma once

#include <cstdint>

#include "content/Model.h"
#include "platform/ByteIo.h"

namespace lumavox {

constexpr int32_t kDocumentVersion = 1202;

struct RecordContext {
    int32_t version = kDocumentVersion;
    int32_t signHeight = 16;        // fonts above the height's font limit are repaired
    SignMode mode = SignMode::KV2;  // colours outside the mode's table are repaired
};

void writeTextItem(ByteWriter& w, const TextItem& item);
bool readTextItem(ByteReader& r, const RecordContext& ctx, TextItem& item);

// The file's stamp is written as `now`.
void writeTextFile(ByteWriter& w, const TextFile& file, const TimeStamp& now);
bool readTextFile(ByteReader& r, const RecordContext& ctx, TextFile& file);

void writeGraphic(ByteWriter& w, const GraphicFile& g, const TimeStamp& now);
bool readGraphic(ByteReader& r, const RecordContext& ctx, GraphicFile& g);

}  // namespace lumavox
