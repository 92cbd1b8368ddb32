#include "engine/forms/field_attributes.h"
#include "engine/forms/field_options.h"
#include "engine/forms/field_tree.h"
#include "engine/forms/field_value_reader.h"
#include "engine/forms/field_value_writer.h"
#include "forms_test_support.h"
#include "support/repository_paths.h"
#include "text_encoding/utf_conversion.h"

#include <qpdf/QPDFAcroFormDocumentHelper.hh>

#include <gtest/gtest.h>

#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>

namespace paginor::engine::forms {
namespace {

namespace fs = std::filesystem;

// The MANIFEST's count of distinct terminal field names per file.
std::map<std::string, std::string> manifestFieldCounts(const fs::path& corpus) {
    std::map<std::string, std::string> counts;
    std::ifstream in(corpus / "MANIFEST.tsv");
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
        std::vector<std::string> columns;
        std::stringstream row(line);
        for (std::string column; std::getline(row, column, '\t');) {
            columns.push_back(column);
        }
        if (columns.size() > 5) {
            counts[columns[0]] = columns[5];
        }
    }
    return counts;
}

std::vector<fs::path> formFiles() {
    std::vector<fs::path> files;
    const fs::path sample = test_support::examplePath("sample-form.pdf");
    if (fs::exists(sample)) {
        files.push_back(sample);
    }
    if (auto corpus = test::corpusDir()) {
        for (const auto& entry : fs::directory_iterator(*corpus / "forms")) {
            if (entry.path().extension() == ".pdf") {
                files.push_back(entry.path());
            }
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

// A value each kind of field accepts; text values rotate through scripts so
// that real forms' fonts meet characters they lack.
std::optional<std::string> valueFor(const FormField& field, size_t index) {
    static const std::string texts[] = {
        "Zo\xC3\xAB 12", "\xCE\x95\xCE\xBB\xCE\xBB\xCE\xAC\xCE\xB4\xCE\xB1",
        "\xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0", "\xE6\x9D\xB1\xE4\xBA\xAC"};
    const uint32_t flags = fieldFlags(field.dictionary);
    switch (field.kind) {
    case FieldKind::Text: {
        const int maxLength = inheritedInteger(field.dictionary, "/MaxLen", -1);
        std::u32string text = Utf8ToUtf32(texts[index % std::size(texts)]);
        if ((flags & field_flag::Comb) != 0) {
            text = U"1234567890";
        }
        if (maxLength >= 0 && text.size() > static_cast<size_t>(maxLength)) {
            text.resize(static_cast<size_t>(maxLength));
        }
        return Utf32ToUtf8(text);
    }
    case FieldKind::CheckBox: {
        auto states = buttonOnStates(field);
        return states.empty() ? "Yes" : states.front();
    }
    case FieldKind::RadioButton: {
        auto states = buttonOnStates(field);
        return states.empty() ? std::nullopt : std::optional<std::string>(states.back());
    }
    case FieldKind::ComboBox: {
        auto options = choiceOptions(field);
        if (options.empty()) {
            return (flags & field_flag::Edit) ? std::optional<std::string>("Custom") : std::nullopt;
        }
        return options.back().exportValue;
    }
    case FieldKind::ListBox: {
        auto options = choiceOptions(field);
        if (options.empty()) {
            return std::nullopt;
        }
        if ((flags & field_flag::MultiSelect) && options.size() > 1) {
            return options.front().exportValue + "\r" + options.back().exportValue;
        }
        return options.front().exportValue;
    }
    default:
        return std::nullopt;
    }
}

std::set<std::string> terminalNames(const FieldTree& tree) {
    std::set<std::string> names;
    for (const FormField& field : tree.fields()) {
        if (field.terminal) {
            names.insert(field.fullName);
        }
    }
    return names;
}

class CorpusForm : public ::testing::TestWithParam<fs::path> {};

TEST_P(CorpusForm, ListsFieldsLikeQpdfAndFillsEveryWritableField) {
    const fs::path path = GetParam();
    auto pdf = test::openPdf(path);
    const FieldTree tree = FieldTree::build(*pdf);

    // The same terminal names qpdf finds (it also looks at page widgets).
    std::set<std::string> qpdfNames;
    QPDFAcroFormDocumentHelper helper(*pdf);
    for (auto& field : helper.getFormFields()) {
        qpdfNames.insert(field.getFullyQualifiedName());
    }
    const std::set<std::string> ours = terminalNames(tree);
    EXPECT_EQ(ours, qpdfNames);
    if (auto corpus = test::corpusDir(); corpus && path.parent_path().filename() == "forms") {
        const auto counts = manifestFieldCounts(*corpus);
        auto found = counts.find("forms/" + path.filename().string());
        if (found != counts.end() && found->second != "n/a") {
            EXPECT_EQ(std::to_string(ours.size()), found->second);
        }
    }

    const bool hadXfa = pdf->getRoot().getKey("/AcroForm").hasKey("/XFA");
    std::map<size_t, std::string> written;
    size_t refused = 0;
    for (size_t i = 0; i < tree.fields().size(); ++i) {
        const FormField& field = tree.fields()[i];
        if (!field.terminal || tree.indexOf(field.fullName) != static_cast<long>(i)) {
            continue;
        }
        std::optional<std::string> value = valueFor(field, i);
        if (!value) {
            continue;
        }
        const WriteResult result = writeFieldValue(*pdf, field, *value);
        EXPECT_TRUE(result.ok) << field.fullName << ": " << result.description;
        if (!result.ok) {
            ++refused;
            continue;
        }
        written[i] = *value;
        if (field.kind == FieldKind::Text || field.kind == FieldKind::ComboBox) {
            for (QPDFObjectHandle widget : field.widgets) {
                if (widget.hasKey("/Rect")) {
                    EXPECT_TRUE(widget.getKey("/AP").getKey("/N").isStream()) << field.fullName;
                }
            }
        }
    }
    // A hybrid form keeps its XFA part only under a usage-rights signature.
    const bool usageRights = pdf->getRoot().getKey("/Perms").isDictionary() &&
                             pdf->getRoot().getKey("/Perms").hasKey("/UR3");
    EXPECT_EQ(pdf->getRoot().getKey("/AcroForm").hasKey("/XFA"), usageRights && hadXfa);

    auto reopened = test::openPdfBytes(test::saveToBytes(*pdf));
    const FieldTree after = FieldTree::build(*reopened);
    ASSERT_EQ(after.fields().size(), tree.fields().size());
    size_t readBack = 0;
    for (const auto& [index, value] : written) {
        const FormField& field = after.fields()[index];
        ASSERT_EQ(field.fullName, tree.fields()[index].fullName);
        const std::string got = readFieldValue(field);
        EXPECT_EQ(got, value) << path.filename() << " " << field.fullName;
        readBack += got == value ? 1 : 0;
    }
    std::cout << "[corpus] " << path.filename().string() << ": " << tree.fields().size()
              << " fields, " << ours.size() << " terminal names, " << written.size() << " written, "
              << readBack << " read back, " << refused << " refused\n";
}

INSTANTIATE_TEST_SUITE_P(Forms, CorpusForm, ::testing::ValuesIn(formFiles()),
                         [](const ::testing::TestParamInfo<fs::path>& info) {
                             std::string name = info.param.stem().string();
                             for (char& c : name) {
                                 if (!std::isalnum(static_cast<unsigned char>(c))) {
                                     c = '_';
                                 }
                             }
                             return name;
                         });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(CorpusForm);

} // namespace
} // namespace paginor::engine::forms
