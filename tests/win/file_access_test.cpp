#include "com/com.h"
#include "support/scratch_folder.h"
#include "support/unprivileged_user.h"
#include "text_encoding/utf_conversion.h"
#include "win/file_access.h"
#include "win/module_handle.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using paginor::Utf8ToUtf16;

class FileAccessTest : public testing::Test {
protected:
    void SetUp() override {
        folder_ = scratch_.path();
        // Non-ASCII names prove the UTF-16 -> UTF-8 path on the way to POSIX.
        file_ = folder_ / fs::u8path("r\xC3\xA9sum\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC.pdf");
        std::ofstream(file_) << "%PDF-1.4\n";
    }
    static std::u16string Wide(const fs::path& path) { return Utf8ToUtf16(path.string()); }

    paginor::test_support::ScratchFolder scratch_{"file-access-test"};
    fs::path folder_;
    fs::path file_;
};

struct AccessCase {
    const char* name;
    int mode;
    bool existingFile;
    int result;
    int error;
};

TEST_F(FileAccessTest, AccessChecksModesAndReportsErrno) {
    const AccessCase cases[] = {
        {"exists", 0, true, 0, 0},
        {"readable", 4, true, 0, 0},
        {"writable", 2, true, 0, 0},
        {"read and write", 6, true, 0, 0},
        {"missing file", 4, false, -1, ENOENT},
        {"execute is not a mode", 1, true, -1, EINVAL},
        {"unknown mode", 8, true, -1, EINVAL},
    };
    for (const auto& c : cases) {
        const std::u16string path = Wide(c.existingFile ? file_ : folder_ / "absent.pdf");
        errno = 0;
        EXPECT_EQ(_waccess(path.c_str(), c.mode), c.result) << c.name;
        if (c.result != 0) {
            EXPECT_EQ(errno, c.error) << c.name;
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(c.error)) << c.name;
        }
    }
    errno = 0;
    EXPECT_EQ(_waccess(nullptr, 0), -1);
    EXPECT_EQ(errno, EINVAL);
}

TEST_F(FileAccessTest, UnlinkDeletesAndReportsWhyNot) {
    const std::u16string path = Wide(file_);
    EXPECT_EQ(_wunlink(path.c_str()), 0);
    EXPECT_FALSE(fs::exists(file_));

    struct Case {
        const char* name;
        std::u16string path;
        int error;
    };
    const Case cases[] = {
        {"already gone", path, ENOENT},
        {"a folder", Wide(folder_), EACCES},
        {"missing parent", Wide(folder_ / "no" / "file.pdf"), ENOENT},
    };
    for (const auto& c : cases) {
        errno = 0;
        EXPECT_EQ(_wunlink(c.path.c_str()), -1) << c.name;
        EXPECT_EQ(errno, c.error) << c.name;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(c.error)) << c.name;
    }
    errno = 0;
    EXPECT_EQ(_wunlink(nullptr), -1);
    EXPECT_EQ(errno, EINVAL);
}

// Root ignores folder permissions: as root, the unlink runs as an ordinary
// user, so the refusal is checked in CI too.
TEST_F(FileAccessTest, UnlinkInAReadOnlyFolderFailsAndKeepsTheFile) {
    ASSERT_EQ(paginor::test_support::handOverToUnprivileged(folder_), "");
    fs::permissions(folder_, fs::perms::owner_write, fs::perm_options::remove);
    const auto outcome = paginor::test_support::runUnprivileged([&](std::string& report) {
        errno = 0;
        const int result = _wunlink(Wide(file_).c_str());
        report = std::to_string(result) + " " + std::to_string(errno);
        return 0;
    });
    if (outcome.failure.starts_with("cannot give up root"))
        GTEST_SKIP() << outcome.failure;
    ASSERT_EQ(outcome.failure, "");
    EXPECT_EQ(outcome.report, "-1 " + std::to_string(EACCES)) << "result and errno";
    EXPECT_TRUE(fs::exists(file_));
}

TEST(ModuleHandle, MainProgramAndLoadedModulesOnly) {
    EXPECT_NE(GetModuleHandleW(nullptr), nullptr);
    EXPECT_EQ(GetModuleHandleW(u"KeyBoard"), nullptr); // no such module
    EXPECT_EQ(GetModuleHandleW(u""), nullptr);
    EXPECT_NE(GetModuleHandleW(u"libc.so.6"), nullptr);
}

} // namespace
