// The file a save writes before it replaces the target.
//
// Where the file system allows it, the file is created without a name
// (O_TMPFILE) and only named once complete, just before the rename: a save
// killed while writing leaves nothing behind. Elsewhere it is created under a
// short name of fixed length, ".paginor-save-" and eight random characters,
// so any target name the file system accepts can be saved. Either way the
// file is locked (flock) while the save runs, which is how a later save into
// the same folder tells the leftovers of a killed save (unlocked, a minute
// old, owned by the saving user) from the file of a save still running, and
// removes them.
#pragma once

#include "engine/document/file_descriptor.h"

#include <string>
#include <sys/types.h>

namespace paginor::engine {

inline constexpr char kTemporarySavePrefix[] = ".paginor-save-";
inline constexpr std::size_t kTemporarySaveRandomLength = 8;

class TemporarySaveFile {
public:
    // Creates the file in `folder` (an O_PATH descriptor) with `mode`.
    // Throws EngineError describing `target` and the system's reason.
    TemporarySaveFile(int folder, mode_t mode, const std::string& target);
    // Removes the file unless it has been moved into place.
    ~TemporarySaveFile();
    TemporarySaveFile(const TemporarySaveFile&) = delete;
    TemporarySaveFile& operator=(const TemporarySaveFile&) = delete;

    int descriptor() const { return file_.get(); }
    // Gives the finished file the name `name` in the folder, replacing what
    // is there (a rename, atomic for readers). Throws EngineError.
    void moveOver(const std::string& name);

private:
    void nameTheFile();

    int folder_;
    std::string target_;
    FileDescriptor file_;
    std::string name_; // empty while the file has no name
    bool placed_ = false;
};

// Removes from `folder` the temporary files of saves that were killed: files
// named like ours, owned by this user, not locked and not changed for a
// minute. Never throws; what cannot be removed stays.
void removeAbandonedTemporaryFiles(int folder);

// Whether `name` looks like one of our temporary files.
bool isTemporarySaveName(const std::string& name);

} // namespace paginor::engine
