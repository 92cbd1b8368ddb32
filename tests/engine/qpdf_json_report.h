// What `qpdf --json` says about a file: its pages, outline and form fields,
// as the tests compare them.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace engine_test {

struct OutlineEntry {
    std::string title;
    int page;  // 1-based destination page, 0 when none
    int depth; // 0 for top-level items
    bool operator==(const OutlineEntry&) const = default;
};

struct FieldEntry {
    std::string name; // fully qualified
    int page;         // 1-based page of its widget
    bool operator==(const FieldEntry&) const = default;
};

struct QpdfReport {
    bool ok = false;
    int pages = 0;
    std::vector<OutlineEntry> outline;           // depth-first order
    std::vector<FieldEntry> fields;              // one entry per widget
    std::vector<std::string> fieldNames() const; // distinct, in order
};

QpdfReport qpdfReport(const std::filesystem::path& file);

} // namespace engine_test
