// Decoding a stream's data with a limit on what it may decode to, for every
// stream the engine decodes itself. A small file can hold a stream that
// inflates to gigabytes; decoding it whole would exhaust memory (and qpdf's
// writer cannot recover from that). The limit is maxDecodedStreamSize()
// (PAGINOR_MAX_STREAM_SIZE); decoding stops as soon as it is passed, and the
// data is held once, in the string answered.
#pragma once

#include "engine/errors/engine_error.h"

#include <qpdf/QPDFObjectHandle.hh>

#include <cstdint>
#include <string>

namespace paginor::engine {

// A stream that decodes to more than the limit.
class StreamTooLarge : public EngineError {
public:
    using EngineError::EngineError;
};

// The decoded data of `stream` (all filters qpdf knows, as getStreamData
// with qpdf_dl_all would give). `what` names the stream for messages ("the
// XMP metadata stream"); the object number is added. Throws StreamTooLarge
// ("The XMP metadata stream (object 7 0) decodes to more than 64 MiB, the
// limit (PAGINOR_MAX_STREAM_SIZE)") and EngineError (Unsupported) for data
// that does not decode.
std::string decodeStreamData(QPDFObjectHandle stream, const std::string& what);
std::string decodeStreamData(QPDFObjectHandle stream, const std::string& what, std::uint64_t limit);

// Throws StreamTooLarge when `stream` decodes to more than `limit`, without
// keeping the data (for streams that a library decodes whole later).
void checkDecodedStreamSize(QPDFObjectHandle stream, const std::string& what, std::uint64_t limit);

} // namespace paginor::engine
