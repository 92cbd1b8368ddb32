// Printing through a real CUPS scheduler with a private configuration and a
// queue whose device writes each job into a folder.
#include "engine_test_support.h"

#include "automation_contract/automation_values.h"
#include "engine/printing/print_job.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace engine_test {
namespace {

using paginor::ComPtr;

class PrivateScheduler {
public:
    // Empty when it runs; otherwise why it could not start.
    std::string start() {
        if (!fs::exists("/usr/sbin/cupsd") || !fs::exists("/usr/lib/cups")) {
            return "cupsd is not installed";
        }
        root_ = scratch_.path() / "cups";
        output_ = scratch_.path() / "jobs";
        fs::create_directories(root_ / "bin" / "backend");
        fs::create_directories(output_);
        for (const char* sub : {"spool", "cache", "state", "tmp", "ssl", "log"}) {
            fs::create_directories(root_ / sub);
        }
        fs::permissions(scratch_.path(), fs::perms::all, fs::perm_options::replace);
        fs::permissions(output_, fs::perms::all, fs::perm_options::replace);
        for (const auto& entry : fs::directory_iterator("/usr/lib/cups")) {
            if (entry.path().filename() != "backend") {
                fs::create_symlink(entry.path(), root_ / "bin" / entry.path().filename());
            }
        }
        const fs::path backend = root_ / "bin" / "backend" / "capture";
        std::ofstream(backend)
            << "#!/bin/sh\n"
               "if [ $# -eq 0 ]; then echo 'direct capture \"Unknown\" \"Capture to folder\"'; "
               "exit 0; fi\n"
               "out=\"${DEVICE_URI#capture:}/job-$1.out\"\n"
               "if [ -n \"$6\" ]; then cat \"$6\" > \"$out\"; else cat > \"$out\"; fi\n";
        fs::permissions(backend, fs::perms::owner_all | fs::perms::group_read |
                                     fs::perms::group_exec | fs::perms::others_read |
                                     fs::perms::others_exec);
        const std::string r = root_.string();
        std::ofstream(root_ / "cupsd.conf") << "Listen " << r << "/sock\n"
                                            << "LogLevel warn\n"
                                            << "<Location />\n  Order allow,deny\n  Allow all\n"
                                               "</Location>\n<Location /admin>\n  Order "
                                               "allow,deny\n  Allow all\n</Location>\n";
        std::ofstream(root_ / "cups-files.conf")
            << "ServerRoot " << r << "\nRequestRoot " << r << "/spool\nCacheDir " << r
            << "/cache\nStateDir " << r << "/state\nTempDir " << r << "/tmp\nServerKeychain " << r
            << "/ssl\nServerBin " << r << "/bin\nErrorLog " << r << "/log/error_log\nAccessLog "
            << r << "/log/access_log\nPageLog " << r << "/log/page_log\nUser lp\nGroup lp\n";

        const std::vector<std::string> arguments{"/usr/sbin/cupsd", "-f", "-c",
                                                 r + "/cupsd.conf", "-s", r + "/cups-files.conf"};
        std::vector<char*> argv;
        for (const auto& argument : arguments) {
            argv.push_back(const_cast<char*>(argument.c_str()));
        }
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
            pid_ = 0;
            return "cupsd could not be started";
        }
        for (int i = 0; i < 100 && !fs::exists(root_ / "sock"); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        if (!fs::exists(root_ / "sock")) {
            return "cupsd did not open its socket";
        }
        ::setenv("CUPS_SERVER", (root_ / "sock").c_str(), 1);
        int exitCode = -1;
        runProgram({"lpadmin", "-p", "capture", "-E", "-v", "capture:" + output_.string()},
                   &exitCode);
        if (exitCode != 0) {
            return "lpadmin could not create the queue";
        }
        runProgram({"lpadmin", "-d", "capture"}, &exitCode);
        return exitCode == 0 ? "" : "lpadmin could not set the default queue";
    }

    ~PrivateScheduler() {
        ::unsetenv("CUPS_SERVER");
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            int status = 0;
            ::waitpid(pid_, &status, 0);
        }
    }

    // Waits for the job files to arrive (a scheduler takes a moment).
    std::vector<fs::path> jobs(std::size_t expected) const {
        std::vector<fs::path> found;
        for (int i = 0; i < 300; ++i) {
            found.clear();
            for (const auto& entry : fs::directory_iterator(output_)) {
                if (entry.file_size() > 0) {
                    found.push_back(entry.path());
                }
            }
            if (found.size() >= expected) {
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return found;
    }

private:
    ScratchFolder scratch_;
    fs::path root_;
    fs::path output_;
    pid_t pid_ = 0;
};

ComPtr<IViewerDocument> viewerFor(IPDDocument* document) {
    ComPtr<IDispatch> dispatch;
    EXPECT_EQ(document->OpenInViewer(bstr("print test").get(), dispatch.put()), S_OK);
    ComPtr<IViewerDocument> viewer;
    dispatch.As(IID_IViewerDocument, viewer);
    return viewer;
}

TEST(Printing, JobsReachAPrivateSchedulerQueue) {
    PrivateScheduler scheduler;
    if (const std::string why = scheduler.start(); !why.empty()) {
        GTEST_SKIP() << "no private CUPS scheduler: " << why;
    }
    auto document = openDocument(examplePath("bookmarks.pdf"));
    auto viewer = viewerFor(document.get());
    ASSERT_TRUE(viewer);

    VARIANT_BOOL answer = VARIANT_FALSE;
    ASSERT_EQ(viewer->PrintPages(0, 5, kPostScriptLevel2, 0, 0, &answer), S_OK);
    EXPECT_EQ(answer, VARIANT_TRUE);
    ::setenv("PAGINOR_PRINTER", "capture", 1);
    ASSERT_EQ(viewer->PrintPagesEx(0, 5, kPostScriptLevel2, 0, 1, 1, 0, 0, kPageSetEven, &answer),
              S_OK);
    ::unsetenv("PAGINOR_PRINTER");
    EXPECT_EQ(answer, VARIANT_TRUE);

    const auto jobs = scheduler.jobs(2);
    ASSERT_EQ(jobs.size(), 2u);
    for (const auto& job : jobs) {
        std::ifstream in(job, std::ios::binary);
        std::string head(5, '\0');
        in.read(head.data(), 5);
        EXPECT_EQ(head, "%PDF-") << job;
    }

    // A queue that does not exist refuses the job, and the print system says why.
    ::setenv("PAGINOR_PRINTER", "no-such-queue", 1);
    ASSERT_EQ(viewer->PrintPages(0, 5, kPostScriptLevel2, 0, 0, &answer), kStatusOperationNotDone);
    ::unsetenv("PAGINOR_PRINTER");
    EXPECT_EQ(answer, VARIANT_FALSE);
    EXPECT_EQ(lastErrorDescription().rfind("Cannot print: lp: ", 0), 0u) << lastErrorDescription();
}

TEST(Printing, WithoutThePrintCommandSaysSo) {
    auto document = openDocument(examplePath("text.pdf"));
    auto viewer = viewerFor(document.get());
    const char* oldPath = std::getenv("PATH");
    const std::string saved = oldPath != nullptr ? oldPath : "";
    ::setenv("PATH", "/nonexistent", 1);
    VARIANT_BOOL answer = VARIANT_TRUE;
    const HRESULT status = viewer->PrintPages(0, 0, kPostScriptLevel2, 0, 0, &answer);
    ::setenv("PATH", saved.c_str(), 1);
    EXPECT_EQ(status, kStatusOperationNotDone);
    EXPECT_EQ(answer, VARIANT_FALSE);
    EXPECT_EQ(lastErrorDescription(),
              "Cannot print: the print command lp cannot be started: No such file or directory");
}

TEST(Printing, RangesOutsideTheDocumentAndUnknownPageSetsAreRefusedWithTheReason) {
    auto document = openDocument(examplePath("text.pdf"));
    auto viewer = viewerFor(document.get());
    const std::vector<std::tuple<LONG, LONG, LONG, std::string>> requests{
        {0, 3, kPageSetAll, "Cannot print pages 1 to 4: the document has 3 pages"},
        {-1, 1, kPageSetAll, "Cannot print pages 0 to 2: the document has 3 pages"},
        {2, 1, kPageSetAll, "Cannot print pages 3 to 2: the document has 3 pages"},
        {0, -1, kPageSetAll, "Cannot print pages 1 to 0: the document has 3 pages"},
        {0, 2, kPageSetOdd - 1, "Cannot print: -6 is not a page set"}};
    for (const auto& [first, last, pageSet, reason] : requests) {
        VARIANT_BOOL answer = VARIANT_TRUE;
        ASSERT_EQ(
            viewer->PrintPagesEx(first, last, kPostScriptLevel2, 0, 0, 0, 0, 0, pageSet, &answer),
            kStatusOperationNotDone);
        EXPECT_EQ(answer, VARIANT_FALSE) << first << ".." << last << " set " << pageSet;
        EXPECT_EQ(lastErrorDescription(), reason);
    }
}

TEST(Printing, OptionsMapToQueueArguments) {
    using namespace paginor::engine;
    PrintOptions options;
    options.firstPage = 1;
    options.lastPage = 4;
    options.shrinkToFit = true;
    options.reverse = true;
    options.pageSet = kPageSetOdd;
    options.title = "My file";
    EXPECT_EQ(printCommandArguments(options, "/tmp/x.pdf", "office"),
              (std::vector<std::string>{"lp", "-s", "-d", "office", "-t", "My file", "-P", "2-5",
                                        "-o", "fit-to-page", "-o", "outputorder=reverse", "-o",
                                        "page-set=odd", "--", "/tmp/x.pdf"}));
    options = PrintOptions{};
    options.pageSet = kPageSetEven;
    EXPECT_EQ(printCommandArguments(options, "/tmp/y.pdf", ""),
              (std::vector<std::string>{"lp", "-s", "-P", "1-1", "-o", "page-set=even", "--",
                                        "/tmp/y.pdf"}));
}

} // namespace
} // namespace engine_test
