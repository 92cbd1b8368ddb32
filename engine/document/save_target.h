// Where a save puts its file: the folder and the name whose entry the new
// file replaces, found without opening anything that might be a device.
//
// A symbolic link is followed to the file it names, so the link survives the
// save, but in a sticky folder that everyone may write to (such as /tmp) only
// when the link belongs to the saving user or to the folder's owner: a link
// another user planted there is refused instead of replacing whatever it
// points to. (The kernel's protected-symlinks rule, which applies to every
// folder on the way to the target, is left to the kernel.)
#pragma once

#include "engine/document/file_descriptor.h"

#include <optional>
#include <string>
#include <sys/stat.h>

namespace paginor::engine {

struct SaveTarget {
    FileDescriptor folder; // O_PATH descriptor of the target's folder
    std::string folderPath;
    std::string name;
    // The regular file the save replaces; nullopt when there is none yet.
    std::optional<struct stat> existing;
};

// Throws EngineError naming `requested`: the system's reason when the folder
// does not open, "Is a directory" for a folder, "not a regular file (a
// FIFO)" for anything else that is not a regular file, and a refusal for a
// symbolic link that the sticky-folder rule does not allow to follow (or a
// chain of more than 40 links).
SaveTarget resolveSaveTarget(const std::string& requested);

// The name and folder of a path: "a/b.pdf" gives "a" and "b.pdf", "b.pdf"
// gives "." and "b.pdf", "/b.pdf" gives "/" and "b.pdf".
std::string folderOfPath(const std::string& path);
std::string nameOfPath(const std::string& path);

} // namespace paginor::engine
