// Helpers for the tests of the engine in its own process: the hostile files
// that make it hang or grow, finding the engine's process, and watching
// processes end.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace reliability {

// A one-page document whose content stream decodes to `decodedBytes` of
// text-showing operators (a decompression bomb that keeps the text reader busy).
void WriteContentBomb(const std::filesystem::path& path, std::size_t decodedBytes);
// A page tree whose root lists the same page `references` times: expanding
// it copies the page each time.
void WriteRunawayPageTree(const std::filesystem::path& path, int references);
// A page whose content stream goes through an image filter declaring a
// 100000 x 100000 bitmap.
void WriteGigapixelContent(const std::filesystem::path& path);
// A valid one-page document carrying an uncompressed stream of `bytes`, so
// that saving it takes a while.
void WriteLargeDocument(const std::filesystem::path& path, std::size_t bytes);

// The process whose environment holds `variable=value` and whose program is
// named `program`; nothing when there is none (yet) within `limit`.
std::optional<pid_t> FindProcessWith(const std::string& program, const std::string& variable,
                                     const std::string& value, std::chrono::milliseconds limit);
// The children of this process running `program`.
std::vector<pid_t> ChildrenRunning(const std::string& program);
// The parent of `pid` (0 when it has gone).
pid_t ParentOf(pid_t pid);
// True once `pid` has ended (gone, or a zombie nobody reaps yet) within `limit`.
bool EndsWithin(pid_t pid, std::chrono::milliseconds limit);
// The server pids a PAGINOR_COM_STATISTICS file names.
std::vector<pid_t> ServersIn(const std::filesystem::path& statistics);
// Waits for a file to appear; its content then, or nothing at the limit.
std::optional<std::string> WaitForFile(const std::filesystem::path& path,
                                       std::chrono::milliseconds limit);

// The size so far of the file `pid` has open for writing in `folder`, other
// than the files in `except`: a save's temporary file, found through /proc
// whether it has a name or not (O_TMPFILE). Nothing when there is none.
std::optional<std::uintmax_t>
SizeOfFileBeingWritten(pid_t pid, const std::filesystem::path& folder,
                       const std::vector<std::filesystem::path>& except);

// The peak resident size of this process since the last ResetPeakResident.
std::size_t PeakResidentBytes();
void ResetPeakResident();

} // namespace reliability
