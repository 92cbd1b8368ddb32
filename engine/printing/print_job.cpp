#include "engine/printing/print_job.h"

#include "engine/document/engine_document.h"
#include "engine/errors/engine_error.h"
#include "engine/printing/print_command.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace paginor::engine {

namespace {

class PrivateTemporaryFile {
public:
    PrivateTemporaryFile() {
        const char* folder = std::getenv("TMPDIR");
        path_ = std::string(folder != nullptr && *folder != '\0' ? folder : "/tmp") +
                "/paginor-print-XXXXXX.pdf";
        fd_ = ::mkstemps(path_.data(), 4);
    }
    ~PrivateTemporaryFile() {
        if (fd_ >= 0) {
            ::close(fd_);
            ::unlink(path_.c_str());
        }
    }
    PrivateTemporaryFile(const PrivateTemporaryFile&) = delete;
    PrivateTemporaryFile& operator=(const PrivateTemporaryFile&) = delete;

    bool valid() const { return fd_ >= 0; }
    const std::string& path() const { return path_; }

    bool write(const std::string& bytes) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t written = ::write(fd_, bytes.data() + done, bytes.size() - done);
            if (written <= 0) {
                return false;
            }
            done += static_cast<std::size_t>(written);
        }
        return true;
    }

private:
    std::string path_;
    int fd_ = -1;
};

} // namespace

std::vector<std::string> printCommandArguments(const PrintOptions& options, const std::string& file,
                                               const std::string& destination) {
    std::vector<std::string> arguments{"lp", "-s"};
    if (!destination.empty()) {
        arguments.insert(arguments.end(), {"-d", destination});
    }
    if (!options.title.empty()) {
        arguments.insert(arguments.end(), {"-t", options.title});
    }
    arguments.insert(arguments.end(), {"-P", std::to_string(options.firstPage + 1) + "-" +
                                                 std::to_string(options.lastPage + 1)});
    if (options.shrinkToFit) {
        arguments.insert(arguments.end(), {"-o", "fit-to-page"});
    }
    if (options.reverse) {
        arguments.insert(arguments.end(), {"-o", "outputorder=reverse"});
    }
    if (options.pageSet == kPageSetEven) {
        arguments.insert(arguments.end(), {"-o", "page-set=even"});
    } else if (options.pageSet == kPageSetOdd) {
        arguments.insert(arguments.end(), {"-o", "page-set=odd"});
    }
    arguments.insert(arguments.end(), {"--", file});
    return arguments;
}

void printDocument(EngineDocument& document, const PrintOptions& options) {
    const int pages = document.pageCount();
    if (options.firstPage < 0 || options.lastPage < options.firstPage ||
        options.lastPage >= pages) {
        fail(ErrorKind::NotFound, "Cannot print pages " + std::to_string(options.firstPage + 1) +
                                      " to " + std::to_string(options.lastPage + 1) +
                                      ": the document has " + std::to_string(pages) +
                                      (pages == 1 ? " page" : " pages"));
    }
    if (options.pageSet != kPageSetAll && options.pageSet != kPageSetEven &&
        options.pageSet != kPageSetOdd) {
        fail(ErrorKind::InvalidArgument,
             "Cannot print: " + std::to_string(options.pageSet) + " is not a page set");
    }
    PrivateTemporaryFile file;
    if (!file.valid()) {
        const int error = errno;
        failIo(error, "Cannot print: the spool file " + file.path() +
                          " cannot be created: " + std::strerror(error));
    }
    SerializeOptions serialize;
    serialize.decrypt = true;
    if (!file.write(document.serializeToMemory(serialize))) {
        const int error = errno != 0 ? errno : EIO;
        failIo(error, "Cannot print: the spool file " + file.path() +
                          " cannot be written: " + std::strerror(error));
    }
    const char* printer = std::getenv("PAGINOR_PRINTER");
    const CommandOutcome outcome =
        runCommand(printCommandArguments(options, file.path(), printer != nullptr ? printer : ""));
    if (outcome.startError != 0) {
        failIo(outcome.startError,
               std::string("Cannot print: the print command lp cannot be started: ") +
                   std::strerror(outcome.startError));
    }
    if (outcome.exitStatus != 0) {
        std::string message = outcome.errorOutput;
        while (!message.empty() &&
               (message.back() == '\n' || message.back() == '\r' || message.back() == ' ')) {
            message.pop_back();
        }
        if (message.empty()) {
            message = outcome.exitStatus < 0
                          ? "lp did not finish"
                          : "lp ended with status " + std::to_string(outcome.exitStatus);
        }
        fail(ErrorKind::Refused, "Cannot print: " + message);
    }
}

} // namespace paginor::engine
