// The shared test support itself: the process runner's output, input, exit
// status and time limit, scratch folders that go away even when read-only,
// and the corpus locator.
#include "support/corpus.h"
#include "support/process_runner.h"
#include "support/scratch_folder.h"
#include "support/unprivileged_user.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

namespace {

namespace fs = std::filesystem;
using namespace paginor::test_support;

struct RunCase {
    const char* name;
    std::string script; // for sh -c
    std::string input;
    std::string out;
    std::string err;
    int exitCode;
};

TEST(ProcessRunner, CapturesOutputErrorsAndStatus) {
    const RunCase cases[] = {
        {"both outputs", "echo out; echo err >&2", "", "out\n", "err\n", 0},
        {"exit status", "exit 7", "", "", "", 7},
        {"input", "cat; echo end", "line 1\nline 2\n", "line 1\nline 2\nend\n", "", 0},
        {"no input is end of file", "cat; echo end", "", "end\n", "", 0},
        {"input left unread", "exit 0", std::string(1 << 20, 'x'), "", "", 0},
        {"large output", "head -c 300000 /dev/zero | tr '\\0' y", "", std::string(300000, 'y'), "",
         0},
    };
    for (const RunCase& c : cases) {
        ProcessOptions options;
        options.standardInput = c.input;
        const ProcessResult result = runProcess("sh", {"-c", c.script}, options);
        EXPECT_EQ(result.exitCode, c.exitCode) << c.name;
        EXPECT_EQ(result.out, c.out) << c.name;
        EXPECT_EQ(result.err, c.err) << c.name;
        EXPECT_FALSE(result.timedOut) << c.name;
    }
}

TEST(ProcessRunner, EndsAProgramAtTheTimeLimit) {
    ProcessOptions options;
    options.timeout = std::chrono::milliseconds(200);
    const auto started = std::chrono::steady_clock::now();
    const ProcessResult result = runProcess("sh", {"-c", "echo started; sleep 30"}, options);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
    EXPECT_TRUE(result.timedOut);
    EXPECT_EQ(result.exitCode, -1);
    EXPECT_EQ(result.signal, 9);
    EXPECT_EQ(result.out, "started\n");
}

TEST(ProcessRunner, RunsInTheWorkingFolderAndReportsAMissingProgram) {
    ScratchFolder folder("support-test");
    EXPECT_EQ(runProcess("pwd", {}, folder.path()).out,
              fs::canonical(folder.path()).string() + "\n");
    const ProcessResult missing = runProcess("paginor-no-such-program", {});
    EXPECT_EQ(missing.exitCode, -1);
    EXPECT_NE(missing.err.find("cannot start"), std::string::npos);
}

TEST(ScratchFolder, IsRemovedWithReadOnlyFoldersInside) {
    fs::path kept;
    {
        ScratchFolder folder("support-test");
        kept = folder.path();
        fs::create_directories(folder / "locked" / "inner");
        writeFile(folder.path() / "locked" / "inner" / "file.txt", "bytes");
        EXPECT_EQ(readFile(folder.path() / "locked" / "inner" / "file.txt"), "bytes");
        fs::permissions(folder / "locked", fs::perms::owner_read | fs::perms::owner_exec);
    }
    EXPECT_FALSE(fs::exists(kept));
}

TEST(Corpus, FollowsTheEnvironmentAndIsAbsentWhenTheFolderIs) {
    const char* before = std::getenv("PAGINOR_CORPUS");
    const std::optional<std::string> saved =
        before ? std::optional<std::string>(before) : std::nullopt;
    ScratchFolder folder("support-test");
    fs::create_directories(folder / "forms");
    writeFile(folder / "forms" / "b.pdf", "");
    writeFile(folder / "forms" / "a.pdf", "");
    writeFile(folder / "forms" / "notes.txt", "");

    ::setenv("PAGINOR_CORPUS", folder.path().c_str(), 1);
    EXPECT_EQ(corpusFolder(), folder.path());
    EXPECT_EQ(corpusFiles("forms"),
              (std::vector<fs::path>{folder / "forms" / "a.pdf", folder / "forms" / "b.pdf"}));
    EXPECT_TRUE(corpusFiles("text").empty());

    ::setenv("PAGINOR_CORPUS", (folder / "missing").c_str(), 1);
    EXPECT_EQ(corpusFolder(), std::nullopt);
    EXPECT_NE(noCorpusReason().find("missing"), std::string::npos);

    if (saved) {
        ::setenv("PAGINOR_CORPUS", saved->c_str(), 1);
    } else {
        ::unsetenv("PAGINOR_CORPUS");
    }
}

// The child has no privilege left (not even to take root back), a folder
// handed over is its to write, and its report and exit code come back.
TEST(Unprivileged, TheChildCannotOverrideFilePermissions) {
    ScratchFolder folder("support-test");
    const fs::path mine = folder / "mine";
    const fs::path locked = folder / "locked";
    fs::create_directories(mine);
    fs::create_directories(locked);
    ASSERT_EQ(handOverToUnprivileged(folder.path()), "");
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
    const auto outcome = runUnprivileged([&](std::string& report) {
        auto tryWrite = [](const fs::path& file) {
            std::FILE* stream = std::fopen(file.c_str(), "w");
            if (stream == nullptr)
                return "refused";
            std::fclose(stream);
            return "wrote";
        };
        report =
            std::to_string(::geteuid()) + " " + tryWrite(mine / "a") + " " + tryWrite(locked / "b");
        return 7;
    });
    if (outcome.failure.starts_with("cannot give up root"))
        GTEST_SKIP() << outcome.failure;
    ASSERT_EQ(outcome.failure, "");
    EXPECT_EQ(outcome.exitCode, 7);
    const std::string uid = std::to_string(runningAsRoot() ? kUnprivilegedId : ::geteuid());
    EXPECT_EQ(outcome.report, uid + " wrote refused");
}

} // namespace
