#include "engine/document/bounded_stream_decoding.h"

#include "engine/document/engine_limits.h"

#include <qpdf/Pipeline.hh>

#include <cctype>
#include <stdexcept>

namespace paginor::engine {

namespace {

// The end of the decoding pipeline: keeps (or only counts) what arrives and
// stops the decoding once the limit is passed. qpdf may catch the exception
// and report a failed decode instead, so the flag tells afterwards.
class BoundedSink : public Pipeline {
public:
    BoundedSink(std::uint64_t limit, std::string* kept)
        : Pipeline("bounded stream data", nullptr), limit_(limit), kept_(kept) {}

    void write(unsigned char const* data, size_t length) override {
        if (overflowed_ || length > limit_ - count_) {
            overflowed_ = true;
            throw std::length_error("decoded stream data over the limit");
        }
        count_ += length;
        if (kept_ != nullptr) {
            kept_->append(reinterpret_cast<const char*>(data), length);
        }
    }
    void finish() override {}

    bool overflowed() const { return overflowed_; }

private:
    std::uint64_t limit_;
    std::uint64_t count_ = 0;
    std::string* kept_;
    bool overflowed_ = false;
};

std::string named(QPDFObjectHandle stream, const std::string& what) {
    std::string text = what;
    if (!text.empty()) {
        text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    }
    if (stream.isIndirect()) {
        text += " (object " + stream.getObjGen().unparse(' ') + ")";
    }
    return text;
}

void decodeInto(QPDFObjectHandle stream, const std::string& what, std::uint64_t limit,
                std::string* kept) {
    BoundedSink sink(limit, kept);
    bool decoded = false;
    bool filtered = false;
    std::string failure;
    try {
        decoded = stream.pipeStreamData(&sink, &filtered, 0, qpdf_dl_all, true, false);
    } catch (const std::exception& error) {
        failure = error.what();
    }
    if (sink.overflowed()) {
        throw StreamTooLarge(ErrorKind::Unsupported, named(stream, what) +
                                                         " decodes to more than " +
                                                         describeByteSize(limit) + ", the limit (" +
                                                         kMaxStreamSizeVariable + ")");
    }
    if (decoded && !filtered) {
        // qpdf hands over the raw data of a filter it does not know.
        fail(ErrorKind::Unsupported, named(stream, what) + " uses a filter that cannot be decoded");
    }
    if (!decoded) {
        fail(ErrorKind::Unsupported,
             named(stream, what) + " cannot be decoded" + (failure.empty() ? "" : ": " + failure));
    }
}

} // namespace

std::string decodeStreamData(QPDFObjectHandle stream, const std::string& what) {
    return decodeStreamData(stream, what, maxDecodedStreamSize());
}

std::string decodeStreamData(QPDFObjectHandle stream, const std::string& what,
                             std::uint64_t limit) {
    std::string data;
    decodeInto(stream, what, limit, &data);
    return data;
}

void checkDecodedStreamSize(QPDFObjectHandle stream, const std::string& what, std::uint64_t limit) {
    decodeInto(stream, what, limit, nullptr);
}

} // namespace paginor::engine
