#include "engine/document/named_destinations.h"

#include <qpdf/QPDF.hh>

namespace paginor::engine {

NamedDestinations::NamedDestinations(QPDF& pdf) : pdf_(pdf) {
    QPDFObjectHandle names = pdf.getRoot().getKey("/Names");
    if (names.isDictionary() && names.getKey("/Dests").isDictionary()) {
        nameTree_.emplace(names.getKey("/Dests"), pdf);
    }
}

QPDFObjectHandle NamedDestinations::resolve(QPDFObjectHandle name) {
    QPDFObjectHandle result;
    if (name.isName()) {
        QPDFObjectHandle dests = pdf_.getRoot().getKey("/Dests");
        if (dests.isDictionary()) {
            result = dests.getKey(name.getName());
        }
    } else if (name.isString() && nameTree_) {
        nameTree_->findObject(name.getUTF8Value(), result);
    }
    if (result.isInitialized() && result.isDictionary()) {
        result = result.getKey("/D");
    }
    return result.isInitialized() ? result : QPDFObjectHandle::newNull();
}

} // namespace paginor::engine
