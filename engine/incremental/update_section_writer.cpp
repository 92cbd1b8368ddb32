#include "engine/incremental/update_section_writer.h"

#include "engine/incremental/cross_reference_writer.h"
#include "engine/incremental/object_encryption.h"
#include "engine/incremental/object_writer.h"
#include "engine/incremental/spare_object_section.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QUtil.hh>

#include <nettle/md5.h>
#include <sys/random.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <deque>
#include <map>
#include <set>
#include <stdexcept>

namespace paginor::engine {

namespace {

// Trailer entries the update writes itself or that only describe the
// section they were found in.
const std::set<std::string> kTrailerOwnKeys = {"/Size",   "/Prev",       "/XRefStm", "/ID",
                                               "/Type",   "/W",          "/Index",   "/Filter",
                                               "/Length", "/DecodeParms"};

bool endsWithLineEnd(std::string_view bytes) {
    return !bytes.empty() && (bytes.back() == '\n' || bytes.back() == '\r');
}

// The file identifier's second half names this version of the document.
// Nettle directly rather than qpdf's crypto provider, so that a save of a
// plain document does not need the engine server to load GnuTLS.
std::string versionIdentifier(const std::string& first, const std::string& update) {
    md5_ctx context;
    md5_init(&context);
    md5_update(&context, first.size(), reinterpret_cast<const std::uint8_t*>(first.data()));
    md5_update(&context, update.size(), reinterpret_cast<const std::uint8_t*>(update.data()));
    std::array<std::uint8_t, MD5_DIGEST_SIZE> digest{};
    md5_digest(&context, digest.size(), digest.data());
    return std::string(reinterpret_cast<const char*>(digest.data()), digest.size());
}

std::string randomIdentifier() {
    std::array<char, 16> bytes{};
    std::size_t filled = 0;
    while (filled < bytes.size()) {
        const ssize_t got = getrandom(bytes.data() + filled, bytes.size() - filled, 0);
        if (got < 0 && errno != EINTR) {
            throw std::runtime_error("no random bytes for the file identifier");
        }
        filled += got > 0 ? static_cast<std::size_t>(got) : 0;
    }
    return std::string(bytes.data(), bytes.size());
}

class Update {
public:
    Update(QPDF& pdf, const UpdatePlan& plan)
        : pdf_(pdf), plan_(plan), encryption_(ObjectEncryption::of(pdf)),
          nextNumber_(std::max<std::int64_t>(plan.firstNewNumber, plan.last.size)),
          objects_([this](QPDFObjGen og) { return numberInFile(og); },
                   encryption_ ? &*encryption_ : nullptr) {}

    std::string write() {
        base_ = static_cast<std::int64_t>(plan_.original.size());
        if (!endsWithLineEnd(plan_.original)) {
            text_ += "\n";
        }
        for (QPDFObjGen og : plan_.changed) {
            schedule(og);
        }
        const std::string trailer = trailerEntries();
        while (!queue_.empty()) {
            const QPDFObjGen og = queue_.front();
            queue_.pop_front();
            const QPDFObjGen asNumber = numberInFile(og);
            entries_.push_back({asNumber.getObj(), asNumber.getGen(), offset()});
            text_ += objects_.write(pdf_.getObject(og), asNumber,
                                    [this](QPDFObjGen referenced) { reached(referenced); });
        }
        const std::string identifiers = identifierEntry();
        const std::int64_t sectionOffset = offset();
        if (plan_.last.kind == CrossReferenceKind::Stream) {
            const int streamNumber = static_cast<int>(nextNumber_++);
            text_ += crossReferenceStream(entries_, sizeEntry() + " " + trailer + identifiers,
                                          streamNumber, sectionOffset);
        } else {
            text_ += crossReferenceTable(entries_, sizeEntry() + " " + trailer + identifiers,
                                         sectionOffset);
        }
        return std::move(text_);
    }

private:
    std::int64_t offset() const { return base_ + static_cast<std::int64_t>(text_.size()); }

    QPDFObjGen numberInFile(QPDFObjGen og) {
        if (isOriginalObject(og, plan_.firstNewNumber)) {
            return og;
        }
        auto found = renumbered_.find(og);
        if (found == renumbered_.end()) {
            found = renumbered_.emplace(og, QPDFObjGen(static_cast<int>(nextNumber_++), 0)).first;
        }
        return found->second;
    }

    void schedule(QPDFObjGen og) {
        if (scheduled_.insert(og).second) {
            queue_.push_back(og);
        }
    }

    // A reference from a written object: new objects go along; the file's
    // own objects are already in it (or changed and scheduled).
    void reached(QPDFObjGen og) {
        if (!isOriginalObject(og, plan_.firstNewNumber)) {
            schedule(og);
        }
    }

    std::string sizeEntry() const {
        const std::int64_t size = std::max<std::int64_t>(plan_.last.size, nextNumber_);
        return "/Size " + std::to_string(size) + " /Prev " + std::to_string(plan_.last.offset);
    }

    // The trailer as it is in memory now (its /Info may be new), written in
    // the clear: trailers are never encrypted.
    std::string trailerEntries() {
        QPDFObjectHandle trailer = pdf_.getTrailer();
        std::string out;
        for (auto& [key, value] : trailer.getDictAsMap()) {
            if (kTrailerOwnKeys.count(key) != 0 || (!value.isIndirect() && value.isNull())) {
                continue;
            }
            if (!out.empty()) {
                out += ' ';
            }
            out += nameText(key);
            out += ' ';
            out += objects_.writeClear(value, [this](QPDFObjGen og) { reached(og); });
        }
        return out;
    }

    std::string identifierEntry() {
        QPDFObjectHandle id = pdf_.getTrailer().getKey("/ID");
        std::string first;
        if (id.isArray() && id.getArrayNItems() >= 1 && id.getArrayItem(0).isString()) {
            first = id.getArrayItem(0).getStringValue();
        }
        if (first.empty()) {
            first = randomIdentifier();
        }
        return " /ID [<" + QUtil::hex_encode(first) + "> <" +
               QUtil::hex_encode(versionIdentifier(first, text_)) + ">]";
    }

    QPDF& pdf_;
    const UpdatePlan& plan_;
    std::optional<ObjectEncryption> encryption_;
    std::int64_t nextNumber_;
    ObjectWriter objects_;
    std::int64_t base_ = 0;
    std::string text_;
    std::deque<QPDFObjGen> queue_;
    std::set<QPDFObjGen> scheduled_;
    std::map<QPDFObjGen, QPDFObjGen> renumbered_;
    std::vector<CrossReferenceEntry> entries_;
};

} // namespace

bool isOriginalObject(QPDFObjGen object, int firstNewNumber) {
    return object.getGen() != kSpareGeneration && object.getObj() < firstNewNumber;
}

std::string updateSection(QPDF& pdf, const UpdatePlan& plan) {
    return Update(pdf, plan).write();
}

} // namespace paginor::engine
