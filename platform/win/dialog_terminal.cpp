#include "win/dialog_terminal.h"

#include "text_encoding/utf_conversion.h"
#include "win/dialog_fd.h"
#include "win/dialog_filter.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace paginor::win {
namespace {

void WriteAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t written = ::write(fd, text.data(), text.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return; // a prompt that cannot be shown still lets the user answer
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
}

// One line without its line feed; no value at end of input.
std::optional<std::string> ReadLine(int fd) {
    std::string line;
    char c = 0;
    while (true) {
        const ssize_t count = ::read(fd, &c, 1);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return line.empty() ? std::nullopt : std::optional<std::string>(line);
        }
        if (c == '\n') {
            return line;
        }
        line.push_back(c);
    }
}

std::string Prompt(const DialogRequest& request) {
    std::string prompt = "\n";
    if (!request.title.empty()) {
        prompt += paginor::Utf16ToUtf8(request.title) + "\n";
    }
    for (const DialogFileFilter& filter : ParseDialogFilter(request.filter)) {
        prompt += "  " + paginor::Utf16ToUtf8(filter.name) + ":";
        for (const std::u16string& pattern : filter.patterns) {
            prompt += " " + paginor::Utf16ToUtf8(pattern);
        }
        prompt += "\n";
    }
    prompt += request.kind == DialogKind::Folder ? "Folder" : "File";
    if (!request.initialFolder.empty()) {
        prompt += " [" + paginor::Utf16ToUtf8(request.initialFolder) + "]";
    }
    prompt += " (Ctrl-D cancels): ";
    return prompt;
}

// The path typed, made absolute against the current folder ("~/" is the
// home folder), as the desktop dialogs answer. The file need not exist: the
// open dialog the pickers stand for does not require it either.
std::string AbsolutePath(const std::string& typed) {
    std::filesystem::path path = typed;
    if (typed == "~" || typed.starts_with("~/")) {
        if (const char* home = std::getenv("HOME"); home && home[0] == '/') {
            path = std::filesystem::path(home) / typed.substr(typed.size() > 1 ? 2 : 1);
        }
    }
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    return ec ? typed : absolute.lexically_normal().string();
}

} // namespace

DialogAnswer AskOnTerminal(const DialogRequest& request, int inputFd, int outputFd) {
    WriteAll(outputFd, Prompt(request));
    std::optional<std::string> line = ReadLine(inputFd);
    if (!line) {
        WriteAll(outputFd, "\n");
        return std::nullopt;
    }
    if (line->empty()) {
        if (request.kind == DialogKind::Folder && !request.initialFolder.empty()) {
            return request.initialFolder;
        }
        return std::nullopt;
    }
    return paginor::Utf8ToUtf16(AbsolutePath(*line));
}

std::optional<DialogAnswer> AskOnControllingTerminal(const DialogRequest& request) {
    const DialogFd terminal(::open("/dev/tty", O_RDWR | O_CLOEXEC | O_NOCTTY));
    if (!terminal.Valid()) {
        return std::nullopt;
    }
    return AskOnTerminal(request, terminal.Get(), terminal.Get());
}

} // namespace paginor::win
