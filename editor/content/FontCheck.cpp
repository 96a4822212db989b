#include "content/FontCheck.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "content/Prompter.h"
#include "strings/StringTable.h"
#include "strings/TextFormat.h"

namespace lumavox {

namespace {

// The file-error causes and their fixed names, as shown after the messages of
// a failed header check.
enum FileCause : int {
    kCauseNone = 0,
    kCauseGeneric = 1,
    kCauseFileNotFound = 2,
    kCauseBadPath = 3,
    kCauseTooManyOpenFiles = 4,
    kCauseAccessDenied = 5,
    kCauseInvalidFile = 6,
    kCauseRemoveCurrentDir = 7,
    kCauseDirectoryFull = 8,
    kCauseBadSeek = 9,
    kCauseHardIO = 10,
    kCauseSharingViolation = 11,
    kCauseLockViolation = 12,
    kCauseDiskFull = 13,
    kCauseEndOfFile = 14,
};

const char* causeName(int cause) {
    static const char* const kNames[] = {
        "none",         "generic",          "fileNotFound",     "badPath",       "tooManyOpenFiles",
        "accessDenied", "invalidFile",      "removeCurrentDir", "directoryFull", "badSeek",
        "hardIO",       "sharingViolation", "lockViolation",    "diskFull",      "endOfFile",
    };
    return cause >= 0 && cause < static_cast<int>(std::size(kNames)) ? kNames[cause] : "";
}

int causeOf(int error) {
    switch (error) {
        case 0:
            return kCauseNone;
        case ENOENT:
            return kCauseFileNotFound;
        case ENOTDIR:
        case ENAMETOOLONG:
        case ELOOP:
            return kCauseBadPath;
        case EMFILE:
        case ENFILE:
            return kCauseTooManyOpenFiles;
        case EACCES:
        case EPERM:
        case EISDIR:  // a folder cannot be opened as a file
        case EROFS:
            return kCauseAccessDenied;
        case EBADF:
            return kCauseInvalidFile;
        case ESPIPE:
            return kCauseBadSeek;
        case EIO:
            return kCauseHardIO;
        case EBUSY:
        case ETXTBSY:
            return kCauseSharingViolation;
        case ENOSPC:
            return kCauseDiskFull;
        default:
            return kCauseGeneric;
    }
}

void show(Prompter* prompter, int id, const std::string& detail) {
    if (prompter) prompter->message(formatText("%s-%s", {text(id), detail}), Icon::None);
}

}  // namespace

bool checkFontFileHeader(const std::filesystem::path& path, Prompter* prompter) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (fd >= 0 && ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        fd = -1;
        errno = EISDIR;
    }
    if (fd < 0) {
        show(prompter, msg::kFontCantOpen, causeName(causeOf(errno)));
        return false;
    }
    uint8_t head[8] = {};
    size_t got = 0;
    while (got < sizeof head) {
        ssize_t n = ::read(fd, head + got, sizeof head - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            int error = errno;
            ::close(fd);
            show(prompter, msg::kFontReadError, causeName(causeOf(error)));
            return false;
        }
        if (n == 0) break;
        got += static_cast<size_t>(n);
    }
    off_t length = ::fstat(fd, &st) == 0 ? st.st_size : static_cast<off_t>(got);
    ::close(fd);
    if (length < 9 || got < sizeof head || std::memcmp(head, kFontMagic.data(), 8) != 0) {
        std::string found;
        for (size_t i = 0; i < got && head[i] != 0; ++i)
            found += static_cast<char>(head[i]);
        show(prompter, msg::kFontHeadError, found);
        return false;
    }
    return true;
}

const char* fontFileNameForHeight(int signHeight) {
    if (signHeight <= 16) return "KV2fnt.bin";
    if (signHeight <= 24) return "KV3fnt.bin";
    return "KV4fnt.bin";
}

FontFileCheck checkFontFile(const std::filesystem::path& programDir, int signHeight,
                            Prompter* prompter) {
    FontFileCheck check;
    check.path = programDir / fontFileNameForHeight(signHeight);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(check.path, ec))
        check.status = FontFileStatus::Missing;
    else if (!checkFontFileHeader(check.path, prompter))
        check.status = FontFileStatus::Invalid;
    else
        check.status = FontFileStatus::Ok;
    return check;
}

std::string fontFileCheckMessage(const FontFileCheck& check) {
    switch (check.status) {
        case FontFileStatus::Missing:
            return textf(msg::kFontFileMissing, {check.path.string()});
        case FontFileStatus::Invalid:
            return textf(msg::kFontFileInvalid, {check.path.string()});
        default:
            return {};
    }
}

}  // namespace lumavox
