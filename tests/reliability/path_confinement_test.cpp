// The plug-in and the engine touch only the paths the user gave, plus their
// own temporary files beside a save target (".paginor-save-XXXXXXXX"), which are
// gone afterwards. Watched with inotify: the user's folder (with a file
// nobody names), a private TMPDIR and the current directory.
#include "plugin_host.h"
#include "reliability_paths.h"

#include <gtest/gtest.h>

#include <sys/inotify.h>
#include <unistd.h>

#include <cstdlib>
#include <map>
#include <regex>
#include <set>

namespace {

using namespace reliability;

class FolderWatch {
public:
    FolderWatch() : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}
    ~FolderWatch() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    bool Watch(const fs::path& folder, const std::string& label) {
        const int wd = ::inotify_add_watch(fd_, folder.c_str(), IN_ALL_EVENTS);
        if (wd < 0)
            return false;
        labels_[wd] = label;
        return true;
    }

    // "label/name" of every entry that had an event since the last call.
    std::set<std::string> Touched() {
        alignas(inotify_event) char buffer[64 * 1024];
        for (;;) {
            const ssize_t size = ::read(fd_, buffer, sizeof buffer);
            if (size <= 0)
                break;
            for (ssize_t at = 0; at < size;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                if (event->len > 0)
                    touched_.insert(labels_[event->wd] + "/" + event->name);
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
        return touched_;
    }

private:
    int fd_;
    std::map<int, std::string> labels_;
    std::set<std::string> touched_;
};

class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnvironment() {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

class ScopedWorkingDirectory {
public:
    explicit ScopedWorkingDirectory(const fs::path& folder) : old_(fs::current_path()) {
        fs::current_path(folder);
    }
    ~ScopedWorkingDirectory() { fs::current_path(old_); }
    ScopedWorkingDirectory(const ScopedWorkingDirectory&) = delete;
    ScopedWorkingDirectory& operator=(const ScopedWorkingDirectory&) = delete;

private:
    fs::path old_;
};

TEST(PathConfinement, OnlyTheGivenPathsAndTemporariesBesideSaveTargets) {
    ScratchFolder scratch;
    const fs::path user = scratch / "user";
    const fs::path temporary = scratch / "tmp";
    const fs::path working = scratch / "cwd";
    for (const auto& folder : {user, temporary, working})
        fs::create_directories(folder);
    fs::copy_file(examplePath("sample-form.pdf"), user / "form.pdf");
    fs::copy_file(examplePath("text.pdf"), user / "other.pdf");
    fs::copy_file(examplePath("bookmarks.pdf"), user / "bystander.pdf");

    ScopedEnvironment tmpdir("TMPDIR", temporary.string());
    ScopedWorkingDirectory cwd(working);
    plugin_host::PluginHost host;
    ASSERT_TRUE(host.Loaded()) << host.LoadError();
    ASSERT_EQ(host.Init(), 53);

    FolderWatch watch;
    ASSERT_TRUE(watch.Watch(user, "user") && watch.Watch(temporary, "tmp") &&
                watch.Watch(working, "cwd"));

    const std::string form = (user / "form.pdf").string();
    const std::string other = (user / "other.pdf").string();
    const std::string copy = (user / "copy.pdf").string();
    const std::string absent = (user / "absent.pdf").string();
    ASSERT_EQ(host.Call("QELT_OpenPDF", {form}).text, u"0");
    EXPECT_NE(host.Call("QELT_GetFieldNames", {"yes"}).text, u"!!ERROR!!");
    EXPECT_EQ(host.Call("QELT_SetPDFFieldValue", {"name", "Ada"}).text, u"0");
    EXPECT_NE(host.Call("QELT_GetTextFromPage", {1}).text, u"!!ERROR!!");
    EXPECT_EQ(host.Call("QELT_SetPDFInfo", {"Title", "Confined"}).text, u"0");
    EXPECT_EQ(host.Call("QELT_InsertPages", {1, other, 0, 1, "yes"}).text, u"0");
    EXPECT_EQ(host.Call("QELT_AppendPDF", {other}).text, u"0");
    EXPECT_EQ(host.Call("QELT_DeletePages", {1, 1}).text, u"0");
    EXPECT_EQ(host.Call("QELT_SavePDF").text, u"0");
    EXPECT_EQ(host.Call("QELT_SaveAsPDF", {copy}).text, u"0");
    EXPECT_EQ(host.Call("QELT_InsertPages", {1, absent, 0, 1, "no"}).text, u"!!ERROR!!");
    EXPECT_EQ(host.Call("QELT_ClosePDF").text, u"0");
    EXPECT_EQ(host.Call("QELT_DeletePDF", {copy}).text, u"0");
    EXPECT_EQ(host.Call("QELT_CloseAcrobat").text, u"0");

    // A save's temporary file is nameless where the file system allows it
    // (inotify shows it as "#<inode>"), ".paginor-save-XXXXXXXX" once named.
    const std::regex allowed("user/"
                             "(form\\.pdf|other\\.pdf|copy\\.pdf|absent\\.pdf|"
                             "\\.paginor-save-[A-Za-z0-9]{8}|#[0-9]+)");
    const std::set<std::string> touched = watch.Touched();
    EXPECT_TRUE(touched.count("user/form.pdf")) << "the watch saw nothing";
    for (const auto& entry : touched)
        EXPECT_TRUE(std::regex_match(entry, allowed)) << "touched " << entry;

    std::set<std::string> left;
    for (const auto& entry : fs::directory_iterator(user))
        left.insert(entry.path().filename().string());
    EXPECT_EQ(left, (std::set<std::string>{"bystander.pdf", "form.pdf", "other.pdf"}));
    EXPECT_TRUE(fs::is_empty(temporary));
    EXPECT_TRUE(fs::is_empty(working));
}

} // namespace
