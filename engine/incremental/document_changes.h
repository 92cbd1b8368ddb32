// What changed in one open document since it was read, and the new objects
// made since: what an incremental save writes.
//
// Every engine operation that changes an object of the file says so with
// changed(); new objects come from here (newStream, newObject) so that no
// whole-file work is done to number them, and need no mark: the update
// writes whatever a changed object reaches that the file does not hold.
// A change this cannot express as an update (pages inserted or deleted, an
// object without a number of its own changed) is recorded with
// requireRewrite(), and the document is then saved as a whole.
#pragma once

#include "engine/incremental/spare_object_section.h"

#include <qpdf/QPDFObjGen.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include <optional>
#include <set>
#include <string>
#include <vector>

class QPDF;

namespace paginor::engine {

enum class StreamCompression { None, Flate };

class DocumentChanges {
public:
    // `originalSize` is the /Size of the file's newest trailer (0 when it
    // is not known); `spares` the pool appended to the parsed copy (count 0
    // without one).
    DocumentChanges(QPDF& pdf, std::int64_t originalSize, SpareObjects spares);

    // Marks `object` (an object of the document) as changed. A direct
    // object has no number of its own: changing one cannot be written as
    // an update, so the document will be saved as a whole.
    void changed(QPDFObjectHandle object);
    // The object a change of container[key] changes: the value itself when
    // it is an object of its own, else the container.
    static QPDFObjectHandle ownerOf(QPDFObjectHandle container, const std::string& key);

    // A new stream with `data` (deflated first with Flate) and `dictionary`
    // (a direct dictionary that becomes the stream's own, or null for none).
    QPDFObjectHandle newStream(const std::string& data, QPDFObjectHandle dictionary,
                               StreamCompression compression = StreamCompression::None);
    // Replaces the dictionary (which becomes the stream's own) and data of an
    // existing stream (of the file or new), marking it changed.
    void rewriteStream(QPDFObjectHandle stream, const std::string& data,
                       QPDFObjectHandle dictionary,
                       StreamCompression compression = StreamCompression::None);
    // `direct` installed as a new object of its own; answers the reference.
    QPDFObjectHandle newObject(QPDFObjectHandle direct);

    void requireRewrite(const std::string& reason);
    // Why the document must be saved as a whole; nothing when an update can
    // hold every change.
    const std::optional<std::string>& rewriteReason() const { return rewriteReason_; }

    // The file's objects changed since the open, in number order.
    std::vector<QPDFObjGen> changedObjects() const;
    // The objects made since the open.
    const std::vector<QPDFObjGen>& madeObjects() const { return made_; }
    bool anyChange() const { return !changed_.empty() || !made_.empty(); }
    // qpdf numbered a new object itself (it then resolved the whole file).
    bool qpdfNumberedObjects() const { return walked_; }

    // Back to the state of the open, for a document whose changed objects
    // the caller has put back and whose made objects it has emptied: the
    // spares are free again, nothing is marked.
    void forgetChanges();
    // Objects numbered from here on (and the spares) are not the file's own.
    int firstNewNumber();
    bool isOriginal(QPDFObjGen object);

    int sparesLeft() const { return spares_.count - sparesTaken_; }

private:
    QPDFObjectHandle takeStream();
    void fill(QPDFObjectHandle stream, const std::string& data, QPDFObjectHandle dictionary,
              StreamCompression compression);

    QPDF& pdf_;
    std::int64_t originalSize_;
    SpareObjects spares_;
    int sparesTaken_ = 0;
    std::optional<int> firstNewNumber_;
    int nextObjectNumber_ = 0;
    bool walked_ = false; // qpdf has numbered a new object itself (and resolved the file)
    std::vector<QPDFObjGen> made_;
    std::set<QPDFObjGen> changed_;
    std::optional<std::string> rewriteReason_;
};

} // namespace paginor::engine
