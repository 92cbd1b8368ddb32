// Words read through the lazily loaded text library, checked against
// pdftotext on the same files, plus the caching and loading contracts.
#include "engine/document/engine_document.h"
#include "engine/text/text_source.h"
#include "support/corpus.h"
#include "support/process_runner.h"
#include "support/repository_paths.h"
#include "support/scratch_folder.h"
#include "text_encoding/utf_conversion.h"
#include "text_library.h"
#include "text_snapshot.h"
#include "text_snapshot_cache.h"
#include "word_assembly.h"

#include <gtest/gtest.h>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <unicode/uchar.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <link.h>
#include <map>
#include <set>
#include <sstream>
#include <unordered_map>
#include <vector>

namespace fs = std::filesystem;
using paginor::engine::EngineDocument;
using paginor::engine::text::TextDocument;

namespace {

using PageTokens = std::vector<std::u32string>;

std::shared_ptr<const std::string> snapshotOf(const fs::path& file) {
    QPDF pdf;
    pdf.setSuppressWarnings(true);
    pdf.processFile(file.c_str());
    return std::make_shared<const std::string>(paginor::engine::text::writeTextSnapshot(pdf));
}

std::shared_ptr<TextDocument> loadText(std::shared_ptr<const std::string> snapshot) {
    std::string error;
    auto document = TextDocument::load(std::move(snapshot), error);
    EXPECT_TRUE(document) << error;
    return document;
}

// Which of a mirrored pair (brackets, guillemets) a character is does not
// count: pdftotext leaves the brackets of right-to-left runs unmirrored, so
// ")word(" there is "(word)" here, and either way the words are in order.
char32_t mirrorClass(char32_t c) {
    if (!u_isMirrored(static_cast<UChar32>(c)))
        return c;
    return std::min(c, static_cast<char32_t>(u_charMirror(static_cast<UChar32>(c))));
}

// Tokens as the comparison sees them: split on white space, direction marks
// dropped, ligatures and presentation forms as letters, mirrored pairs alike
// (both sides alike).
void appendTokens(const std::u32string& text, PageTokens& tokens) {
    std::u32string current;
    auto flush = [&] {
        current = paginor::engine::text::decomposePresentationForms(current);
        if (!current.empty())
            tokens.push_back(current);
        current.clear();
    };
    for (char32_t c : text) {
        if (c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) ||
            (c >= 0x2066 && c <= 0x2069))
            continue;
        if (u_isUWhiteSpace(static_cast<UChar32>(c)))
            flush();
        else
            current += mirrorClass(c);
    }
    flush();
}

std::vector<PageTokens> ourPages(const TextDocument& document) {
    std::vector<PageTokens> pages;
    std::vector<paginor::engine::text::PageWord> words;
    for (int page = 0; page < document.pageCount(); ++page) {
        EXPECT_EQ(document.pageWords(page, words), TextDocument::PageResult::ok);
        // pdftotext joins a word hyphenated at a line end and drops the
        // hyphen; the selection keeps the page as printed. Join here alike.
        PageTokens tokens;
        std::u32string pending;
        for (std::size_t i = 0; i < words.size(); ++i) {
            pending += paginor::Utf16ToUtf32(words[i].text);
            const bool hyphenated = pending.size() > 1 && pending.back() == U'-' &&
                                    u_isalpha(static_cast<UChar32>(pending[pending.size() - 2])) &&
                                    words[i].separator == u"\r\n" && i + 1 < words.size();
            if (hyphenated) {
                pending.pop_back();
                continue;
            }
            appendTokens(pending, tokens);
            pending.clear();
        }
        pages.push_back(std::move(tokens));
    }
    return pages;
}

std::u32string fromUtf8(const std::string& text) {
    std::u16string units(text.size() + 1, u'\0');
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8WithSub(units.data(), static_cast<int32_t>(units.size()), &length, text.data(),
                         static_cast<int32_t>(text.size()), 0xFFFD, nullptr, &status);
    units.resize(U_SUCCESS(status) ? static_cast<std::size_t>(length) : 0);
    return paginor::Utf16ToUtf32(units);
}

// pdftotext's pages (form feed separated); empty when it fails on the file.
std::optional<std::vector<PageTokens>> pdftotextPages(const fs::path& file) {
    const auto result =
        paginor::test_support::runProcess("pdftotext", {"-q", "-enc", "UTF-8", file.string(), "-"});
    if (result.exitCode != 0)
        return std::nullopt;
    const std::string& output = result.out;
    std::vector<PageTokens> pages;
    std::u32string page;
    for (char32_t c : fromUtf8(output)) {
        if (c != U'\f') {
            page += c;
            continue;
        }
        appendTokens(page, pages.emplace_back());
        page.clear();
    }
    return pages;
}

// The longest common subsequence of two pages' words. The words become
// numbers first, and the common start and end (most of a page when the two
// agree) are counted without the quadratic table.
std::size_t commonSubsequence(const PageTokens& a, const PageTokens& b) {
    std::unordered_map<std::u32string, std::size_t> ids;
    const auto numbered = [&ids](const PageTokens& tokens) {
        std::vector<std::size_t> numbers;
        numbers.reserve(tokens.size());
        for (const auto& token : tokens)
            numbers.push_back(ids.emplace(token, ids.size()).first->second);
        return numbers;
    };
    const std::vector<std::size_t> x = numbered(a), y = numbered(b);
    std::size_t start = 0;
    while (start < x.size() && start < y.size() && x[start] == y[start])
        ++start;
    std::size_t end = 0;
    while (end < x.size() - start && end < y.size() - start &&
           x[x.size() - 1 - end] == y[y.size() - 1 - end])
        ++end;
    const std::size_t m = y.size() - start - end;
    std::vector<std::size_t> row(m + 1, 0), previous(m + 1, 0);
    for (std::size_t i = start; i < x.size() - end; ++i) {
        std::swap(row, previous);
        for (std::size_t j = 0; j < m; ++j)
            row[j + 1] = x[i] == y[start + j] ? previous[j] + 1 : std::max(previous[j + 1], row[j]);
    }
    return start + end + row[m];
}

struct Agreement {
    std::size_t ours = 0, theirs = 0, common = 0;
    std::size_t pages = 0, samePages = 0; // pages equal once white space is ignored
    double ratio() const { return ours + theirs == 0 ? 1.0 : 2.0 * common / (ours + theirs); }
};

Agreement compare(const std::vector<PageTokens>& ours, const std::vector<PageTokens>& theirs) {
    Agreement agreement;
    for (std::size_t page = 0; page < std::max(ours.size(), theirs.size()); ++page) {
        static const PageTokens none;
        const PageTokens& a = page < ours.size() ? ours[page] : none;
        const PageTokens& b = page < theirs.size() ? theirs[page] : none;
        agreement.ours += a.size();
        agreement.theirs += b.size();
        agreement.common += commonSubsequence(a, b);
        auto glued = [](const PageTokens& tokens) {
            std::u32string text;
            for (const auto& token : tokens)
                text += token;
            return text;
        };
        ++agreement.pages;
        agreement.samePages += glued(a) == glued(b) ? 1 : 0;
    }
    return agreement;
}

} // namespace

bool popplerLoaded() {
    return dl_iterate_phdr(
               [](dl_phdr_info* info, size_t, void*) {
                   return info->dlpi_name != nullptr &&
                                  std::string_view(info->dlpi_name).find("/libpoppler.so") !=
                                      std::string_view::npos
                              ? 1
                              : 0;
               },
               nullptr) != 0;
}

TEST(TextLibraryLoading, PopplerArrivesOnlyWithTheFirstTextRequest) {
    if (popplerLoaded())
        GTEST_SKIP() << "an earlier test in this process already loaded the text library";
    std::string error;
    ASSERT_NE(paginor::engine::text::TextLibrary::instance(error), nullptr) << error;
    EXPECT_TRUE(popplerLoaded());
}

TEST(TextLibraryLoading, UnreadableBytesGiveAReason) {
    std::string error;
    EXPECT_EQ(TextDocument::load(std::make_shared<const std::string>("not a PDF at all"), error),
              nullptr);
    EXPECT_FALSE(error.empty());
}

class CorpusText : public ::testing::Test {
protected:
    void SetUp() override {
        const auto corpus = paginor::test_support::corpusFolder();
        if (!corpus || !fs::is_directory(*corpus / "text"))
            GTEST_SKIP() << "no text corpus: " << paginor::test_support::noCorpusReason();
        folder_ = *corpus / "text";
    }
    fs::path folder_;
};

// Files whose reading order is plain enough that any difference is a fault.
const std::set<std::string> kSimpleFiles = {
    "text/latex-outline.pdf",    "text/latex-multicolumn.pdf",
    "text/rotated-pages-2p.pdf", "text/ligatures-short.pdf",
    "text/ligatures-5p.pdf",     "text/cyrillic-21p-odd-whitespace.pdf",
    "examples/text.pdf"};

// Agreement before the text reader moved to poppler's own text device and
// the bidirectional algorithm: no file may fall below it. (The forms agree
// less by design: pdftotext also prints the fields' values, page text does
// not.)
const std::map<std::string, double> kAgreementFloor = {
    {"forms/all-field-types.pdf", 0.067},
    {"forms/ca-cannabis-duty-return-comb.pdf", 0.991},
    {"forms/choice-widgets-xfa.pdf", 0.627},
    {"forms/cms-1490s-claim-18p.pdf", 0.969},
    {"forms/comb-fields.pdf", 0.000},
    {"forms/emoji-field-names.pdf", 0.638},
    {"forms/encrypted-aes256-form.pdf", 0.000},
    {"forms/field-types-utf8-values.pdf", 0.881},
    {"forms/form-filled-accented-values.pdf", 0.689},
    {"forms/irs-1040-2019-hybrid-xfa.pdf", 1.000},
    {"forms/irs-1040-prefilled.pdf", 0.999},
    {"forms/irs-7004-hybrid-xfa.pdf", 1.000},
    {"forms/irs-w2-11p.pdf", 1.000},
    {"forms/japanese-form.pdf", 0.866},
    {"forms/latex-hyperref-form.pdf", 1.000},
    {"forms/libreoffice-form.pdf", 0.842},
    {"forms/lu-wage-tax-certificate-160f.pdf", 0.999},
    {"forms/membership-form-de.pdf", 1.000},
    {"forms/multiline-control-chars.pdf", 0.000},
    {"forms/readonly-fields.pdf", 0.800},
    {"forms/reset-form-all-types.pdf", 0.000},
    {"forms/russian-form.pdf", 0.861},
    {"forms/sample-form-29-fields.pdf", 0.946},
    {"forms/uscis-i9-spanish-xfa-encrypted.pdf", 1.000},
    {"malformed/form-bad-fields-array.pdf", 0.993},
    {"text/arabic-cid-truetype.pdf", 1.000},
    {"text/arabic-rotated-pages.pdf", 0.400},
    {"text/book-117p-outlines.pdf", 0.979},
    {"text/chinese-22p.pdf", 1.000},
    {"text/cyrillic-21p-odd-whitespace.pdf", 1.000},
    {"text/federal-register-3col-15p.pdf", 0.999},
    {"text/hebrew-2p.pdf", 0.955},
    {"text/japanese-cid-5p.pdf", 0.949},
    {"text/latex-multicolumn.pdf", 1.000},
    {"text/latex-outline.pdf", 1.000},
    {"text/ligatures-5p.pdf", 0.983},
    {"text/ligatures-short.pdf", 1.000},
    {"text/linearized-objstm-206p.pdf", 1.000},
    {"text/multiscript-type0.pdf", 0.942},
    {"text/rotated-pages-2p.pdf", 1.000},
    {"text/russian-cyrillic-2p.pdf", 1.000},
    {"text/two-column-paper-14p.pdf", 0.999},
    {"examples/text.pdf", 1.000},
};

// The files the corpus MANIFEST marks as holding extractable text (its
// text_extracts column); every file of the text folder when there is no
// MANIFEST. Paths relative to the corpus folder.
std::vector<std::string> filesWithText(const fs::path& corpus) {
    std::vector<std::string> files;
    std::ifstream manifest(corpus / "MANIFEST.tsv");
    std::string line;
    if (manifest && std::getline(manifest, line)) {
        auto columnsOf = [](const std::string& row) {
            std::vector<std::string> columns;
            std::stringstream fields(row);
            for (std::string field; std::getline(fields, field, '\t');)
                columns.push_back(field);
            return columns;
        };
        const auto header = columnsOf(line);
        const auto column = [&](const char* name) {
            return std::find(header.begin(), header.end(), name) - header.begin();
        };
        const auto file = static_cast<std::size_t>(column("file"));
        const auto extracts = static_cast<std::size_t>(column("text_extracts"));
        while (std::getline(manifest, line)) {
            const auto row = columnsOf(line);
            if (row.size() > std::max(file, extracts) && row[extracts] == "yes")
                files.push_back(row[file]);
        }
    } else {
        for (const auto& entry : fs::directory_iterator(corpus / "text"))
            if (entry.path().extension() == ".pdf")
                files.push_back("text/" + entry.path().filename().string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

// What the engine reads for a document opened and not changed.
std::shared_ptr<TextDocument> openedText(const fs::path& file, EngineDocument& document) {
    std::string error;
    auto text = paginor::engine::text::loadCurrentText(document, error);
    EXPECT_TRUE(text) << file << ": " << error;
    return text;
}

TEST_F(CorpusText, WordsAgreeWithPdftotext) {
    std::vector<std::pair<std::string, fs::path>> files;
    const fs::path corpus = *paginor::test_support::corpusFolder();
    for (const std::string& name : filesWithText(corpus))
        files.emplace_back(name, corpus / name);
    const fs::path bundled = paginor::test_support::examplePath("text.pdf");
    if (fs::exists(bundled))
        files.emplace_back("examples/text.pdf", bundled);

    std::cout << std::left << std::setw(42) << "file" << std::right << std::setw(8) << "ours"
              << std::setw(10) << "pdftotext" << std::setw(8) << "common" << std::setw(10)
              << "agreement" << std::setw(12) << "same pages\n";
    for (const auto& [name, file] : files) {
        SCOPED_TRACE(name);
        auto engineDocument = EngineDocument::load(file.string());
        auto document = openedText(file, *engineDocument);
        ASSERT_TRUE(document);
        auto reference = pdftotextPages(file);
        if (!reference) {
            // pdftotext cannot read some damaged files; compare with the repaired copy.
            const paginor::test_support::ScratchFolder scratch("paginor-text");
            const fs::path repaired = scratch / "repaired.pdf";
            paginor::test_support::writeFile(
                repaired, paginor::engine::text::writeTextSnapshot(engineDocument->pdf()));
            reference = pdftotextPages(repaired);
        }
        ASSERT_TRUE(reference);
        const Agreement agreement = compare(ourPages(*document), *reference);
        std::cout << std::left << std::setw(42) << name << std::right << std::setw(8)
                  << agreement.ours << std::setw(10) << agreement.theirs << std::setw(8)
                  << agreement.common << std::setw(9) << std::fixed << std::setprecision(3)
                  << agreement.ratio() << std::setw(8) << agreement.samePages << "/"
                  << agreement.pages << "\n";
        RecordProperty(name, std::to_string(agreement.ratio()));
        if (kSimpleFiles.count(name) != 0) {
            EXPECT_GE(agreement.ratio(), 0.98);
        }
        if (auto floor = kAgreementFloor.find(name); floor != kAgreementFloor.end()) {
            EXPECT_GE(agreement.ratio(), floor->second - 5e-4);
        }
    }
}

TEST_F(CorpusText, ScanWithoutTextLayerHasNoWords) {
    auto document = loadText(snapshotOf(folder_ / "scanned-2p.pdf"));
    ASSERT_TRUE(document);
    ASSERT_EQ(document->pageCount(), 2);
    std::vector<paginor::engine::text::PageWord> words;
    for (int page = 0; page < 2; ++page) {
        EXPECT_EQ(document->pageWords(page, words), TextDocument::PageResult::ok);
        EXPECT_TRUE(words.empty());
    }
}

TEST_F(CorpusText, RotatedPagesReadLikeUprightOnes) {
    auto document = loadText(snapshotOf(folder_ / "arabic-rotated-pages.pdf"));
    ASSERT_TRUE(document);
    std::vector<paginor::engine::text::PageWord> upright, turned;
    ASSERT_EQ(document->pageWords(0, upright), TextDocument::PageResult::ok);
    EXPECT_FALSE(upright.empty());
    for (int page = 1; page < document->pageCount(); ++page) {
        ASSERT_EQ(document->pageWords(page, turned), TextDocument::PageResult::ok);
        EXPECT_EQ(turned, upright) << "page " << page;
    }

    auto landscape = loadText(snapshotOf(folder_ / "rotated-pages-2p.pdf"));
    ASSERT_TRUE(landscape);
    ASSERT_EQ(landscape->pageWords(1, turned), TextDocument::PageResult::ok);
    std::u16string text;
    for (const auto& word : turned)
        text += word.text + word.separator;
    EXPECT_EQ(text, u"This is my second page. It will have a landscape layout.\r\n"
                    u"Second line here.\r\n");
}

TEST_F(CorpusText, PagesOutsideTheDocumentAreRefused) {
    auto document = loadText(snapshotOf(folder_ / "rotated-pages-2p.pdf"));
    ASSERT_TRUE(document);
    std::vector<paginor::engine::text::PageWord> words;
    for (int page : {-1, 2, 1000})
        EXPECT_EQ(document->pageWords(page, words), TextDocument::PageResult::outOfRange) << page;
}

TEST_F(CorpusText, SnapshotDropsAnnotationsAndLeavesTheDocumentAlone) {
    const fs::path form = folder_.parent_path() / "forms" / "all-field-types.pdf";
    if (!fs::exists(form))
        GTEST_SKIP() << "no form corpus";
    QPDF pdf;
    pdf.processFile(form.c_str());
    const std::string snapshot = paginor::engine::text::writeTextSnapshot(pdf);
    EXPECT_TRUE(pdf.getRoot().hasKey("/AcroForm"));
    EXPECT_TRUE(
        QPDFPageDocumentHelper(pdf).getAllPages().front().getObjectHandle().hasKey("/Annots"));

    QPDF copy;
    copy.processMemoryFile("snapshot", snapshot.data(), snapshot.size());
    EXPECT_FALSE(copy.getRoot().hasKey("/AcroForm"));
    for (auto& page : QPDFPageDocumentHelper(copy).getAllPages())
        EXPECT_FALSE(page.getObjectHandle().hasKey("/Annots"));
}

// Reading every page of a document loads it into the reader once per revision.
TEST_F(CorpusText, EachRevisionIsLoadedOnce) {
    const fs::path file = folder_ / "latex-outline.pdf";
    paginor::engine::text::TextSnapshotCache cache;
    auto owner = std::make_shared<int>(0);
    int writes = 0;
    auto write = [&](std::string& reason) {
        ++writes;
        return TextDocument::load(snapshotOf(file), reason);
    };
    std::string error;
    std::vector<paginor::engine::text::PageWord> words;
    for (std::uint64_t revision : {1, 2}) {
        auto first = cache.documentFor(owner, revision, write, error);
        ASSERT_TRUE(first) << error;
        for (int page = 0; page < first->pageCount(); ++page) {
            auto document = cache.documentFor(owner, revision, write, error);
            EXPECT_EQ(document, first);
            EXPECT_EQ(document->pageWords(page, words), TextDocument::PageResult::ok);
        }
    }
    EXPECT_EQ(cache.loadCount(), 2u);
    EXPECT_EQ(writes, 2);

    auto failing = [&](std::string&) -> std::shared_ptr<TextDocument> {
        throw std::runtime_error("disk gone");
    };
    auto other = std::make_shared<int>(1);
    EXPECT_EQ(cache.documentFor(other, 1, failing, error), nullptr);
    EXPECT_NE(error.find("disk gone"), std::string::npos);
    EXPECT_EQ(cache.loadCount(), 2u);
}
