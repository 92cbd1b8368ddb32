// The sizes the engine refuses to go beyond, so that a hostile or unlucky
// file fails with a clear error instead of exhausting memory. Each limit has
// a default and an environment variable that overrides it (a number of
// bytes, optionally followed by K, M or G for binary kilo-, mega- and
// gigabytes); the variables are read on every use.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace paginor::engine {

// The largest file the engine reads as a document or as a page source:
// PAGINOR_MAX_FILE_SIZE, 256 MiB by default (the whole file may be held in
// memory, and an insertion or a save may need a second copy of it).
inline constexpr std::uint64_t kDefaultMaxFileSize = std::uint64_t{256} << 20;
inline constexpr const char* kMaxFileSizeVariable = "PAGINOR_MAX_FILE_SIZE";
std::uint64_t maxFileSize();

// The most bytes one stream the engine decodes itself (XMP metadata, font
// programs, appearance streams) may decode to: PAGINOR_MAX_STREAM_SIZE,
// 64 MiB by default.
inline constexpr std::uint64_t kDefaultMaxStreamSize = std::uint64_t{64} << 20;
inline constexpr const char* kMaxStreamSizeVariable = "PAGINOR_MAX_STREAM_SIZE";
std::uint64_t maxDecodedStreamSize();

// "12345", "64K", "256M", "2G" as bytes; nullopt for anything else
// (including 0 and values that overflow).
std::optional<std::uint64_t> parseByteSize(std::string_view text);

// A size for messages: "256 MiB", "1.5 GiB", "812 bytes".
std::string describeByteSize(std::uint64_t bytes);

} // namespace paginor::engine
