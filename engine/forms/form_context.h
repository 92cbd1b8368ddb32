// What a field write works with besides the field: the document, the record
// of its changes (every object a write changes is marked there, and new
// objects come from it), and what stays parsed between writes to one
// document: its fonts, its XFA data, which appearance streams each widget
// owns alone.
#pragma once

#include "field_tree.h"
#include "form_font_cache.h"
#include "xfa_datasets.h"

#include "engine/incremental/document_changes.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjGen.hh>

#include <map>
#include <memory>
#include <optional>

namespace paginor::engine::forms {

class FormContext {
public:
    FormContext(QPDF& pdf, paginor::engine::DocumentChanges& changes);

    QPDF& pdf() { return pdf_; }
    paginor::engine::DocumentChanges& changes() { return changes_; }
    FormFontCache& fonts() { return fonts_; }

    // A usage-rights signature (/Perms /UR3) is on the document: its XFA
    // part is kept and fed the values written.
    bool keepsXfa();
    // The XFA data to keep in step; null when there is none.
    XfaDatasets* xfaDatasets();

    // The widgets of `tree` tell which appearance streams are shared.
    void noteWidgets(const FieldTree& tree);
    // Whether the normal-appearance stream `stream` may be drawn over for
    // the one widget that shows it: no other widget refers to it (known only
    // once noteWidgets() has seen the form), or it was made in this session.
    bool ownsAppearance(QPDFObjectHandle stream);

    // For when the document changed in ways field writes do not.
    void forget();
    // The document was put back to the state it was opened in: the fonts it
    // embedded and the XFA data read since are gone; its own fonts hold.
    void forgetMadeObjects();

private:
    QPDF& pdf_;
    paginor::engine::DocumentChanges& changes_;
    FormFontCache fonts_;
    std::optional<bool> keepsXfa_;
    std::optional<std::unique_ptr<XfaDatasets>> datasets_;
    std::optional<std::map<QPDFObjGen, int>> appearanceUsers_;
};

} // namespace paginor::engine::forms
