#include "engine/incremental/last_cross_reference.h"

#include "engine/incremental/object_writer.h"

#include <qpdf/Buffer.hh>
#include <qpdf/BufferInputSource.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFTokenizer.hh>

#include <array>
#include <cctype>
#include <memory>
#include <set>

namespace paginor::engine {

namespace {

// qpdf looks for "startxref" in the last 1054 bytes; so does this, so that
// both agree on which section is the newest.
constexpr std::size_t kTailSearched = 1054;

// Enough to tell a file saved again and again; counting stops there.
constexpr int kSectionsCounted = 64;

// Object numbers stay well inside what every reader accepts.
constexpr std::int64_t kLargestSize = 8'000'000;

constexpr std::array<std::string_view, 9> kSectionOwnKeys = {
    "/Size", "/Prev", "/XRefStm", "/Type", "/W", "/Index", "/Filter", "/DecodeParms", "/Length"};

bool isPdfSpace(char c) {
    return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0';
}

std::size_t skipSpace(std::string_view bytes, std::size_t at) {
    while (at < bytes.size() && isPdfSpace(bytes[at])) {
        ++at;
    }
    return at;
}

std::optional<std::int64_t> readDigits(std::string_view bytes, std::size_t& at) {
    const std::size_t start = at;
    std::int64_t value = 0;
    while (at < bytes.size() && std::isdigit(static_cast<unsigned char>(bytes[at])) != 0) {
        if (value > (INT64_MAX - 9) / 10) {
            return std::nullopt;
        }
        value = value * 10 + (bytes[at] - '0');
        ++at;
    }
    if (at == start) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::int64_t> startxrefValue(std::string_view bytes) {
    const std::size_t from = bytes.size() > kTailSearched ? bytes.size() - kTailSearched : 0;
    const std::size_t found = bytes.rfind("startxref");
    if (found == std::string_view::npos || found < from) {
        return std::nullopt;
    }
    std::size_t at = skipSpace(bytes, found + 9);
    return readDigits(bytes, at);
}

// Parses the dictionary that starts at `at` with qpdf's parser; indirect
// references are made in a scratch document and only ever printed.
QPDFObjectHandle parseDictionaryAt(std::string_view bytes, std::size_t at, QPDF& scratch) {
    Buffer view(reinterpret_cast<unsigned char*>(const_cast<char*>(bytes.data())), bytes.size());
    auto input = std::make_shared<BufferInputSource>("trailer", &view, false);
    input->seek(static_cast<qpdf_offset_t>(at), SEEK_SET);
    QPDFTokenizer tokenizer;
    bool empty = false;
    QPDFObjectHandle parsed =
        QPDFObjectHandle::parse(input, "trailer", tokenizer, empty, nullptr, &scratch);
    return parsed.isDictionary() ? parsed : QPDFObjectHandle::newNull();
}

} // namespace

namespace {

// The section at `offset`: its kind and its trailer's entries (all of them,
// as PDF text, for the caller to sort out).
struct Section {
    CrossReferenceKind kind = CrossReferenceKind::Table;
    std::map<std::string, QPDFObjectHandle> entries;
};

std::optional<Section> readSectionAt(std::string_view bytes, std::int64_t offset, QPDF& scratch) {
    if (offset <= 0 || static_cast<std::uint64_t>(offset) >= bytes.size()) {
        return std::nullopt;
    }
    Section section;
    std::size_t at = static_cast<std::size_t>(offset);
    std::size_t dictionaryAt = 0;
    if (bytes.substr(at, 4) == "xref") {
        section.kind = CrossReferenceKind::Table;
        // Entries hold only digits, spaces, "n", "f" and line ends, so the
        // first "trailer" after the keyword is the trailer.
        const std::size_t trailer = bytes.find("trailer", at + 4);
        if (trailer == std::string_view::npos) {
            return std::nullopt;
        }
        dictionaryAt = trailer + 7;
    } else {
        section.kind = CrossReferenceKind::Stream;
        // "<number> <generation> obj" then the stream's dictionary.
        if (!readDigits(bytes, at)) {
            return std::nullopt;
        }
        at = skipSpace(bytes, at);
        if (!readDigits(bytes, at)) {
            return std::nullopt;
        }
        at = skipSpace(bytes, at);
        if (bytes.substr(at, 3) != "obj") {
            return std::nullopt;
        }
        dictionaryAt = at + 3;
    }
    QPDFObjectHandle trailer;
    try {
        trailer = parseDictionaryAt(bytes, dictionaryAt, scratch);
    } catch (const std::exception&) {
        return std::nullopt;
    }
    if (!trailer.isDictionary()) {
        return std::nullopt;
    }
    // The map, not getKeys(): references resolve to null in the scratch
    // document, and qpdf leaves null entries out of its key lists.
    section.entries = trailer.getDictAsMap();
    if (section.kind == CrossReferenceKind::Stream) {
        auto type = section.entries.find("/Type");
        if (type == section.entries.end() || !type->second.isNameAndEquals("/XRef")) {
            return std::nullopt;
        }
    }
    return section;
}

std::optional<std::int64_t> previousOf(Section& section) {
    auto prev = section.entries.find("/Prev");
    if (prev == section.entries.end() || !prev->second.isInteger()) {
        return std::nullopt;
    }
    return prev->second.getIntValue();
}

// Sections along the /Prev chain, the newest included, up to `limit`.
int countSections(std::string_view bytes, Section newest, QPDF& scratch, int limit) {
    int count = 1;
    std::set<std::int64_t> seen;
    std::optional<std::int64_t> previous = previousOf(newest);
    while (previous && count < limit && seen.insert(*previous).second) {
        std::optional<Section> older = readSectionAt(bytes, *previous, scratch);
        if (!older) {
            break;
        }
        ++count;
        previous = previousOf(*older);
    }
    return count;
}

} // namespace

std::optional<LastCrossReference> readLastCrossReference(std::string_view bytes) {
    if (bytes.substr(0, 5) != "%PDF-") {
        return std::nullopt;
    }
    const std::optional<std::int64_t> offset = startxrefValue(bytes);
    if (!offset) {
        return std::nullopt;
    }
    QPDF scratch;
    scratch.setSuppressWarnings(true);
    std::optional<Section> newest;
    try {
        scratch.emptyPDF();
        newest = readSectionAt(bytes, *offset, scratch);
    } catch (const std::exception&) {
        return std::nullopt;
    }
    if (!newest) {
        return std::nullopt;
    }
    auto entry = [&newest](const std::string& key) {
        auto found = newest->entries.find(key);
        return found == newest->entries.end() ? QPDFObjectHandle::newNull() : found->second;
    };
    if (!entry("/Size").isInteger() || !entry("/Root").isIndirect()) {
        return std::nullopt;
    }
    LastCrossReference section;
    section.offset = *offset;
    section.kind = newest->kind;
    section.size = entry("/Size").getIntValue();
    if (section.size <= 0 || section.size >= kLargestSize) {
        return std::nullopt;
    }
    for (auto& [key, value] : newest->entries) {
        bool own = false;
        for (std::string_view ownKey : kSectionOwnKeys) {
            own = own || key == ownKey;
        }
        if (!own && (value.isIndirect() || !value.isNull())) {
            section.trailer.emplace(nameText(key), value.unparse());
        }
    }
    section.sections = countSections(bytes, *newest, scratch, kSectionsCounted);
    return section;
}

} // namespace paginor::engine
