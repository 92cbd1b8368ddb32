// Paths that name something other than a regular file, given to every
// function that takes a path, through the real host program: each is
// answered promptly with an error that says why, and the thing itself is
// left where it was. A FIFO used to block the open for ever, and a save or
// a deletion used to replace or remove a device node.
#include "support/fmcalc_runner.h"
#include "support/process_runner.h"
#include "support/repository_paths.h"
#include "support/scratch_folder.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>

namespace {

namespace fs = std::filesystem;
using namespace paginor::test_support;

struct SpecialFile {
    const char* kind; // as the engine names it
    const char* name;
    mode_t type; // S_IFIFO, ...
};

const SpecialFile kSpecialFiles[] = {
    {"a FIFO", "pipe.pdf", S_IFIFO},
    {"a socket", "socket.pdf", S_IFSOCK},
    {"a character device", "device.pdf", S_IFCHR},
};

// Makes `file` in `folder`; answers why it could not ("" when made).
std::string make(const SpecialFile& file, const fs::path& folder) {
    const fs::path path = folder / file.name;
    switch (file.type) {
    case S_IFIFO:
        return ::mkfifo(path.c_str(), 0666) == 0 ? "" : std::strerror(errno);
    case S_IFSOCK: {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
        const int bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        const int error = errno;
        ::close(fd);
        return bound == 0 ? "" : std::strerror(error);
    }
    default:
        // The same device as /dev/null, so nothing happens if it were opened.
        return ::mknod(path.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0
                   ? ""
                   : std::string("mknod refused: ") + std::strerror(errno);
    }
}

mode_t typeOf(const fs::path& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0 ? (status.st_mode & S_IFMT) : 0;
}

struct Outcome {
    std::vector<std::string> lines;
    bool timedOut = false;
    std::chrono::milliseconds took{0};
};

// Runs the calculations through fmcalc (one a line, values printed plainly).
Outcome run(const std::vector<std::string>& calculations, const fs::path& folder) {
    const fs::path script = folder / "script.calc";
    std::ofstream out(script);
    for (const auto& calculation : calculations) {
        out << calculation << "\n";
    }
    out.close();
    ProcessOptions options;
    options.timeout = std::chrono::seconds(20);
    const auto start = std::chrono::steady_clock::now();
    const ProcessResult result = runProcess(fmcalcBinary().string(), {script.string()}, options);
    Outcome outcome;
    outcome.took = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    outcome.timedOut = result.timedOut;
    std::string line;
    for (char c : result.out) {
        if (c == '\n') {
            outcome.lines.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    return outcome;
}

struct Use {
    const char* name;
    // The calculation using {path}; the sample form is open before it.
    const char* calculation;
    // The start of the error text (code and message); the reason follows.
    const char* error;
    bool needsDocument = true;
};

const Use kUses[] = {
    {"Open", "QELT_OpenPDF ( {path} )", "!!ERROR!! -2017 Unable to open the PDF fileCannot read ",
     false},
    {"InsertSource", "QELT_InsertPages ( 1 ; {path} ; 0 ; 1 ; \"no\" )",
     "!!ERROR!! -2017 Unable to open the PDF fileCannot read "},
    {"AppendSource", "QELT_AppendPDF ( {path} )",
     "!!ERROR!! -2017 Unable to open the PDF fileCannot read "},
    {"SaveTarget", "QELT_SaveAsPDF ( {path} )",
     "!!ERROR!! -999 COM ExceptionError:80070057 Description: Cannot write "},
    {"DeleteTarget", "QELT_DeletePDF ( {path} )",
     "!!ERROR!! -2020 Unable to delete the filenot a regular file", false},
};

std::string replaced(std::string text, const std::string& path) {
    return text.replace(text.find("{path}"), 6, calcText(path));
}

class HostileFiles : public ::testing::TestWithParam<Use> {};

TEST_P(HostileFiles, EverySpecialFileIsRefusedPromptlyWithTheReasonAndStaysInPlace) {
    const Use& use = GetParam();
    ScratchFolder folder;
    for (const SpecialFile& file : kSpecialFiles) {
        SCOPED_TRACE(file.kind);
        if (const std::string why = make(file, folder.path()); !why.empty()) {
            std::cout << "[ skipped  ] " << file.kind << ": " << why << "\n";
            continue;
        }
        const fs::path path = folder / file.name;
        std::vector<std::string> calculations;
        if (use.needsDocument) {
            calculations.push_back(
                withError("QELT_OpenPDF ( " + calcText(examplePath("sample-form.pdf")) + " )"));
        }
        calculations.push_back(withError(replaced(use.calculation, path.string())));
        const Outcome outcome = run(calculations, folder.path());
        ASSERT_FALSE(outcome.timedOut) << "blocked";
        // A hang check, not a speed target: a blocked open never returns.
        EXPECT_LT(outcome.took, std::chrono::seconds(5));
        ASSERT_EQ(outcome.lines.size(), calculations.size());
        const std::string& answer = outcome.lines.back();
        EXPECT_EQ(answer.rfind(use.error, 0), 0u) << answer;
        if (std::string(use.name) != "DeleteTarget") {
            EXPECT_NE(answer.find(path.string() + ": not a regular file (" + file.kind + ")"),
                      std::string::npos)
                << answer;
        }
        EXPECT_EQ(typeOf(path), file.type) << "the special file was replaced or removed";
    }
}

INSTANTIATE_TEST_SUITE_P(Uses, HostileFiles, ::testing::ValuesIn(kUses),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(HostileFiles, AFolderAsSourceIsRefusedWithTheReason) {
    ScratchFolder folder;
    const Outcome outcome = run(
        {withError("QELT_OpenPDF ( " + calcText(folder.path().string()) + " )")}, folder.path());
    ASSERT_EQ(outcome.lines.size(), 1u);
    EXPECT_EQ(outcome.lines[0], "!!ERROR!! -2017 Unable to open the PDF fileCannot read " +
                                    folder.path().string() + ": not a regular file (a directory)");
}

TEST(HostileFiles, AFileOverTheSizeLimitIsRefusedBeforeItIsRead) {
    ScratchFolder folder;
    const fs::path big = folder / "big.pdf";
    fs::copy_file(examplePath("sample-form.pdf"), big);
    const auto size = fs::file_size(big);
    ::setenv("PAGINOR_MAX_FILE_SIZE", "1K", 1);
    const Outcome outcome =
        run({withError("QELT_OpenPDF ( " + calcText(big.string()) + " )")}, folder.path());
    ::unsetenv("PAGINOR_MAX_FILE_SIZE");
    ASSERT_EQ(outcome.lines.size(), 1u);
    EXPECT_EQ(outcome.lines[0].rfind("!!ERROR!! -2017 Unable to open the PDF fileCannot read " +
                                         big.string() + ": the file has ",
                                     0),
              0u)
        << outcome.lines[0];
    EXPECT_NE(outcome.lines[0].find(", more than the 1 KiB limit (PAGINOR_MAX_FILE_SIZE)"),
              std::string::npos)
        << outcome.lines[0] << " (" << size << " bytes)";
}

TEST(HostileFiles, TheLongestLegalFileNameOpensFillsAndSavesInPlace) {
    ScratchFolder folder;
    const fs::path file = folder / (std::string(251, 'x') + ".pdf"); // 255 bytes
    fs::copy_file(examplePath("sample-form.pdf"), file);
    const Outcome outcome =
        run({withError("QELT_OpenPDF ( " + calcText(file.string()) + " )"),
             withError("QELT_SetPDFFieldValue ( \"name\" ; \"long\" )"), withError("QELT_SavePDF"),
             withError("QELT_SaveAsPDF ( " + calcText(file.string()) + " )"), "QELT_ClosePDF",
             withError("QELT_OpenPDF ( " + calcText(file.string()) + " )"),
             "QELT_GetPDFFieldValue ( \"name\" )"},
            folder.path());
    EXPECT_EQ(outcome.lines, (std::vector<std::string>{"0", "0", "0", "0", "0", "0", "long"}));
    std::vector<std::string> entries;
    for (const auto& entry : fs::directory_iterator(folder.path())) {
        entries.push_back(entry.path().filename().string());
    }
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, (std::vector<std::string>{"script.calc", file.filename().string()}));
}

// fmcalc run as another user (setpriv), saving through links in a shared
// sticky folder that one user planted and another follows.
TEST(HostileFiles, ALinkAnotherUserPlantedInASharedFolderIsNotFollowed) {
    if (::geteuid() != 0 || !toolAvailable("setpriv")) {
        GTEST_SKIP() << "needs root and setpriv to run fmcalc as other users";
    }
    ScratchFolder scratch;
    ::chmod(scratch.path().c_str(), 0755);
    const fs::path shared = scratch / "shared";
    const fs::path victims = scratch / "victims";
    fs::create_directory(shared);
    fs::create_directory(victims);
    ::chmod(shared.c_str(), 01777);
    ::chmod(victims.c_str(), 0777);
    const fs::path victim = victims / "victim.pdf";
    writeFile(victim, "the victim's own data");
    ::chown(victim.c_str(), 1002, 1002);
    ::chmod(victim.c_str(), 0666);
    const struct {
        const char* link;
        uid_t owner;
        bool followed;
    } cases[] = {{"planted.pdf", 1001, false}, {"own.pdf", 1000, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.link);
        const fs::path link = shared / c.link;
        fs::create_symlink(victim, link);
        ASSERT_EQ(::lchown(link.c_str(), c.owner, c.owner), 0);
        const fs::path script = scratch / (std::string(c.link) + ".calc");
        writeFile(script, withError("QELT_OpenPDF ( " +
                                    calcText(examplePath("sample-form.pdf").string()) + " )") +
                              "\n" +
                              withError("QELT_SaveAsPDF ( " + calcText(link.string()) + " )") +
                              "\n");
        ProcessOptions options;
        options.timeout = std::chrono::seconds(20);
        const ProcessResult result = runProcess("setpriv",
                                                {"--reuid=1000", "--regid=1000", "--clear-groups",
                                                 "--", fmcalcBinary().string(), script.string()},
                                                options);
        ASSERT_EQ(result.out.rfind("0\n", 0), 0u) << result.out << result.err;
        if (c.followed) {
            EXPECT_EQ(result.out, "0\n0\n") << result.err;
            EXPECT_EQ(readFile(victim).rfind("%PDF-", 0), 0u);
        } else {
            EXPECT_EQ(result.out, "0\n!!ERROR!! -999 COM ExceptionError:80070005 Description: "
                                  "Cannot write " +
                                      link.string() + ": " + link.string() +
                                      " is a symbolic link that another user owns in the shared "
                                      "folder " +
                                      shared.string() + "; it is not followed\n");
            EXPECT_EQ(readFile(victim), "the victim's own data");
        }
        EXPECT_TRUE(fs::is_symlink(link));
    }
}

} // namespace
