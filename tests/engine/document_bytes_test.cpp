// Large files are mapped rather than read. What a mapping must still give:
// the bytes the file held at the open, whatever another program does to the
// file afterwards, and a save that writes exactly those bytes.
#include "engine_test_support.h"

#include "engine/document/document_bytes.h"
#include "engine/document/engine_document.h"

#include "support/scoped_environment.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace engine_test {
namespace {

using paginor::engine::DocumentBytes;
using paginor::test_support::readFile;
using paginor::test_support::ScopedEnvironment;
using paginor::test_support::writeFile;

// Runs `change` on `file` in a child process, as another program would.
void changeFromAnotherProcess(const fs::path& file, void (*change)(const char*)) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        change(file.c_str());
        ::_exit(0);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

std::string contentsOf(int descriptor) {
    std::string text;
    char buffer[65536];
    ::lseek(descriptor, 0, SEEK_SET);
    for (ssize_t got; (got = ::read(descriptor, buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(got));
    return text;
}

struct OnDiskChange {
    const char* name;
    void (*apply)(const char*);
};
void PrintTo(const OnDiskChange& change, std::ostream* out) {
    *out << change.name;
}

class MappedBytes : public ::testing::TestWithParam<OnDiskChange> {
protected:
    ScopedEnvironment mapEverything_{"PAGINOR_MAP_FILES_FROM", "1"};
};

TEST_P(MappedBytes, KeepTheOpenedContentWhenAnotherProgramChangesTheFile) {
    ScratchFolder scratch;
    const fs::path file = scratch / "form.pdf";
    const std::string opened = readFile(examplePath("sample-form.pdf"));
    writeFile(file, opened);
    auto bytes = DocumentBytes::fromFile(file.string());
    ASSERT_TRUE(bytes->mapped());
    bytes->append("%spare objects\n");
    EXPECT_EQ(bytes->all(), opened + "%spare objects\n");

    changeFromAnotherProcess(file, GetParam().apply);

    EXPECT_EQ(bytes->original(), opened);
    EXPECT_EQ(bytes->all(), opened + "%spare objects\n");
    EXPECT_TRUE(bytes->isIntact());
    // Beside the file, and on another file system when there is one
    // (copy_file_range refuses to cross file systems).
    std::vector<fs::path> copies{scratch / "copy.pdf"};
    struct stat here {
    }, shm{};
    if (::stat(scratch.path().c_str(), &here) == 0 && ::stat("/dev/shm", &shm) == 0 &&
        here.st_dev != shm.st_dev) {
        copies.push_back(fs::path("/dev/shm") / ("paginor-copy-" + std::to_string(::getpid())));
    }
    for (const fs::path& copy : copies) {
        SCOPED_TRACE(copy.string());
        const int out = ::open(copy.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(out, 0);
        bytes->writeOriginalTo(out);
        EXPECT_EQ(contentsOf(out), opened);
        ::close(out);
        fs::remove(copy);
    }
}

INSTANTIATE_TEST_SUITE_P(Changes, MappedBytes,
                         ::testing::Values(OnDiskChange{"Truncated",
                                                        [](const char* path) {
                                                            ::close(
                                                                ::open(path, O_WRONLY | O_TRUNC));
                                                        }},
                                           OnDiskChange{"OverwrittenInPlace",
                                                        [](const char* path) {
                                                            const int fd = ::open(path, O_WRONLY);
                                                            const std::string junk(4096, 'x');
                                                            if (::pwrite(fd, junk.data(),
                                                                         junk.size(), 0) != 4096)
                                                                ::_exit(1);
                                                            ::close(fd);
                                                        }},
                                           OnDiskChange{"Unchanged", [](const char*) {}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DocumentBytesChoice, SmallFilesAndFilesOpenForWritingAreRead) {
    ScratchFolder scratch;
    const fs::path file = scratch / "form.pdf";
    const std::string content = readFile(examplePath("sample-form.pdf"));
    writeFile(file, content);
    {
        // Below the default size: a copy.
        auto bytes = DocumentBytes::fromFile(file.string());
        EXPECT_FALSE(bytes->mapped());
        EXPECT_EQ(bytes->original(), content);
    }
    ScopedEnvironment mapEverything("PAGINOR_MAP_FILES_FROM", "1");
    {
        // Someone has it open for writing: no lease, so no mapping.
        const int writer = ::open(file.c_str(), O_WRONLY);
        ASSERT_GE(writer, 0);
        auto bytes = DocumentBytes::fromFile(file.string());
        EXPECT_FALSE(bytes->mapped());
        EXPECT_EQ(bytes->original(), content);
        ::close(writer);
    }
    // The same file mapped twice is known to be the same without reading
    // it; a copy elsewhere is compared byte by byte.
    const fs::path other = scratch / "other.pdf";
    writeFile(other, content);
    const fs::path different = scratch / "different.pdf";
    std::string changed = content;
    changed[changed.size() / 2] ^= 1; // the same size, one byte apart
    writeFile(different, changed);
    auto first = DocumentBytes::fromFile(file.string());
    auto second = DocumentBytes::fromFile(file.string());
    ASSERT_TRUE(first->mapped() && second->mapped());
    EXPECT_TRUE(first->sameOriginalAs(*second));
    EXPECT_TRUE(first->sameOriginalAs(*DocumentBytes::fromFile(other.string())));
    EXPECT_FALSE(first->sameOriginalAs(*DocumentBytes::fromFile(different.string())));
    EXPECT_TRUE(first->sameOriginalAs(*DocumentBytes::fromMemory(content)));
}

} // namespace
} // namespace engine_test
