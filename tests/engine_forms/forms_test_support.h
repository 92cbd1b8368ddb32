// Shared helpers for the form-field tests: locating sample files, a small
// generated form, saving and reopening, and rendering with the viewers' tools.
#pragma once

#include "engine/forms/field_tree.h"

#include <qpdf/QPDF.hh>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace paginor::engine::forms::test {

// The shared corpus folder, or nothing when it is absent.
std::optional<std::filesystem::path> corpusDir();

std::unique_ptr<QPDF> openPdf(const std::filesystem::path& path);
// qpdf reads the bytes in place, so the answer keeps its own copy alive.
std::shared_ptr<QPDF> openPdfBytes(std::string bytes);
std::string saveToBytes(QPDF& pdf);

// One page with: "name" (text, MaxLen 10), "notes" (multi-line text),
// "agree" (check box, on-state Yes), "colour" (radio: red, green, blue),
// "size" (combo: S, M, L), "fruits" (multi-select list: Apple, Banana, Cherry),
// "code" (comb, 6 cells), "send" (push button) and "group.inner" (text).
std::unique_ptr<QPDF> makeSampleForm();

FormField fieldNamed(const FieldTree& tree, const std::string& name);

// Renders page 1 with pdftoppm ("pdftoppm") or mutool ("mutool") at 72 dpi
// and answers the count of pixels that differ inside the rectangle (PDF
// user-space coordinates) between two files; nothing if the tool failed.
std::optional<long> changedPixels(const std::string& tool, const std::string& before,
                                  const std::string& after, double x0, double y0, double x1,
                                  double y1);

} // namespace paginor::engine::forms::test
