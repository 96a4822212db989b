// Build step: writes the built-in English language file and the default
// language setting, byte for byte as the language layer makes them, so that the
// program can carry them.
#include <cstdio>
#include <span>
#include <string>

#include "app/LanguageManager.h"
#include "platform/Files.h"

namespace {

bool write(const char* path, const std::string& text) {
    std::string error;
    if (lumavox::writeFileAtomically(
            path,
            std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size()),
            error))
        return true;
    std::fprintf(stderr, "%s: %s\n", path, error.c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s ENGLISH_FILE LANGUAGE_SETTING_FILE\n", argv[0]);
        return 2;
    }
    bool ok = write(argv[1], lumavox::builtInEnglishLanguageFile()) &&
              write(argv[2], lumavox::builtInLanguageSetting());
    return ok ? 0 : 1;
}
