// Opening a path for reading only when it names a regular file, decided
// without side effects: the path is first opened with O_PATH, which opens no
// device and never waits for the writer of a FIFO, and only the file that
// descriptor was found to be is then opened for reading.
#pragma once

#include "engine/document/file_descriptor.h"

#include <cstdint>
#include <string>
#include <sys/stat.h>

namespace paginor::engine {

struct OpenedRegularFile {
    FileDescriptor descriptor; // open for reading
    struct stat status {};
};

// "a directory", "a FIFO", "a socket", "a character device", "a block
// device", "a symbolic link", or "not a regular file" for anything else.
std::string fileTypeName(mode_t mode);

// Opens `path` (symbolic links followed) for reading. Throws EngineError:
// an I/O failure with the errno when the path does not open, an invalid
// argument for a path that names no regular file ("Cannot read <path>: not a
// regular file (a FIFO)"), and unsupported for a file larger than `maxSize`
// ("Cannot read <path>: the file has 3 GiB, more than the 256 MiB limit
// (PAGINOR_MAX_FILE_SIZE)"). Nothing is read.
OpenedRegularFile openRegularFileForReading(const std::string& path, std::uint64_t maxSize);

} // namespace paginor::engine
