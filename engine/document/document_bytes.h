// The bytes a document was opened from, followed in memory by a short section
// the engine appends after the file's end (the spare objects, see
// spare_object_section.h), as one contiguous buffer for qpdf and poppler.
//
// A small file is read into memory, which makes the document independent of
// the file from then on. A large one is mapped instead: opening then costs
// what the parser reads of it, not its size, and a save copies its bytes
// within the kernel. A mapping shows what the file holds now, so the file is
// watched: once another program has changed it, the document refuses to
// save (isIntact()), and reads of a part that was cut off see zeros instead
// of ending the process (mapping_fault_guard.h).
#pragma once

#include "engine/document/file_descriptor.h"

#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace paginor::engine {

class DocumentBytes {
public:
    // The most bytes append() accepts (about 60 bytes a spare object).
    static constexpr std::size_t kTailRoom = 65536;

    // The regular file at `path`; throws DocumentLoadError naming the path
    // and the system's reason.
    static std::unique_ptr<DocumentBytes> fromFile(const std::string& path);
    static std::unique_ptr<DocumentBytes> fromMemory(std::string bytes);

    ~DocumentBytes();
    DocumentBytes(const DocumentBytes&) = delete;
    DocumentBytes& operator=(const DocumentBytes&) = delete;

    // The file's bytes.
    std::string_view original() const { return {data_, originalSize_}; }
    // The file's bytes, then what was appended.
    std::string_view all() const { return {data_, size_}; }

    // Appends `tail` after the file's bytes; at most once, before the bytes
    // are read by anyone else, and at most kTailRoom bytes.
    void append(std::string_view tail);

    // Whether the bytes are a mapping of the file rather than a copy.
    bool mapped() const { return mapping_ != nullptr; }
    // Whether original() still shows what the file held when it was opened:
    // always for a copy; for a mapping, while the file keeps its size and
    // modification time.
    bool isIntact() const;
    // Writes original() to `out` at its current offset, within the kernel
    // when it can. Throws std::system_error.
    void writeOriginalTo(int out) const;
    // Whether `other` holds the same original bytes, without reading them
    // when both map the same unchanged file.
    bool sameOriginalAs(const DocumentBytes& other) const;

private:
    DocumentBytes() = default;

    std::string copy_;        // a file that was read, or bytes from memory
    void* mapping_ = nullptr; // or the reserved range a file is mapped into
    std::size_t mappingLength_ = 0;
    FileDescriptor file_; // the mapped file, watched for changes
    dev_t device_ = 0;
    ino_t inode_ = 0;
    timespec modified_{};
    const char* data_ = nullptr;
    std::size_t originalSize_ = 0;
    std::size_t size_ = 0;
};

// Files of at least this size are mapped: PAGINOR_MAP_FILES_FROM, 4 MiB by
// default (a size as engine_limits.h reads them; 1 maps every file).
inline constexpr std::uint64_t kDefaultMapFilesFrom = std::uint64_t{4} << 20;
inline constexpr const char* kMapFilesFromVariable = "PAGINOR_MAP_FILES_FROM";

} // namespace paginor::engine
