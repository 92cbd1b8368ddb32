#include "win/dialog_desktop.h"

#include "text_encoding/utf_conversion.h"
#include "win/dialog_fd.h"
#include "win/dialog_filter.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <string_view>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace paginor::win {
namespace {

class SpawnFileActions {
public:
    SpawnFileActions() { ok_ = posix_spawn_file_actions_init(&actions_) == 0; }
    SpawnFileActions(const SpawnFileActions&) = delete;
    SpawnFileActions& operator=(const SpawnFileActions&) = delete;
    ~SpawnFileActions() {
        if (ok_) {
            posix_spawn_file_actions_destroy(&actions_);
        }
    }
    bool Ok() const { return ok_; }
    posix_spawn_file_actions_t* Get() { return &actions_; }

private:
    posix_spawn_file_actions_t actions_{};
    bool ok_ = false;
};

bool HasDisplay() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') {
            return true;
        }
    }
    return false;
}

std::optional<std::string> FindOnPath(std::string_view name) {
    const char* path = std::getenv("PATH");
    if (path == nullptr) {
        return std::nullopt;
    }
    std::string_view rest(path);
    while (true) {
        const auto colon = rest.find(':');
        const std::string_view folder = rest.substr(0, colon);
        // An empty entry means the current folder; a dialog program is never
        // taken from there.
        if (!folder.empty() && folder.front() == '/') {
            std::string candidate(folder);
            candidate += '/';
            candidate += name;
            if (::access(candidate.c_str(), X_OK) == 0) {
                return candidate;
            }
        }
        if (colon == std::string_view::npos) {
            return std::nullopt;
        }
        rest.remove_prefix(colon + 1);
    }
}

std::string FolderWithSlash(std::u16string_view folder) {
    std::string text = paginor::Utf16ToUtf8(folder);
    if (!text.empty() && text.back() != '/') {
        text += '/';
    }
    return text;
}

std::u16string DefaultTitle(const DialogRequest& request) {
    if (!request.title.empty()) {
        return request.title;
    }
    switch (request.kind) {
    case DialogKind::OpenFile:
        return u"Open";
    case DialogKind::SaveFile:
        return u"Save As";
    case DialogKind::Folder:
        return u"Browse For Folder";
    }
    return {};
}

std::vector<std::string> ZenityArguments(const DesktopDialogTool& tool,
                                         const DialogRequest& request) {
    std::vector<std::string> args{tool.program, "--file-selection",
                                  "--title=" + paginor::Utf16ToUtf8(DefaultTitle(request))};
    if (request.kind == DialogKind::Folder) {
        args.emplace_back("--directory");
    } else if (request.kind == DialogKind::SaveFile) {
        args.emplace_back("--save");
    }
    std::string start = FolderWithSlash(request.initialFolder);
    if (request.kind != DialogKind::Folder) {
        start += paginor::Utf16ToUtf8(request.initialFileName);
    }
    if (!start.empty()) {
        args.push_back("--filename=" + start);
    }
    if (request.kind != DialogKind::Folder) {
        for (const DialogFileFilter& filter : ParseDialogFilter(request.filter)) {
            std::string patterns;
            for (const std::u16string& pattern : filter.patterns) {
                patterns += patterns.empty() ? "" : " ";
                patterns += paginor::Utf16ToUtf8(pattern);
            }
            args.push_back("--file-filter=" + paginor::Utf16ToUtf8(filter.name) + " | " + patterns);
        }
    }
    return args;
}

std::vector<std::string> KDialogArguments(const DesktopDialogTool& tool,
                                          const DialogRequest& request) {
    std::vector<std::string> args{tool.program, "--title",
                                  paginor::Utf16ToUtf8(DefaultTitle(request))};
    std::string start =
        request.initialFolder.empty() ? std::string(".") : FolderWithSlash(request.initialFolder);
    if (request.kind == DialogKind::Folder) {
        args.emplace_back("--getexistingdirectory");
        args.push_back(start);
        return args;
    }
    args.emplace_back(request.kind == DialogKind::SaveFile ? "--getsavefilename"
                                                           : "--getopenfilename");
    start += paginor::Utf16ToUtf8(request.initialFileName);
    args.push_back(start);
    std::string filters;
    for (const DialogFileFilter& filter : ParseDialogFilter(request.filter)) {
        std::string patterns;
        for (const std::u16string& pattern : filter.patterns) {
            patterns += patterns.empty() ? "" : " ";
            patterns += paginor::Utf16ToUtf8(pattern);
        }
        filters += filters.empty() ? "" : "\n";
        filters += patterns + "|" + paginor::Utf16ToUtf8(filter.name);
    }
    if (!filters.empty()) {
        args.push_back(filters);
    }
    return args;
}

} // namespace

std::optional<DesktopDialogTool> FindDesktopDialogTool() {
    if (!HasDisplay()) {
        return std::nullopt;
    }
    if (auto program = FindOnPath("zenity")) {
        return DesktopDialogTool{DesktopDialogTool::Flavor::Zenity, std::move(*program)};
    }
    if (auto program = FindOnPath("kdialog")) {
        return DesktopDialogTool{DesktopDialogTool::Flavor::KDialog, std::move(*program)};
    }
    return std::nullopt;
}

std::vector<std::string> DesktopDialogArguments(const DesktopDialogTool& tool,
                                                const DialogRequest& request) {
    return tool.flavor == DesktopDialogTool::Flavor::Zenity ? ZenityArguments(tool, request)
                                                            : KDialogArguments(tool, request);
}

std::optional<DialogAnswer> AskDesktopDialog(const DesktopDialogTool& tool,
                                             const DialogRequest& request) {
    std::vector<std::string> args = DesktopDialogArguments(tool, request);
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);

    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        return std::nullopt;
    }
    DialogFd readEnd(fds[0]);
    DialogFd writeEnd(fds[1]);

    SpawnFileActions actions;
    if (!actions.Ok() ||
        posix_spawn_file_actions_addopen(actions.Get(), 0, "/dev/null", O_RDONLY, 0) != 0 ||
        posix_spawn_file_actions_adddup2(actions.Get(), writeEnd.Get(), 1) != 0 ||
        // Toolkit warnings would land in the host's error output otherwise.
        posix_spawn_file_actions_addopen(actions.Get(), 2, "/dev/null", O_WRONLY, 0) != 0) {
        return std::nullopt;
    }
    pid_t pid = 0;
    if (posix_spawn(&pid, tool.program.c_str(), actions.Get(), nullptr, argv.data(), environ) !=
        0) {
        return std::nullopt;
    }
    writeEnd.Reset(); // so the read below ends when the program exits

    std::string output;
    char buffer[4096];
    while (true) {
        const ssize_t count = ::read(readEnd.Get(), buffer, sizeof buffer);
        if (count > 0) {
            output.append(buffer, static_cast<std::size_t>(count));
        } else if (count == 0 || errno != EINTR) {
            break;
        }
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            return std::nullopt;
        }
    }
    if (!WIFEXITED(status)) {
        return std::nullopt;
    }
    if (WEXITSTATUS(status) == 1) {
        return DialogAnswer{}; // the user cancelled
    }
    if (WEXITSTATUS(status) != 0) {
        return std::nullopt;
    }
    // The tools end their answer with one line feed; everything else is the
    // path, which may itself contain line feeds.
    if (!output.empty() && output.back() == '\n') {
        output.pop_back();
    }
    return DialogAnswer{paginor::Utf8ToUtf16(output)};
}

} // namespace paginor::win
