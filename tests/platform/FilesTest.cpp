// Whole-file and header reading: only regular files are read, and nothing
// waits for a writer that never comes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <future>
#include <set>

#include "platform/Files.h"
#include "support/TestSupport.h"

using namespace lumavox;
using namespace lumavox::test;

namespace {

struct ReadResult {
    bool ok = false;
    std::string error;
};

// Reads `path` on another thread. Should the read hang on a FIFO, a writer is
// opened and closed so the thread ends (and the test fails) instead of hanging.
ReadResult readGuarded(const std::filesystem::path& path, bool head) {
    auto job = std::async(std::launch::async, [path, head] {
        ReadResult r;
        std::vector<uint8_t> bytes;
        r.ok = head ? readFileHead(path, 16, bytes, r.error)
                    : readWholeFile(path, 1 << 20, bytes, r.error);
        return r;
    });
    if (job.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
        ADD_FAILURE() << path << ": the read waited for a writer";
        int w = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);
        if (w >= 0) ::close(w);
    }
    return job.get();
}

TEST(Files, AFifoIsRefusedAtOnce) {
    TempDir dir;
    const auto fifo = dir / "x.glm";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (bool head : {false, true}) {
        ReadResult r = readGuarded(fifo, head);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.error, "not a regular file");
    }
}

TEST(Files, DevicesAndFoldersAreRefusedWithTheirOwnReason) {
    std::vector<uint8_t> bytes{1, 2, 3};
    std::string error;
    // A device reports no stale system error: its own reason.
    errno = ENOSPC;
    EXPECT_FALSE(readWholeFile("/dev/zero", 1 << 20, bytes, error));
    EXPECT_EQ(error, "not a regular file");
    EXPECT_FALSE(readFileHead("/dev/zero", 16, bytes, error));
    EXPECT_EQ(error, "not a regular file");
    TempDir dir;
    EXPECT_FALSE(readWholeFile(dir.path(), 1 << 20, bytes, error));
    EXPECT_EQ(error, "is a directory");
    EXPECT_FALSE(readWholeFile(dir / "none", 1 << 20, bytes, error));
    EXPECT_EQ(error, "No such file or directory");
    EXPECT_EQ(bytes, (std::vector<uint8_t>{1, 2, 3}));  // untouched by the failures
}

TEST(Files, TheHeadIsTheFrontOfTheFile) {
    TempDir dir;
    std::ofstream(dir / "f.bin") << "0123456789abcdefXYZ";
    std::ofstream(dir / "short.bin") << "abc";
    std::vector<uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(readFileHead(dir / "f.bin", 16, bytes, error)) << error;
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "0123456789abcdef");
    ASSERT_TRUE(readFileHead(dir / "short.bin", 16, bytes, error)) << error;
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "abc");
    ASSERT_TRUE(readWholeFile(dir / "f.bin", 19, bytes, error));
    EXPECT_EQ(bytes.size(), 19u);
    EXPECT_FALSE(readWholeFile(dir / "f.bin", 18, bytes, error));
    EXPECT_EQ(error, "file too large");
}

TEST(Files, AWorkingFileIsReplacedWholeWithoutFlushing) {
    TempDir dir;
    std::ofstream(dir / "w.bmp") << "old contents";
    const std::vector<uint8_t> data{'n', 'e', 'w'};
    std::string error;
    ASSERT_TRUE(writeFileAtomically(dir / "w.bmp", data, error, false)) << error;
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(readWholeFile(dir / "w.bmp", 100, bytes, error)) << error;
    EXPECT_EQ(bytes, data);
    // No temporary file is left beside it, and a missing folder is a failure.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
    EXPECT_FALSE(writeFileAtomically(dir / "none" / "w.bmp", data, error, false));
    EXPECT_NE(error.find("create temporary file"), std::string::npos) << error;
}

TEST(Files, AFileReadPieceByPieceGivesItsBytesAndItsFailures) {
    TempDir dir;
    std::ofstream(dir / "f.bin") << "0123456789abcdefXYZ";
    FileByteSource source;
    std::string error;
    EXPECT_FALSE(source.open(dir / "f.bin", 18, error));
    EXPECT_EQ(error, "file too large");
    EXPECT_FALSE(source.open(dir.path(), 100, error));
    EXPECT_EQ(error, "is a directory");
    ASSERT_TRUE(source.open(dir / "f.bin", 19, error)) << error;
    ByteReader r(source, 4);
    std::string read;
    while (r.remaining())
        read += static_cast<char>(r.u8());
    EXPECT_EQ(read, "0123456789abcdefXYZ");
    EXPECT_TRUE(r.ok());
    EXPECT_TRUE(source.error().empty());

    // A file cut short after it was opened is a read failure, not an end.
    ASSERT_TRUE(source.open(dir / "f.bin", 100, error));
    std::filesystem::resize_file(dir / "f.bin", 5);
    ByteReader cut(source, 4);
    cut.skip(10);
    EXPECT_FALSE(cut.ok());
    EXPECT_EQ(source.error(), "file changed while reading");
}

TEST(Files, AnAtomicWriterReplacesTheFileOnlyWhenCommitted) {
    TempDir dir;
    std::ofstream(dir / "doc") << "old";
    ::chmod((dir / "doc").c_str(), 0600);
    auto entries = [&] {
        int n = 0;
        for (auto& e : std::filesystem::directory_iterator(dir.path()))
            (void)e, ++n;
        return n;
    };
    std::vector<uint8_t> bytes;
    std::string error;
    {
        AtomicFileWriter dropped(dir / "doc");
        ASSERT_TRUE(dropped.open(error)) << error;
        const uint8_t part[] = {'n', 'e', 'w'};
        EXPECT_TRUE(dropped.write(part));
        EXPECT_EQ(entries(), 2);  // the temporary file beside the old one
    }
    EXPECT_EQ(entries(), 1);
    ASSERT_TRUE(readWholeFile(dir / "doc", 100, bytes, error));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "old");

    AtomicFileWriter writer(dir / "doc");
    ASSERT_TRUE(writer.open(error)) << error;
    for (const char* piece : {"ne", "w ", "text"})
        EXPECT_TRUE(
            writer.write(std::span(reinterpret_cast<const uint8_t*>(piece), std::strlen(piece))));
    ASSERT_TRUE(writer.commit(error)) << error;
    ASSERT_TRUE(readWholeFile(dir / "doc", 100, bytes, error));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "new text");
    struct stat st {};
    ASSERT_EQ(::stat((dir / "doc").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);  // the replaced file's permissions
    EXPECT_EQ(entries(), 1);

    // A writer that never opened refuses writes and the commit.
    AtomicFileWriter unopened(dir / "other");
    EXPECT_FALSE(unopened.write(std::span<const uint8_t>()));
    EXPECT_FALSE(unopened.commit(error));
    EXPECT_FALSE(std::filesystem::exists(dir / "other"));
}

std::string contents(const std::filesystem::path& path) {
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_TRUE(readWholeFile(path, 1000, bytes, error)) << path << ": " << error;
    return std::string(bytes.begin(), bytes.end());
}

bool save(const std::filesystem::path& path, const std::string& text) {
    std::string error;
    bool ok = writeFileAtomically(
        path, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()), error);
    EXPECT_TRUE(ok) << error;
    return ok;
}

std::set<std::string> names(const std::filesystem::path& dir) {
    std::set<std::string> found;
    for (auto& e : std::filesystem::directory_iterator(dir))
        found.insert(e.path().filename().string());
    return found;
}

TEST(Files, TheNextSaveRemovesTheTemporaryFilesOfKilledSavesButNotOfLiveOnes) {
    TempDir dir;
    std::ofstream(dir / "doc") << "old";
    // Two saves of the document killed midway: each process ends without a
    // chance to clean up, as under SIGKILL.
    for (int i = 0; i < 2; ++i) {
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            AtomicFileWriter killed(dir / "doc");
            std::string error;
            const uint8_t part[] = {'h', 'a', 'l', 'f'};
            ::_exit(killed.open(error) && killed.write(part) ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    // The second killed save removed the first one's leftover; its own stays.
    auto left = names(dir.path());
    ASSERT_EQ(left.size(), 2u);
    left.erase("doc");
    const std::string leftover = *left.begin();
    EXPECT_EQ(leftover.rfind(".doc.", 0), 0u) << leftover;
    // Names of the same shape that are not this document's leftovers.
    for (const char* other : {".other.AbC123", ".doc.AbC1234", ".doc.AbC12", "doc.AbC123"})
        std::ofstream(dir / other) << "keep";

    // A save of the document in progress in this process.
    AtomicFileWriter live(dir / "doc");
    std::string error;
    ASSERT_TRUE(live.open(error)) << error;
    auto before = names(dir.path());
    EXPECT_EQ(before.size(), 6u);  // the leftover went, the live one came
    EXPECT_EQ(before.count(leftover), 0u);

    ASSERT_TRUE(save(dir / "doc", "new"));
    EXPECT_EQ(names(dir.path()), before);  // the live save's file is held, so kept
    EXPECT_EQ(contents(dir / "doc"), "new");

    const uint8_t last[] = {'l', 'a', 's', 't'};
    EXPECT_TRUE(live.write(last));
    ASSERT_TRUE(live.commit(error)) << error;
    EXPECT_EQ(contents(dir / "doc"), "last");
    EXPECT_EQ(names(dir.path()), (std::set<std::string>{"doc", ".other.AbC123", ".doc.AbC1234",
                                                        ".doc.AbC12", "doc.AbC123"}));
}

TEST(Files, ASaveThroughASymbolicLinkReplacesItsTargetAndKeepsTheLink) {
    TempDir dir;
    std::filesystem::create_directory(dir / "real");
    std::ofstream(dir / "real" / "doc") << "old";
    // A relative link to a relative link, and an absolute link.
    std::filesystem::create_symlink("real/doc", dir / "hop");
    std::filesystem::create_symlink("hop", dir / "link");
    std::filesystem::create_symlink(dir / "real" / "doc", dir / "absolute");

    ASSERT_TRUE(save(dir / "link", "through two links"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "hop"));
    EXPECT_EQ(contents(dir / "real" / "doc"), "through two links");
    ASSERT_TRUE(save(dir / "absolute", "absolute"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "absolute"));
    EXPECT_EQ(contents(dir / "real" / "doc"), "absolute");
    // The temporary file was made beside the target, and nothing was left.
    EXPECT_EQ(names(dir / "real"), std::set<std::string>{"doc"});

    // A link to a file not yet there creates it.
    std::filesystem::create_symlink("real/new", dir / "dangling");
    ASSERT_TRUE(save(dir / "dangling", "created"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "dangling"));
    EXPECT_EQ(contents(dir / "real" / "new"), "created");

    // A loop of links is refused, and nothing is written.
    std::filesystem::create_symlink("loop2", dir / "loop1");
    std::filesystem::create_symlink("loop1", dir / "loop2");
    std::string error;
    const uint8_t data[] = {'x'};
    EXPECT_FALSE(writeFileAtomically(dir / "loop1", data, error));
    EXPECT_NE(error.find("symbolic links"), std::string::npos) << error;
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "loop1"));
}

}  // namespace
