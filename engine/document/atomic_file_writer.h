// Replacing a file so that readers see either the old or the new content:
// the new content goes to a temporary file in the target's folder, is flushed
// to disk and renamed over the target. A failure removes the temporary file
// and leaves the target as it was.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

namespace paginor::engine {

// `write` fills the temporary file (it may throw). Throws EngineError (an
// I/O failure with the errno, or an internal failure when `write` threw
// something else) whose description reads "Cannot write <target>: <reason>". A target that is a
// symbolic link is replaced where the link points, so the link survives.
void writeFileAtomically(const std::string& target, const std::function<void(std::FILE*)>& write);

} // namespace paginor::engine
