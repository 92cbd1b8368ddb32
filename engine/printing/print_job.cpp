#include "engine/printing/print_job.h"

#include "engine/document/engine_document.h"
#include "engine/printing/print_command.h"

#include <cstdio>
#include <cstdlib>
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

bool printDocument(EngineDocument& document, const PrintOptions& options) {
    const int pages = document.pageCount();
    if (options.firstPage < 0 || options.lastPage < options.firstPage ||
        options.lastPage >= pages) {
        return false;
    }
    if (options.pageSet != kPageSetAll && options.pageSet != kPageSetEven &&
        options.pageSet != kPageSetOdd) {
        return false;
    }
    PrivateTemporaryFile file;
    SerializeOptions serialize;
    serialize.decrypt = true;
    if (!file.valid() || !file.write(document.serializeToMemory(serialize))) {
        return false;
    }
    const char* printer = std::getenv("PAGINOR_PRINTER");
    return runCommand(
               printCommandArguments(options, file.path(), printer != nullptr ? printer : "")) == 0;
}

} // namespace paginor::engine
