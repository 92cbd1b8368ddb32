// Looking up named destinations: names in the catalog's /Dests dictionary,
// strings in the /Names /Dests name tree. Outline code uses this instead of
// qpdf's outline helper, whose constructor walks the whole outline and never
// ends on an item whose children loop back on each other.
#pragma once

#include <qpdf/QPDFNameTreeObjectHelper.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include <optional>

class QPDF;

namespace paginor::engine {

class NamedDestinations {
public:
    explicit NamedDestinations(QPDF& pdf);

    // The destination `name` stands for (the /D of a destination
    // dictionary); null when the document does not define it.
    QPDFObjectHandle resolve(QPDFObjectHandle name);

private:
    QPDF& pdf_;
    std::optional<QPDFNameTreeObjectHelper> nameTree_;
};

} // namespace paginor::engine
