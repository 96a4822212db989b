#include "editing/NewDocument.h"

#include "content/Document.h"

namespace lumavox {

std::string makeNewDocument(const DefaultSignSize& size, SignMode mode, const Clock& clock,
                            WorkArea& work) {
    return makeNewWorkArea(size.width, size.height, static_cast<uint8_t>(size.colourType == 1),
                           kNewDocumentFirstFile, 1, mode, clock, work);
}

}  // namespace lumavox
