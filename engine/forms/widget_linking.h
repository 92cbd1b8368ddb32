// Widgets on the pages that /AcroForm /Fields does not reach. This engine
// finds and fills them, but every other tool walks /Fields and sees fewer
// fields than the user filled; a save after a field write links them in.
#pragma once

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include <functional>
#include <string>
#include <vector>

namespace paginor::engine::forms {

// An entry a change replaced or grew: container[key].
struct ChangedEntry {
    QPDFObjectHandle container;
    std::string key;
};

// Puts each unreachable widget's topmost unreachable ancestor (the widget
// itself when it has none) into the field tree: into /Fields when it has no
// parent /Fields reaches, else into that parent's /Kids, in page order. A
// linked field whose full name is already taken is renamed the way inserted
// fields are: "+N" (the smallest N that is free) appended to its /T. A /Fields
// that is not an array becomes one, and a form is made when there is none.
// Documents with signatures or usage rights are left as they are. Answers
// every entry it changed, so that they can be recorded as changes. A form it
// has to make is made by `makeObject` (qpdf numbers it when none is given).
std::vector<ChangedEntry>
linkUnreachableWidgets(QPDF& pdf,
                       const std::function<QPDFObjectHandle(QPDFObjectHandle)>& makeObject = {});

// A signature value, a signature flag or a usage-rights dictionary: a change
// to the form's structure may break what they vouch for.
bool carriesSignaturesOrUsageRights(QPDF& pdf);

} // namespace paginor::engine::forms
