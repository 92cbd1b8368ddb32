#include "engine/incremental/document_changes.h"

#include "engine/incremental/flate.h"
#include "engine/incremental/update_section_writer.h"

#include <qpdf/QPDF.hh>

#include <algorithm>

namespace paginor::engine {

DocumentChanges::DocumentChanges(QPDF& pdf, std::int64_t originalSize, SpareObjects spares)
    : pdf_(pdf), originalSize_(originalSize), spares_(spares) {}

int DocumentChanges::firstNewNumber() {
    if (!firstNewNumber_) {
        // The file's /Size may be short of its highest object (a common
        // fault): new numbers start above both. The table is only read, no
        // object is resolved.
        std::int64_t first = std::max<std::int64_t>(originalSize_, 1);
        for (const auto& [og, entry] : pdf_.getXRefTable()) {
            if (og.getGen() != kSpareGeneration) {
                first = std::max<std::int64_t>(first, og.getObj() + 1);
            }
        }
        firstNewNumber_ = static_cast<int>(first);
    }
    return *firstNewNumber_;
}

bool DocumentChanges::isOriginal(QPDFObjGen object) {
    return isOriginalObject(object, firstNewNumber());
}

void DocumentChanges::changed(QPDFObjectHandle object) {
    if (!object.isIndirect()) {
        requireRewrite("an object without a number of its own was changed");
        return;
    }
    if (isOriginal(object.getObjGen())) {
        changed_.insert(object.getObjGen());
    }
}

QPDFObjectHandle DocumentChanges::ownerOf(QPDFObjectHandle container, const std::string& key) {
    QPDFObjectHandle value = container.getKey(key);
    return value.isIndirect() ? value : container;
}

QPDFObjectHandle DocumentChanges::takeStream() {
    while (sparesTaken_ < spares_.count) {
        QPDFObjectHandle spare =
            pdf_.getObject(spares_.firstNumber + sparesTaken_++, kSpareGeneration);
        if (spare.isStream()) {
            return spare;
        }
    }
    // The pool is used up (or there is none): qpdf numbers the stream, at
    // the price of resolving the whole file once.
    walked_ = true;
    return pdf_.newStream();
}

void DocumentChanges::fill(QPDFObjectHandle stream, const std::string& data,
                           QPDFObjectHandle dictionary, StreamCompression compression) {
    stream.replaceDict(dictionary.isDictionary() ? dictionary : QPDFObjectHandle::newDictionary());
    if (compression == StreamCompression::Flate) {
        stream.replaceStreamData(deflate(data), QPDFObjectHandle::newName("/FlateDecode"),
                                 QPDFObjectHandle::newNull());
    } else {
        stream.replaceStreamData(data, QPDFObjectHandle::newNull(), QPDFObjectHandle::newNull());
    }
}

QPDFObjectHandle DocumentChanges::newStream(const std::string& data, QPDFObjectHandle dictionary,
                                            StreamCompression compression) {
    QPDFObjectHandle stream = takeStream();
    fill(stream, data, dictionary, compression);
    made_.push_back(stream.getObjGen());
    return stream;
}

void DocumentChanges::rewriteStream(QPDFObjectHandle stream, const std::string& data,
                                    QPDFObjectHandle dictionary, StreamCompression compression) {
    fill(stream, data, dictionary, compression);
    changed(stream);
}

QPDFObjectHandle DocumentChanges::newObject(QPDFObjectHandle direct) {
    if (walked_) {
        QPDFObjectHandle made = pdf_.makeIndirectObject(direct);
        made_.push_back(made.getObjGen());
        return made;
    }
    int number =
        std::max({nextObjectNumber_, firstNewNumber(), spares_.firstNumber + spares_.count});
    // qpdf may have numbered objects up here itself since (page copies).
    while (!pdf_.getObject(number, 0).isNull()) {
        ++number;
    }
    nextObjectNumber_ = number + 1;
    pdf_.replaceObject(QPDFObjGen(number, 0), direct);
    made_.emplace_back(number, 0);
    return pdf_.getObject(number, 0);
}

void DocumentChanges::forgetChanges() {
    changed_.clear();
    made_.clear();
    sparesTaken_ = 0;
    nextObjectNumber_ = 0;
    rewriteReason_.reset();
}

void DocumentChanges::requireRewrite(const std::string& reason) {
    if (!rewriteReason_) {
        rewriteReason_ = reason;
    }
}

std::vector<QPDFObjGen> DocumentChanges::changedObjects() const {
    return {changed_.begin(), changed_.end()};
}

} // namespace paginor::engine
