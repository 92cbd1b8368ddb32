// State another part of the engine keeps about one document (the form's
// field tree, its parsed fonts), held by the document for as long as it
// lives, across its reuse for the next open of the same file too.
#pragma once

#include <qpdf/QPDFObjectHandle.hh>

#include <vector>

namespace paginor::engine {

class DocumentAttachment {
public:
    virtual ~DocumentAttachment() = default;

    // Objects this part may have changed, for the document to check against
    // the file when it is put back to the state it was opened in.
    virtual void objectsItMayHaveChanged(std::vector<QPDFObjectHandle>& objects) = 0;
    // The document is back in the state it was opened in: forget whatever
    // refers to objects made since.
    virtual void documentReset() = 0;
};

} // namespace paginor::engine
