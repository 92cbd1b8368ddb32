#include "qpdf_json_report.h"

#include "engine_test_support.h"

#include <qpdf/JSON.hh>

#include <algorithm>
#include <optional>

namespace engine_test {

namespace {

std::optional<JSON> member(const JSON& object, const std::string& key) {
    std::optional<JSON> found;
    object.forEachDictItem([&](const std::string& name, JSON value) {
        if (name == key) {
            found = value;
        }
    });
    return found;
}

std::string text(const JSON& object, const std::string& key) {
    std::string value;
    if (auto item = member(object, key)) {
        item->getString(value);
    }
    return value;
}

int number(const JSON& object, const std::string& key) {
    std::string value;
    if (auto item = member(object, key); item && item->getNumber(value)) {
        return std::stoi(value);
    }
    return 0;
}

void readOutline(const JSON& items, int depth, std::vector<OutlineEntry>& out) {
    items.forEachArrayItem([&](JSON item) {
        out.push_back({text(item, "title"), number(item, "destpageposfrom1"), depth});
        if (auto kids = member(item, "kids")) {
            readOutline(*kids, depth + 1, out);
        }
    });
}

} // namespace

std::vector<std::string> QpdfReport::fieldNames() const {
    std::vector<std::string> names;
    for (const auto& field : fields) {
        if (std::find(names.begin(), names.end(), field.name) == names.end()) {
            names.push_back(field.name);
        }
    }
    return names;
}

QpdfReport qpdfReport(const std::filesystem::path& file) {
    int exitCode = -1;
    const std::string output =
        runProgram({"qpdf", "--json=2", "--json-key=pages", "--json-key=outlines",
                    "--json-key=acroform", file.string()},
                   &exitCode);
    QpdfReport report;
    if (exitCode != 0 && exitCode != 3) {
        return report;
    }
    const JSON json = JSON::parse(output);
    if (auto pages = member(json, "pages")) {
        pages->forEachArrayItem([&](JSON) { ++report.pages; });
    }
    if (auto outlines = member(json, "outlines")) {
        readOutline(*outlines, 0, report.outline);
    }
    if (auto form = member(json, "acroform")) {
        if (auto fields = member(*form, "fields")) {
            fields->forEachArrayItem([&](JSON field) {
                report.fields.push_back({text(field, "fullname"), number(field, "pageposfrom1")});
            });
        }
    }
    report.ok = true;
    return report;
}

} // namespace engine_test
