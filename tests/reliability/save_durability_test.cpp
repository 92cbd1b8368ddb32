// No data lost on save: a save killed at any moment, a save onto a full disk
// or a read-only folder, and saving over a file that changed on disk under
// the open document.
#include "automation_contract/automation_values.h"
#include "child_process.h"
#include "engine_client.h"
#include "engine_process.h"
#include "reliability_paths.h"
#include "support/scoped_environment.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <optional>
#include <regex>

namespace {

using namespace reliability;

// Runs a program without a shell; answers its exit status (-1 when it did
// not run).
int RunProgram(const std::vector<std::string>& arguments) {
    const pid_t child = ::fork();
    if (child == 0) {
        std::vector<char*> argv;
        for (const auto& a : arguments)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        const int devnull = ::open("/dev/null", O_WRONLY);
        ::dup2(devnull, 1);
        ::dup2(devnull, 2);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool QpdfCheckPasses(const fs::path& file) {
    return RunProgram({"qpdf", "--check", file.string()}) == 0;
}

// Files in `folder` other than `target`'s own name; the engine's temporary
// files are ".paginor-save-XXXXXXXX" beside the target.
std::vector<std::string> StrayFiles(const fs::path& folder, const fs::path& target) {
    std::vector<std::string> stray;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().filename() != target.filename())
            stray.push_back(entry.path().filename().string());
    }
    return stray;
}

bool IsEngineTemporary(const std::string& name, const fs::path&) {
    return std::regex_match(name, std::regex("\\.paginor-save-[A-Za-z0-9]{8}"));
}

// A few megabytes of pages, so that a save takes long enough to be caught
// in the middle.
fs::path MakeBigDocument(const ScratchFolder& scratch) {
    std::vector<std::string> command = {"qpdf", "--empty", "--object-streams=disable",
                                        "--stream-data=uncompress", "--pages"};
    for (int i = 0; i < 150; ++i) {
        command.push_back(examplePath("text.pdf").string());
        command.push_back(examplePath("sample-form.pdf").string());
    }
    command.push_back("--");
    const fs::path big = scratch / "big.pdf";
    command.push_back(big.string());
    RunProgram(command);
    return big;
}

// The save runs in a child with the engine loaded into it, so SIGKILL stops
// the writer itself. Each kill is timed by watching the file the child
// writes (through /proc, named or not) grow to a given share of the finished
// file; a kill seen to land while less than the whole file was written came
// before the rename, and then the target must be the old file byte for byte.
TEST(SaveDurability, AKillInTheMiddleOfTheWriteLeavesTheOldFile) {
    if (RunProgram({"qpdf", "--version"}) != 0)
        GTEST_SKIP() << "qpdf is not installed";
    paginor::test_support::ScopedEnvironment inProcess(
        "PAGINOR_COM_REGISTRY", (binaryFolder() / "com_registry_inproc.txt").string());
    ScratchFolder scratch;
    const fs::path target = MakeBigDocument(scratch);
    {
        auto document = OpenWithEngine(target.string());
        ASSERT_TRUE(document);
        ASSERT_TRUE(SaveWithEngine(document.get(), kSaveFull, target.string()).saved);
    }
    ASSERT_TRUE(QpdfCheckPasses(target));
    const std::uintmax_t savedSize = fs::file_size(target);
    std::string before = readFile(target);

    // A busy machine can let a whole write slip between two looks: each share
    // gets many tries.
    for (const double share : {0.05, 0.25, 0.5, 0.75, 0.95}) {
        bool landed = false;
        for (int attempt = 0; attempt < 40 && !landed; ++attempt) {
            const pid_t child = ::fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                auto document = OpenWithEngine(target.string());
                if (!document)
                    ::_exit(2);
                SaveWithEngine(document.get(), kSaveFull, target.string());
                ::_exit(0);
            }
            const auto wanted = static_cast<std::uintmax_t>(share * double(savedSize));
            std::optional<std::uintmax_t> written; // when killed
            int status = 0;
            while (::waitpid(child, &status, WNOHANG) == 0) {
                const auto size = SizeOfFileBeingWritten(child, scratch.path(), {target});
                if (size && *size >= wanted) {
                    ::kill(child, SIGKILL);
                    ::waitpid(child, &status, 0);
                    written = *size;
                    break;
                }
            }
            ASSERT_TRUE(written || (WIFEXITED(status) && WEXITSTATUS(status) == 0))
                << "the saving child failed on its own";
            landed = written && *written < savedSize;
            if (landed) {
                EXPECT_EQ(readFile(target), before)
                    << "killed with " << *written << " of " << savedSize << " bytes written";
            } else {
                // The save finished before the kill: the new file, whole.
                ASSERT_TRUE(QpdfCheckPasses(target));
                before = readFile(target);
            }
            // A killed save may leave its named temporary file; nothing else.
            for (const auto& name : StrayFiles(scratch.path(), target)) {
                EXPECT_TRUE(IsEngineTemporary(name, target)) << name;
                fs::remove(scratch / name);
            }
        }
        EXPECT_TRUE(landed) << "no kill landed at " << share << " of the write";
    }
}

// A small file system of its own for the test; unmounted afterwards.
class SmallFileSystem {
public:
    explicit SmallFileSystem(const fs::path& where, const char* options) : path_(where) {
        fs::create_directories(path_);
        if (::mount("tmpfs", path_.c_str(), "tmpfs", 0, options) != 0)
            reason_ = std::string("cannot mount a tmpfs: ") + std::strerror(errno);
    }
    ~SmallFileSystem() {
        if (reason_.empty())
            ::umount2(path_.c_str(), MNT_DETACH);
    }
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;
    bool Mounted() const { return reason_.empty(); }
    const std::string& Reason() const { return reason_; }
    bool MakeReadOnly() {
        return ::mount(nullptr, path_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }

private:
    fs::path path_;
    std::string reason_;
};

// Fills a file system until writing fails.
void FillUp(const fs::path& folder) {
    std::FILE* filler = std::fopen((folder / "filler").c_str(), "wb");
    if (!filler)
        return;
    const std::string block(1024, 'x');
    while (std::fwrite(block.data(), 1, block.size(), filler) == block.size() &&
           std::fflush(filler) == 0) {
    }
    std::fclose(filler);
}

struct RefusedSaveCase {
    std::string name;
    bool readOnly; // otherwise the disk is full
    short flags;
    const char* reason;
};
void PrintTo(const RefusedSaveCase& c, std::ostream* out) {
    *out << c.name;
}

class RefusedSave : public ::testing::TestWithParam<RefusedSaveCase> {};

TEST_P(RefusedSave, FailsWithADescriptionAndKeepsTheOldFile) {
    ScratchFolder scratch;
    SmallFileSystem disk(scratch / "disk", "size=64k");
    if (!disk.Mounted())
        GTEST_SKIP() << disk.Reason();
    const fs::path target = scratch / "disk" / "form.pdf";
    fs::copy_file(examplePath("sample-form.pdf"), target);
    const std::string before = readFile(target);

    auto document = OpenWithEngine(target.string());
    ASSERT_TRUE(document);
    if (GetParam().readOnly)
        ASSERT_TRUE(disk.MakeReadOnly()) << std::strerror(errno);
    else
        FillUp(scratch / "disk");

    const SaveOutcome outcome = SaveWithEngine(document.get(), GetParam().flags, target.string());
    EXPECT_FALSE(outcome.saved);
    EXPECT_NE(outcome.description.find(target.string()), std::string::npos) << outcome.description;
    EXPECT_NE(outcome.description.find(GetParam().reason), std::string::npos)
        << outcome.description;
    EXPECT_EQ(readFile(target), before);
    for (const auto& name : StrayFiles(scratch / "disk", target))
        EXPECT_EQ(name, "filler");
}

INSTANTIATE_TEST_SUITE_P(
    Disk, RefusedSave,
    ::testing::Values(
        RefusedSaveCase{"FullDiskSave", false, kSaveFull, "No space left on device"},
        RefusedSaveCase{"FullDiskSaveAs", false, kSaveFull | kSaveCopy, "No space left on device"},
        RefusedSaveCase{"ReadOnlySave", true, kSaveFull, "Read-only file system"},
        RefusedSaveCase{"ReadOnlySaveAs", true, kSaveFull | kSaveCopy, "Read-only file system"}),
    [](const auto& info) { return info.param.name; });

// A file-size limit (RLIMIT_FSIZE) fails writes the way a full disk does, and
// needs no privileges, so it runs everywhere. The save runs in a child with
// the engine loaded into it, where the limit applies to the writer.
struct SizeLimitCase {
    const char* name;
    double share; // of the saved file's size that may be written
    short flags;
};
void PrintTo(const SizeLimitCase& c, std::ostream* out) {
    *out << c.name;
}

class SaveOverAFileSizeLimit : public ::testing::TestWithParam<SizeLimitCase> {};

TEST_P(SaveOverAFileSizeLimit, FailsWithADescriptionAndKeepsTheOldFile) {
    const SizeLimitCase& c = GetParam();
    paginor::test_support::ScopedEnvironment inProcess(
        "PAGINOR_COM_REGISTRY", (binaryFolder() / "com_registry_inproc.txt").string());
    ScratchFolder scratch;
    const fs::path target = scratch / "form.pdf";
    fs::copy_file(examplePath("sample-form.pdf"), target);
    const std::string before = readFile(target);
    const fs::path report = scratch / "description";
    std::uintmax_t savedSize = 0;
    {
        const fs::path copy = scratch / "copy.pdf";
        auto document = OpenWithEngine(target.string());
        ASSERT_TRUE(document);
        ASSERT_TRUE(SaveWithEngine(document.get(), kSaveFull | kSaveCopy, copy.string()).saved);
        savedSize = fs::file_size(copy);
        fs::remove(copy);
    }
    const auto limit = static_cast<rlim_t>(c.share * double(savedSize));

    const ChildOutcome outcome = RunInChild(
        [&] {
            auto document = OpenWithEngine(target.string());
            if (!document)
                return 2;
            ::signal(SIGXFSZ, SIG_IGN); // writes past the limit fail with EFBIG instead
            rlimit original{};
            ::getrlimit(RLIMIT_FSIZE, &original);
            rlimit limited = original;
            limited.rlim_cur = limit;
            ::setrlimit(RLIMIT_FSIZE, &limited);
            const SaveOutcome saved = SaveWithEngine(document.get(), c.flags, target.string());
            ::setrlimit(RLIMIT_FSIZE, &original);
            writeFile(report, saved.description);
            return saved.saved ? 1 : 0;
        },
        60);
    ASSERT_TRUE(outcome.Clean()) << outcome.Describe() << " (1: the save reported success)";
    const std::string description = readFile(report);
    EXPECT_NE(description.find(target.string()), std::string::npos) << description;
    EXPECT_NE(description.find("File too large"), std::string::npos) << description;
    EXPECT_EQ(readFile(target), before) << "the old file, byte for byte";
    fs::remove(report);
    EXPECT_EQ(StrayFiles(scratch.path(), target), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Limit, SaveOverAFileSizeLimit,
                         ::testing::Values(SizeLimitCase{"NothingFitsSave", 0.0, kSaveFull},
                                           SizeLimitCase{"NothingFitsSaveAs", 0.0,
                                                         kSaveFull | kSaveCopy},
                                           SizeLimitCase{"HalfFitsSave", 0.5, kSaveFull},
                                           SizeLimitCase{"AllButTheEndFitsSave", 0.98, kSaveFull}),
                         [](const auto& info) { return std::string(info.param.name); });

// The open document does not depend on the file staying in place, whether
// the engine read the file or mapped it (a large one): saving recreates a
// deleted file and replaces a file that was swapped or cut short on disk
// with the document's own content, which is what the user asked to save.
TEST(SaveDurability, SavingOverAFileThatChangedOnDisk) {
    struct Change {
        const char* name;
        void (*apply)(const fs::path&);
    };
    const Change changes[] = {
        {"deleted", [](const fs::path& file) { fs::remove(file); }},
        {"replaced",
         [](const fs::path& file) {
             fs::remove(file);
             fs::copy_file(examplePath("bookmarks.pdf"), file);
         }},
        {"truncated", [](const fs::path& file) { writeFile(file, ""); }},
    };
    for (const auto& [change, mapped] : {std::pair{changes[0], false},
                                         {changes[1], false},
                                         {changes[2], false},
                                         {changes[0], true},
                                         {changes[1], true},
                                         {changes[2], true}}) {
        SCOPED_TRACE(mapped ? "mapped" : "read");
        std::optional<paginor::test_support::ScopedEnvironment> mapEverything;
        if (mapped)
            mapEverything.emplace("PAGINOR_MAP_FILES_FROM", "1");
        ScratchFolder scratch;
        const fs::path target = scratch / "form.pdf";
        fs::copy_file(examplePath("sample-form.pdf"), target);
        auto document = OpenWithEngine(target.string());
        ASSERT_TRUE(document);
        const long pages = PageCountOf(document.get());
        change.apply(target);

        const SaveOutcome outcome = SaveWithEngine(document.get(), kSaveFull, target.string());
        EXPECT_TRUE(outcome.saved) << change.name << ": " << outcome.description;
        EXPECT_TRUE(QpdfCheckPasses(target)) << change.name;
        auto reopened = OpenWithEngine(target.string());
        ASSERT_TRUE(reopened) << change.name;
        EXPECT_EQ(PageCountOf(reopened.get()), pages) << change.name;
        EXPECT_TRUE(StrayFiles(scratch.path(), target).empty()) << change.name;
    }
}

} // namespace
