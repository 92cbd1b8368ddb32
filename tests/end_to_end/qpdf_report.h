// What `qpdf --json` says about a PDF file: pages, outlines, form fields and
// the objects behind them. Used as the independent witness of what fmcalc did.
#pragma once

#include "e2e_support.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace paginor::e2e {

namespace field_flag {
constexpr unsigned ReadOnly = 1u << 0;
constexpr unsigned Multiline = 1u << 12;
constexpr unsigned Radio = 1u << 15;
constexpr unsigned PushButton = 1u << 16;
constexpr unsigned Combo = 1u << 17;
constexpr unsigned Edit = 1u << 18;
constexpr unsigned MultiSelect = 1u << 21;
constexpr unsigned Comb = 1u << 24;
} // namespace field_flag

namespace annotation_flag {
constexpr unsigned Hidden = 1u << 1;
constexpr unsigned NoView = 1u << 5;
} // namespace annotation_flag

struct Widget {
    std::string object;
    int page = 0; // 1-based, 0 when on no page
    unsigned annotationFlags = 0;
    std::vector<double> rect;          // x1 y1 x2 y2 as written in the file
    std::vector<std::string> onStates; // normal appearance states other than Off, as text
    std::string state;                 // the /AS name ("/Off", "/Yes"), empty when none
};

struct QpdfField {
    std::string name;   // fully qualified, UTF-8
    std::string type;   // "/Tx", "/Btn", "/Ch", "/Sig"
    unsigned flags = 0; // inherited field flags
    JsonValue value;    // as qpdf gives it: "u:text", "/Name", an array, or null
    int maxLength = -1;
    std::vector<std::string> options; // export values of a choice field
    std::vector<Widget> widgets;
    bool checkBox = false;
    bool radio = false;

    bool pushButton() const { return type == "/Btn" && (flags & field_flag::PushButton) != 0; }
    bool signature() const { return type == "/Sig"; }
    bool readOnly() const { return (flags & field_flag::ReadOnly) != 0; }
    bool text() const { return type == "/Tx"; }
    bool combo() const { return type == "/Ch" && (flags & field_flag::Combo) != 0; }
    bool list() const { return type == "/Ch" && (flags & field_flag::Combo) == 0; }
    // The button on-states of every widget, each once, in order.
    std::vector<std::string> onStates() const;
};

struct PageGeometry {
    std::vector<double> box; // the crop box (else the media box), x1 y1 x2 y2
    int rotate = 0;
};

class QpdfReport {
public:
    // Runs qpdf on `file`; nullopt with `error` set when qpdf cannot report.
    static std::optional<QpdfReport> load(const std::filesystem::path& file, std::string* error);

    int pageCount() const { return static_cast<int>(json_["pages"].items().size()); }
    // Every outline item, nested ones included.
    int outlineCount() const;
    // The destination page (1-based, 0 for none) of every outline item, depth first.
    std::vector<int> outlinePages() const;
    // Terminal fields grouped by name, in qpdf's order.
    const std::vector<QpdfField>& fields() const { return fields_; }
    const QpdfField* field(const std::string& name) const;
    // The names of fields with a widget that a walk of /AcroForm /Fields
    // (and /Kids) does not reach: fields that tools reading /Fields alone
    // do not see (qpdf lists them, warning that they are not reachable).
    std::vector<std::string> fieldsOutsideFields() const;
    bool hasXfa() const;
    // A usage-rights signature (/Perms /UR3) is on the document.
    bool hasUsageRights() const;
    PageGeometry page(int pageFrom1) const;
    // An object's dictionary (a stream's dictionary for streams); null when absent.
    const JsonValue& object(const std::string& reference) const;
    // `value` itself, or the object it refers to.
    const JsonValue& resolve(const JsonValue& value) const;

private:
    const JsonValue& inherited(const JsonValue& dictionary, const std::string& key) const;
    void collectFields();

    JsonValue json_;
    std::vector<QpdfField> fields_;
};

// The text of a qpdf JSON string ("u:…" gives the text; other forms as given).
std::string pdfText(const JsonValue& value);
// A name's text without its slash and "#xx" escapes: UTF-8 when its bytes
// are UTF-8, else read as PDFDocEncoding.
std::string nameText(const std::string& name);
// True when a qpdf JSON string is an indirect reference ("12 0 R").
bool isReference(const JsonValue& value);

} // namespace paginor::e2e
