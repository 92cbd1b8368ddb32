#include "engine/document/temporary_save_file.h"

#include "engine/errors/engine_error.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <sys/file.h>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace paginor::engine {

namespace {

constexpr int kNameAttempts = 100;
constexpr std::time_t kAbandonedAfterSeconds = 60;

[[noreturn]] void failWrite(const std::string& target, int error) {
    failIo(error, "Cannot write " + target + ": " + std::strerror(error));
}

std::string randomName() {
    static constexpr char kAlphabet[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::mt19937_64 generator{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kAlphabet - 2);
    std::string name = kTemporarySavePrefix;
    for (std::size_t i = 0; i < kTemporarySaveRandomLength; ++i) {
        name += kAlphabet[pick(generator)];
    }
    return name;
}

bool tmpfileUnsupported(int error) {
    // Kernels or file systems without O_TMPFILE answer one of these.
    return error == EOPNOTSUPP || error == EISDIR || error == EINVAL || error == ENOENT;
}

uid_t fileSystemUser() {
    return static_cast<uid_t>(::setfsuid(static_cast<uid_t>(-1)));
}

} // namespace

bool isTemporarySaveName(const std::string& name) {
    const std::size_t prefix = sizeof kTemporarySavePrefix - 1;
    if (name.size() != prefix + kTemporarySaveRandomLength ||
        name.compare(0, prefix, kTemporarySavePrefix) != 0) {
        return false;
    }
    for (std::size_t i = prefix; i < name.size(); ++i) {
        const char c = name[i];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) {
            return false;
        }
    }
    return true;
}

TemporarySaveFile::TemporarySaveFile(int folder, mode_t mode, const std::string& target)
    : folder_(folder), target_(target) {
    file_.reset(::openat(folder_, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode));
    if (!file_.valid()) {
        if (!tmpfileUnsupported(errno)) {
            failWrite(target_, errno);
        }
        for (int attempt = 0; attempt < kNameAttempts && !file_.valid(); ++attempt) {
            std::string name = randomName();
            file_.reset(::openat(folder_, name.c_str(),
                                 O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC | O_NOFOLLOW, mode));
            if (file_.valid()) {
                name_ = std::move(name);
            } else if (errno != EEXIST) {
                failWrite(target_, errno);
            }
        }
        if (!file_.valid()) {
            failWrite(target_, EEXIST);
        }
    }
    // Held until the descriptor closes, after the rename.
    ::flock(file_.get(), LOCK_EX | LOCK_NB);
}

TemporarySaveFile::~TemporarySaveFile() {
    if (!placed_ && !name_.empty()) {
        ::unlinkat(folder_, name_.c_str(), 0);
    }
}

void TemporarySaveFile::nameTheFile() {
    if (!name_.empty()) {
        return;
    }
    const std::string self = "/proc/self/fd/" + std::to_string(file_.get());
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::string name = randomName();
        if (::linkat(AT_FDCWD, self.c_str(), folder_, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            name_ = std::move(name);
            return;
        }
        if (errno != EEXIST) {
            failWrite(target_, errno);
        }
    }
    failWrite(target_, EEXIST);
}

void TemporarySaveFile::moveOver(const std::string& name) {
    nameTheFile();
    if (::renameat(folder_, name_.c_str(), folder_, name.c_str()) != 0) {
        failWrite(target_, errno);
    }
    placed_ = true;
}

void removeAbandonedTemporaryFiles(int folder) {
    const int listing = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listing < 0) {
        return;
    }
    DIR* entries = ::fdopendir(listing);
    if (entries == nullptr) {
        ::close(listing);
        return;
    }
    std::vector<std::string> candidates;
    while (const dirent* entry = ::readdir(entries)) {
        if (isTemporarySaveName(entry->d_name)) {
            candidates.emplace_back(entry->d_name);
        }
    }
    ::closedir(entries);

    const uid_t user = fileSystemUser();
    const std::time_t now = std::time(nullptr);
    for (const std::string& name : candidates) {
        FileDescriptor file(::openat(folder, name.c_str(),
                                     O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        struct stat status {};
        if (!file.valid() || ::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode) ||
            status.st_uid != user || now - status.st_mtime < kAbandonedAfterSeconds) {
            continue;
        }
        // A save still running holds its lock.
        if (::flock(file.get(), LOCK_EX | LOCK_NB) != 0) {
            continue;
        }
        struct stat named {};
        if (::fstatat(folder, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            named.st_dev == status.st_dev && named.st_ino == status.st_ino) {
            ::unlinkat(folder, name.c_str(), 0);
        }
    }
}

} // namespace paginor::engine
