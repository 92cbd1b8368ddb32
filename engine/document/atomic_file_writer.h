// Replacing a file so that readers see either the old or the new content:
// the new content goes to a temporary file in the target's folder, is flushed
// to disk and renamed over the target. A failure removes the temporary file
// and leaves the target as it was.
//
// Only regular files are replaced: a target that is a directory, a device, a
// FIFO or a socket is refused before anything is written. A target that is a
// symbolic link is replaced where the link points, so the link survives,
// within the sticky-folder rule of save_target.h. The new file keeps the
// replaced file's permission bits (and, where the saving user may set them,
// its owner and group); other hard links to the old file keep the old
// content.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

namespace paginor::engine {

// `write` fills the temporary file (it may throw). Throws EngineError whose
// description reads "Cannot write <target>: <reason>" (an I/O failure with
// the errno, an invalid argument for a target that is not a regular file, a
// refusal for a link the sticky-folder rule does not follow, or an internal
// failure when `write` threw something other than an EngineError).
void writeFileAtomically(const std::string& target, const std::function<void(std::FILE*)>& write);

} // namespace paginor::engine
