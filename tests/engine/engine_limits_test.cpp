// The engine's size limits: how their variables are read, how sizes are
// described, and the bounded decoding every stream the engine decodes itself
// goes through.
#include "engine/document/bounded_stream_decoding.h"
#include "engine/document/engine_limits.h"

#include <gtest/gtest.h>
#include <qpdf/Buffer.hh>
#include <qpdf/Pl_Buffer.hh>
#include <qpdf/Pl_Flate.hh>
#include <qpdf/QPDF.hh>

#include <cstdlib>

namespace {

using namespace paginor::engine;

TEST(EngineLimits, SizesAreBytesWithAnOptionalBinaryUnit) {
    const std::vector<std::pair<std::string, std::optional<std::uint64_t>>> cases{
        {"12345", 12345},
        {"64K", 65536},
        {"64k", 65536},
        {"256M", std::uint64_t{256} << 20},
        {"2G", std::uint64_t{2} << 30},
        {"", std::nullopt},
        {"0", std::nullopt},
        {"0M", std::nullopt},
        {"K", std::nullopt},
        {"12X", std::nullopt},
        {"12MB", std::nullopt},
        {"-1", std::nullopt},
        {"1.5G", std::nullopt},
        {" 12", std::nullopt},
        {"99999999999999999999", std::nullopt},
        {"17179869184G", std::nullopt}, // 2^64 bytes
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(parseByteSize(text), expected) << '"' << text << '"';
    }
}

TEST(EngineLimits, SizesAreDescribedInTheLargestWholeUnit) {
    const std::vector<std::pair<std::uint64_t, std::string>> cases{
        {1, "1 byte"},
        {812, "812 bytes"},
        {1024, "1 KiB"},
        {1536, "1.5 KiB"},
        {std::uint64_t{256} << 20, "256 MiB"},
        {std::uint64_t{3} << 29, "1.5 GiB"},
        {std::uint64_t{3} << 30, "3 GiB"},
    };
    for (const auto& [bytes, text] : cases) {
        EXPECT_EQ(describeByteSize(bytes), text) << bytes;
    }
}

// Sets an environment variable for the scope (unset: nullptr).
class ScopedVariable {
public:
    ScopedVariable(const char* name, const char* value) : name_(name) {
        if (value != nullptr) {
            ::setenv(name, value, 1);
        } else {
            ::unsetenv(name);
        }
    }
    ~ScopedVariable() { ::unsetenv(name_); }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* name_;
};

TEST(EngineLimits, VariablesOverrideTheDefaultsAndInvalidValuesAreIgnored) {
    const std::vector<std::pair<const char*, std::uint64_t>> files{{nullptr, kDefaultMaxFileSize},
                                                                   {"1G", std::uint64_t{1} << 30},
                                                                   {"lots", kDefaultMaxFileSize}};
    for (const auto& [value, expected] : files) {
        ScopedVariable variable(kMaxFileSizeVariable, value);
        EXPECT_EQ(maxFileSize(), expected) << (value ? value : "unset");
    }
    const std::vector<std::pair<const char*, std::uint64_t>> streams{
        {nullptr, kDefaultMaxStreamSize},
        {"1M", std::uint64_t{1} << 20},
        {"0", kDefaultMaxStreamSize}};
    for (const auto& [value, expected] : streams) {
        ScopedVariable variable(kMaxStreamSizeVariable, value);
        EXPECT_EQ(maxDecodedStreamSize(), expected) << (value ? value : "unset");
    }
}

std::string deflated(const std::string& data) {
    Pl_Buffer buffer("deflated");
    Pl_Flate flate("deflate", &buffer, Pl_Flate::a_deflate);
    flate.write(reinterpret_cast<const unsigned char*>(data.data()), data.size());
    flate.finish();
    auto bytes = buffer.getBufferSharedPointer();
    return std::string(reinterpret_cast<const char*>(bytes->getBuffer()), bytes->getSize());
}

struct DecodeCase {
    const char* name;
    std::string raw;    // the stream's data as stored
    const char* filter; // its /Filter
    std::uint64_t limit;
    std::string decoded; // expected data, when it decodes
    const char* failure; // expected message after "The XMP metadata stream (object 1 0)"
    bool tooLarge;
};

TEST(BoundedStreamDecoding, DecodesWithinTheLimitAndNamesTheStreamOtherwise) {
    const std::string thousand(1000, 'x');
    const std::vector<DecodeCase> cases{
        {"AtTheLimit", deflated(thousand), "/FlateDecode", 1000, thousand, nullptr, false},
        {"OneByteOver", deflated(thousand + "y"), "/FlateDecode", 1000, "",
         " decodes to more than 1000 bytes, the limit (PAGINOR_MAX_STREAM_SIZE)", true},
        {"ABombStopsEarly", deflated(std::string(8 << 20, ' ')), "/FlateDecode", 1 << 20, "",
         " decodes to more than 1 MiB, the limit (PAGINOR_MAX_STREAM_SIZE)", true},
        {"Unfiltered", thousand, nullptr, 1000, thousand, nullptr, false},
        {"UnknownFilter", thousand, "/NoSuchDecode", 1 << 20, "",
         " uses a filter that cannot be decoded", false},
    };
    for (const DecodeCase& c : cases) {
        SCOPED_TRACE(c.name);
        QPDF pdf;
        pdf.emptyPDF();
        QPDFObjectHandle stream = QPDFObjectHandle::newStream(&pdf, c.raw);
        if (c.filter != nullptr) {
            stream.getDict().replaceKey("/Filter", QPDFObjectHandle::newName(c.filter));
        }
        if (c.failure == nullptr) {
            EXPECT_EQ(decodeStreamData(stream, "the XMP metadata stream", c.limit), c.decoded);
            continue;
        }
        const std::string expected =
            "The XMP metadata stream (object " + stream.getObjGen().unparse(' ') + ")" + c.failure;
        try {
            decodeStreamData(stream, "the XMP metadata stream", c.limit);
            ADD_FAILURE() << "decoded";
        } catch (const StreamTooLarge& error) {
            EXPECT_TRUE(c.tooLarge);
            EXPECT_EQ(error.what(), expected);
        } catch (const EngineError& error) {
            EXPECT_FALSE(c.tooLarge);
            EXPECT_EQ(error.what(), expected);
        }
        if (c.tooLarge) {
            EXPECT_THROW(checkDecodedStreamSize(stream, "the XMP metadata stream", c.limit),
                         StreamTooLarge);
        }
    }
}

} // namespace
