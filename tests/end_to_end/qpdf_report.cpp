#include "qpdf_report.h"

#include "e2e_support.h"

#include <qpdf/QUtil.hh>

#include <algorithm>
#include <cctype>
#include <functional>
#include <regex>
#include <set>

namespace paginor::e2e {

namespace {

bool validUtf8(const std::string& bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        const std::size_t length = lead < 0x80         ? 1
                                   : (lead >> 5) == 6  ? 2
                                   : (lead >> 4) == 14 ? 3
                                   : (lead >> 3) == 30 ? 4
                                                       : 0;
        if (length == 0 || i + length > bytes.size()) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80) {
                return false;
            }
        }
        i += length;
    }
    return true;
}

int hexDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c))
               ? c - '0'
               : std::tolower(static_cast<unsigned char>(c)) - 'a' + 10;
}

} // namespace

std::string pdfText(const JsonValue& value) {
    const std::string& text = value.text();
    if (text.rfind("u:", 0) == 0) {
        return text.substr(2);
    }
    if (text.rfind("b:", 0) == 0) {
        // Bytes qpdf did not see as Unicode: PDFDocEncoding text.
        std::string bytes;
        for (std::size_t i = 2; i + 1 < text.size(); i += 2) {
            bytes.push_back(static_cast<char>(hexDigit(text[i]) * 16 + hexDigit(text[i + 1])));
        }
        return QUtil::pdf_doc_to_utf8(bytes);
    }
    return text;
}

std::string nameText(const std::string& name) {
    std::string bytes;
    for (std::size_t i = name.rfind('/', 0) == 0 ? 1 : 0; i < name.size(); ++i) {
        if (name[i] == '#' && i + 2 < name.size() &&
            std::isxdigit(static_cast<unsigned char>(name[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(name[i + 2]))) {
            bytes.push_back(static_cast<char>(hexDigit(name[i + 1]) * 16 + hexDigit(name[i + 2])));
            i += 2;
        } else {
            bytes.push_back(name[i]);
        }
    }
    return validUtf8(bytes) ? bytes : QUtil::pdf_doc_to_utf8(bytes);
}

bool isReference(const JsonValue& value) {
    static const std::regex reference(R"(\d+ \d+ R)");
    return value.isString() && std::regex_match(value.text(), reference);
}

std::vector<std::string> QpdfField::onStates() const {
    std::vector<std::string> states;
    for (const Widget& widget : widgets) {
        for (const std::string& state : widget.onStates) {
            if (std::find(states.begin(), states.end(), state) == states.end()) {
                states.push_back(state);
            }
        }
    }
    return states;
}

std::optional<QpdfReport> QpdfReport::load(const std::filesystem::path& file, std::string* error) {
    const ProcessResult run =
        runProcess("qpdf", {"--json", "--json-key=pages", "--json-key=outlines",
                            "--json-key=acroform", "--json-key=qpdf", file.string()});
    // Exit 3 means warnings only; the report is complete.
    if (run.exitCode != 0 && run.exitCode != 3) {
        if (error) {
            *error = "qpdf exit " + std::to_string(run.exitCode) + ": " + run.err;
        }
        return std::nullopt;
    }
    auto json = JsonValue::parse(run.out);
    if (!json) {
        if (error) {
            *error = "qpdf printed no JSON";
        }
        return std::nullopt;
    }
    QpdfReport report;
    report.json_ = std::move(*json);
    report.collectFields();
    return report;
}

int QpdfReport::outlineCount() const {
    std::function<int(const JsonValue&)> count = [&](const JsonValue& items) {
        int total = 0;
        for (const JsonValue& item : items.items()) {
            total += 1 + count(item["kids"]);
        }
        return total;
    };
    return count(json_["outlines"]);
}

std::vector<int> QpdfReport::outlinePages() const {
    std::vector<int> pages;
    std::function<void(const JsonValue&)> walk = [&](const JsonValue& items) {
        for (const JsonValue& item : items.items()) {
            pages.push_back(static_cast<int>(item["destpageposfrom1"].number()));
            walk(item["kids"]);
        }
    };
    walk(json_["outlines"]);
    return pages;
}

const QpdfField* QpdfReport::field(const std::string& name) const {
    for (const QpdfField& candidate : fields_) {
        if (candidate.name == name) {
            return &candidate;
        }
    }
    return nullptr;
}

std::vector<std::string> QpdfReport::fieldsOutsideFields() const {
    std::set<std::string> reached;
    std::function<void(const JsonValue&, int)> walk = [&](const JsonValue& node, int depth) {
        if (depth > 64) {
            return;
        }
        if (isReference(node)) {
            if (!reached.insert(node.text()).second) {
                return;
            }
        }
        for (const JsonValue& kid : resolve(resolve(node)["/Kids"]).items()) {
            walk(kid, depth + 1);
        }
    };
    const JsonValue& root = resolve(object("trailer")["/Root"]);
    for (const JsonValue& top : resolve(resolve(root["/AcroForm"])["/Fields"]).items()) {
        walk(top, 0);
    }
    std::vector<std::string> outside;
    for (const QpdfField& candidate : fields_) {
        for (const Widget& widget : candidate.widgets) {
            if (reached.count(widget.object) == 0) {
                outside.push_back(candidate.name);
                break;
            }
        }
    }
    return outside;
}

bool QpdfReport::hasXfa() const {
    const JsonValue& trailer = object("trailer");
    const JsonValue& root = resolve(trailer["/Root"]);
    return resolve(root["/AcroForm"]).has("/XFA");
}

bool QpdfReport::hasUsageRights() const {
    const JsonValue& root = resolve(object("trailer")["/Root"]);
    return resolve(root["/Perms"]).has("/UR3");
}

const JsonValue& QpdfReport::object(const std::string& reference) const {
    static const JsonValue null;
    const auto& sections = json_["qpdf"].items();
    if (sections.size() < 2) {
        return null;
    }
    if (reference == "trailer") {
        return sections[1]["trailer"]["value"];
    }
    const JsonValue& entry = sections[1]["obj:" + reference];
    return entry.has("stream") ? entry["stream"]["dict"] : entry["value"];
}

const JsonValue& QpdfReport::resolve(const JsonValue& value) const {
    return isReference(value) ? object(value.text()) : value;
}

const JsonValue& QpdfReport::inherited(const JsonValue& dictionary, const std::string& key) const {
    const JsonValue* node = &dictionary;
    for (int depth = 0; depth < 50 && node->isObject(); ++depth) {
        if (node->has(key)) {
            return resolve((*node)[key]);
        }
        node = &resolve((*node)["/Parent"]);
    }
    static const JsonValue null;
    return null;
}

PageGeometry QpdfReport::page(int pageFrom1) const {
    PageGeometry geometry;
    const auto& pages = json_["pages"].items();
    if (pageFrom1 < 1 || static_cast<std::size_t>(pageFrom1) > pages.size()) {
        return geometry;
    }
    const JsonValue& dictionary =
        object(pages[static_cast<std::size_t>(pageFrom1 - 1)]["object"].text());
    const JsonValue* box = &inherited(dictionary, "/CropBox");
    if (!box->isArray()) {
        box = &inherited(dictionary, "/MediaBox");
    }
    for (const JsonValue& number : box->items()) {
        geometry.box.push_back(resolve(number).number());
    }
    geometry.rotate = static_cast<int>(inherited(dictionary, "/Rotate").number());
    return geometry;
}

void QpdfReport::collectFields() {
    for (const JsonValue& entry : json_["acroform"]["fields"].items()) {
        const std::string name = entry["fullname"].text();
        auto found = std::find_if(fields_.begin(), fields_.end(),
                                  [&](const QpdfField& field) { return field.name == name; });
        if (found == fields_.end()) {
            QpdfField field;
            field.name = name;
            field.type = entry["fieldtype"].text();
            field.flags = static_cast<unsigned>(entry["fieldflags"].number());
            field.value = entry["value"];
            field.checkBox = entry["ischeckbox"].boolean();
            field.radio = entry["isradiobutton"].boolean();
            const JsonValue& dictionary = object(entry["object"].text());
            const JsonValue& maxLength = inherited(dictionary, "/MaxLen");
            if (maxLength.kind() == JsonValue::Kind::Number) {
                field.maxLength = static_cast<int>(maxLength.number());
            }
            for (const JsonValue& option : inherited(dictionary, "/Opt").items()) {
                const JsonValue& resolved = resolve(option);
                field.options.push_back(pdfText(resolved.isArray() && !resolved.items().empty()
                                                    ? resolve(resolved.items().front())
                                                    : resolved));
            }
            fields_.push_back(std::move(field));
            found = fields_.end() - 1;
        }
        Widget widget;
        widget.object = entry["annotation"]["object"].text();
        widget.page = static_cast<int>(entry["pageposfrom1"].number());
        widget.annotationFlags =
            static_cast<unsigned>(entry["annotation"]["annotationflags"].number());
        const JsonValue& dictionary = object(widget.object);
        for (const JsonValue& number : resolve(dictionary["/Rect"]).items()) {
            widget.rect.push_back(resolve(number).number());
        }
        const JsonValue& state = resolve(dictionary["/AS"]);
        widget.state = state.text().rfind('/', 0) == 0 ? state.text() : std::string();
        const JsonValue& normal = resolve(resolve(dictionary["/AP"])["/N"]);
        if (found->type == "/Btn") {
            for (const auto& [state, appearance] : normal.members()) {
                if (state != "/Off" && state.size() > 1) {
                    widget.onStates.push_back(nameText(state));
                }
            }
        }
        found->widgets.push_back(std::move(widget));
    }
}

} // namespace paginor::e2e
