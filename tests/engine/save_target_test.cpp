// Where a save goes and what it leaves behind: symbolic links in shared
// sticky folders (two users, by switching the thread's file-system identity),
// target names of the longest legal length, the temporary files of killed
// saves, and the owner, mode and hard links of a replaced file.
#include "automation_contract/automation_values.h"
#include "engine_test_support.h"

#include "support/scratch_folder.h"

#include <gtest/gtest.h>

#include <sys/file.h>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <fcntl.h>

namespace engine_test {
namespace {

using paginor::test_support::readFile;
using paginor::test_support::writeFile;

std::vector<std::string> entriesOf(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Runs file-system checks of this thread as `user` while it lives.
class ActingAs {
public:
    explicit ActingAs(uid_t user) : previous_(static_cast<uid_t>(::setfsuid(user))) {}
    ~ActingAs() { ::setfsuid(previous_); }
    ActingAs(const ActingAs&) = delete;
    ActingAs& operator=(const ActingAs&) = delete;

private:
    uid_t previous_;
};

struct LinkCase {
    const char* name;
    uid_t folderOwner;
    mode_t folderMode;
    uid_t linkOwner;
    uid_t saver;
    bool followed;
};

class StickyFolderLinks : public ::testing::TestWithParam<LinkCase> {};

TEST_P(StickyFolderLinks, AreFollowedOnlyForTheSaverOrTheFolderOwner) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to act as several users";
    }
    const LinkCase& c = GetParam();
    ScratchFolder scratch;
    ::chmod(scratch.path().c_str(), 0755);
    const fs::path shared = scratch / "shared";
    const fs::path victims = scratch / "victims";
    fs::create_directory(shared);
    fs::create_directory(victims);
    ::chown(shared.c_str(), c.folderOwner, c.folderOwner);
    ::chmod(shared.c_str(), c.folderMode);
    ::chmod(victims.c_str(), 0777);
    const fs::path victim = victims / "victim.pdf";
    writeFile(victim, "the victim's own data");
    const fs::path link = shared / "report.pdf";
    fs::create_symlink(victim, link);
    ASSERT_EQ(::lchown(link.c_str(), c.linkOwner, c.linkOwner), 0);

    auto document = openDocument(examplePath("text.pdf"));
    VARIANT_BOOL answer = VARIANT_FALSE;
    HRESULT status = S_OK;
    {
        ActingAs saver(c.saver);
        status = document->Save(kSaveFull | kSaveCopy, bstr(link.string()).get(), &answer);
    }
    EXPECT_TRUE(fs::is_symlink(link)) << "the link itself is never replaced";
    if (c.followed) {
        EXPECT_EQ(status, S_OK) << lastErrorDescription();
        EXPECT_EQ(readFile(victim).rfind("%PDF-", 0), 0u);
    } else {
        EXPECT_EQ(status, E_ACCESSDENIED);
        EXPECT_EQ(lastErrorDescription(),
                  "Cannot write " + link.string() + ": " + link.string() +
                      " is a symbolic link that another user owns in the shared folder " +
                      shared.string() + "; it is not followed");
        EXPECT_EQ(readFile(victim), "the victim's own data");
    }
    EXPECT_EQ(entriesOf(victims), std::vector<std::string>{"victim.pdf"});
}

INSTANTIATE_TEST_SUITE_P(
    Owners, StickyFolderLinks,
    ::testing::Values(
        LinkCase{"AnotherUsersLinkInASharedFolder", 0, 01777, 1001, 1000, false},
        LinkCase{"TheSaversOwnLink", 0, 01777, 1000, 1000, true},
        LinkCase{"TheFolderOwnersLink", 1002, 01777, 1002, 1000, true},
        // As the kernel's rule: the folder's owner does not follow others' links either.
        LinkCase{"AnotherUsersLinkInTheSaversOwnSharedFolder", 1000, 01777, 1001, 1000, false},
        LinkCase{"AnotherUsersLinkInAFolderThatIsNotSticky", 0, 0777, 1001, 1000, true},
        LinkCase{"AnotherUsersLinkInASharedFolderSavedByRoot", 1002, 01777, 1001, 0, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SaveTarget, ALinkChainEndsInTheFileAndEveryLinkStays) {
    ScratchFolder folder;
    writeFile(folder / "real.pdf", "old");
    fs::create_symlink("real.pdf", folder / "one.pdf");
    fs::create_symlink(folder / "one.pdf", folder / "two.pdf");
    auto document = openDocument(examplePath("text.pdf"));
    ASSERT_TRUE(save(document.get(), kSaveFull | kSaveCopy, folder / "two.pdf"))
        << lastErrorDescription();
    EXPECT_EQ(readFile(folder / "real.pdf").rfind("%PDF-", 0), 0u);
    EXPECT_TRUE(fs::is_symlink(folder / "one.pdf"));
    EXPECT_TRUE(fs::is_symlink(folder / "two.pdf"));
    EXPECT_EQ(entriesOf(folder.path()),
              (std::vector<std::string>{"one.pdf", "real.pdf", "two.pdf"}));
}

TEST(SaveTarget, ALinkLoopFailsWithTheSystemsReason) {
    ScratchFolder folder;
    fs::create_symlink("b.pdf", folder / "a.pdf");
    fs::create_symlink("a.pdf", folder / "b.pdf");
    auto document = openDocument(examplePath("text.pdf"));
    EXPECT_FALSE(save(document.get(), kSaveFull | kSaveCopy, folder / "a.pdf"));
    EXPECT_EQ(lastErrorDescription(), "Cannot write " + (folder / "a.pdf").string() +
                                          ": Too many levels of symbolic links");
}

TEST(SaveTarget, TheLongestLegalNameSavesAsAndInPlace) {
    ScratchFolder folder;
    const std::string name = std::string(251, 'n') + ".pdf"; // 255 bytes
    const fs::path target = folder / name;
    auto document = openDocument(examplePath("sample-form.pdf"));
    ASSERT_TRUE(save(document.get(), kSaveFull, target)) << lastErrorDescription();
    ASSERT_TRUE(save(document.get(), kSaveFull, "")) << lastErrorDescription();
    EXPECT_EQ(entriesOf(folder.path()), std::vector<std::string>{name});
    auto reread = openDocument(target);
    EXPECT_EQ(pageCount(reread.get()), 2);
}

// Sets the file's modification time `seconds` into the past.
void age(const fs::path& path, int seconds) {
    const timeval now{::time(nullptr) - seconds, 0};
    const timeval times[2] = {now, now};
    ::utimes(path.c_str(), times);
}

TEST(SaveTarget, RemovesTheTemporaryFilesOfKilledSavesAndNothingElse) {
    ScratchFolder folder;
    const fs::path abandoned = folder / ".paginor-save-Abandon1";
    const fs::path fresh = folder / ".paginor-save-Running1";
    const fs::path locked = folder / ".paginor-save-Locked01";
    const fs::path otherName = folder / ".paginor-save-TooLongName";
    const fs::path folderLike = folder / ".paginor-save-Folder01";
    for (const auto& path : {abandoned, fresh, locked, otherName}) {
        writeFile(path, "partial");
    }
    fs::create_directory(folderLike);
    for (const auto& path : {abandoned, locked, otherName, folderLike}) {
        age(path, 3600);
    }
    // A save still running holds the lock on its file.
    const int holder = ::open(locked.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);

    auto document = openDocument(examplePath("text.pdf"));
    ASSERT_TRUE(save(document.get(), kSaveFull | kSaveCopy, folder / "out.pdf"))
        << lastErrorDescription();
    ::close(holder);
    EXPECT_EQ(entriesOf(folder.path()),
              (std::vector<std::string>{".paginor-save-Folder01", ".paginor-save-Locked01",
                                        ".paginor-save-Running1", ".paginor-save-TooLongName",
                                        "out.pdf"}));
}

TEST(SaveTarget, AReplacedFileKeepsItsModeAndOwnerAndOtherHardLinksKeepTheOldContent) {
    ScratchFolder folder;
    const fs::path target = folder / "kept.pdf";
    const fs::path otherLink = folder / "hard-link.pdf";
    writeFile(target, "old content");
    ASSERT_EQ(::link(target.c_str(), otherLink.c_str()), 0);
    ::chmod(target.c_str(), 0640);
    const bool root = ::geteuid() == 0;
    if (root) {
        ::chown(target.c_str(), 1234, 5678);
    }
    auto document = openDocument(examplePath("text.pdf"));
    ASSERT_TRUE(save(document.get(), kSaveFull | kSaveCopy, target)) << lastErrorDescription();
    struct stat status {};
    ASSERT_EQ(::stat(target.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
    if (root) {
        EXPECT_EQ(status.st_uid, 1234u);
        EXPECT_EQ(status.st_gid, 5678u);
    }
    EXPECT_EQ(status.st_nlink, 1u);
    EXPECT_EQ(readFile(otherLink), "old content");
}

} // namespace
} // namespace engine_test
