#include "simple_font.h"

#include "engine/document/bounded_stream_decoding.h"
#include "form_context.h"

#include "freetype_face.h"
#include "widget_frame.h"

#include "text_encoding/utf_conversion.h"

#include <qpdf/QUtil.hh>

#include <cstdio>
#include <cstdlib>

namespace paginor::engine::forms {

namespace {

enum class BaseEncoding { WinAnsi, MacRoman, Standard };

// Glyph names seen in /Differences of form fonts; others make their code unusable.
char32_t unicodeOfGlyphName(const std::string& name) {
    if (name.size() == 1 && std::isalpha(static_cast<unsigned char>(name[0]))) {
        return static_cast<unsigned char>(name[0]);
    }
    if (name.size() == 7 && name.compare(0, 3, "uni") == 0) {
        char* end = nullptr;
        const unsigned long value = std::strtoul(name.c_str() + 3, &end, 16);
        return *end == '\0' ? static_cast<char32_t>(value) : 0;
    }
    static const std::unordered_map<std::string, char32_t> names = {
        {"space", ' '},      {"exclam", '!'},       {"quotedbl", '"'},      {"numbersign", '#'},
        {"dollar", '$'},     {"percent", '%'},      {"ampersand", '&'},     {"quotesingle", '\''},
        {"parenleft", '('},  {"parenright", ')'},   {"asterisk", '*'},      {"plus", '+'},
        {"comma", ','},      {"hyphen", '-'},       {"period", '.'},        {"slash", '/'},
        {"zero", '0'},       {"one", '1'},          {"two", '2'},           {"three", '3'},
        {"four", '4'},       {"five", '5'},         {"six", '6'},           {"seven", '7'},
        {"eight", '8'},      {"nine", '9'},         {"colon", ':'},         {"semicolon", ';'},
        {"less", '<'},       {"equal", '='},        {"greater", '>'},       {"question", '?'},
        {"at", '@'},         {"bracketleft", '['},  {"backslash", '\\'},    {"bracketright", ']'},
        {"underscore", '_'}, {"quoteleft", 0x2018}, {"quoteright", 0x2019}, {"endash", 0x2013},
        {"emdash", 0x2014},  {"bullet", 0x2022},    {"Euro", 0x20AC},       {"degree", 0xB0},
    };
    auto found = names.find(name);
    return found == names.end() ? 0 : found->second;
}

bool hasSubsetTag(const std::string& baseFont) {
    // "/ABCDEF+Name": six capitals and a plus.
    if (baseFont.size() < 8 || baseFont[7] != '+') {
        return false;
    }
    for (size_t i = 1; i < 7; ++i) {
        if (baseFont[i] < 'A' || baseFont[i] > 'Z') {
            return false;
        }
    }
    return true;
}

} // namespace

std::unique_ptr<SimpleResourceFont> SimpleResourceFont::open(QPDFObjectHandle font,
                                                             std::string resourceName) {
    if (!font.isDictionary()) {
        return nullptr;
    }
    QPDFObjectHandle subtype = font.getKey("/Subtype");
    const bool trueType = subtype.isNameAndEquals("/TrueType");
    if (!trueType && !subtype.isNameAndEquals("/Type1") && !subtype.isNameAndEquals("/MMType1")) {
        return nullptr;
    }
    QPDFObjectHandle baseFontName = font.getKey("/BaseFont");
    const std::string baseFont = baseFontName.isName() ? baseFontName.getName() : "";
    if (baseFont.find("Symbol") != std::string::npos ||
        baseFont.find("Dingbats") != std::string::npos || baseFont == "/ZaDb") {
        return nullptr;
    }
    std::unique_ptr<SimpleResourceFont> result(new SimpleResourceFont());
    result->font_ = font;
    result->resourceName_ = std::move(resourceName);
    result->standard_ = standardFontOf(baseFont);
    result->ascent_ = standardAscent(result->standard_.family);
    result->descent_ = standardDescent(result->standard_.family);
    QPDFObjectHandle descriptor = font.getKey("/FontDescriptor");
    if (descriptor.isDictionary()) {
        QPDFObjectHandle ascent = descriptor.getKey("/Ascent");
        QPDFObjectHandle descent = descriptor.getKey("/Descent");
        if (ascent.isNumber() && descent.isNumber() && ascent.getNumericValue() > 100 &&
            ascent.getNumericValue() < 2000 && descent.getNumericValue() <= 0 &&
            descent.getNumericValue() > -1000) {
            result->ascent_ = ascent.getNumericValue();
            result->descent_ = descent.getNumericValue();
        }
    }
    result->loadEncoding(font.getKey("/Encoding"), trueType);
    if (result->codeOf_->empty()) {
        return nullptr;
    }
    result->loadWidths();
    if (hasSubsetTag(baseFont)) {
        result->dropCodesMissingFromSubset();
    }
    return result;
}

std::unique_ptr<SimpleResourceFont>
SimpleResourceFont::standardHelvetica(std::string resourceName) {
    std::unique_ptr<SimpleResourceFont> result(new SimpleResourceFont());
    result->resourceName_ = std::move(resourceName);
    result->loadEncoding(QPDFObjectHandle::newName("/WinAnsiEncoding"), false);
    return result;
}

std::unique_ptr<SimpleResourceFont> SimpleResourceFont::clone() const {
    return std::unique_ptr<SimpleResourceFont>(new SimpleResourceFont(*this));
}

void SimpleResourceFont::loadEncoding(QPDFObjectHandle encoding, bool trueType) {
    BaseEncoding base = trueType ? BaseEncoding::WinAnsi : BaseEncoding::Standard;
    QPDFObjectHandle baseName =
        encoding.isDictionary() ? encoding.getKey("/BaseEncoding") : encoding;
    if (baseName.isNameAndEquals("/WinAnsiEncoding")) {
        base = BaseEncoding::WinAnsi;
    } else if (baseName.isNameAndEquals("/MacRomanEncoding")) {
        base = BaseEncoding::MacRoman;
    } else if (baseName.isNameAndEquals("/StandardEncoding")) {
        base = BaseEncoding::Standard;
    }
    std::array<char32_t, 256> unicodeOf{};
    for (int code = 0x20; code < 256; ++code) {
        const std::string byte(1, static_cast<char>(code));
        std::u32string decoded;
        if (base == BaseEncoding::Standard) {
            if (code <= 0x7E) {
                decoded.push_back(code == 0x27   ? 0x2019
                                  : code == 0x60 ? 0x2018
                                                 : static_cast<char32_t>(code));
            }
        } else if (code != 0x7F) {
            decoded = Utf8ToUtf32(base == BaseEncoding::WinAnsi ? QUtil::win_ansi_to_utf8(byte)
                                                                : QUtil::mac_roman_to_utf8(byte));
        }
        if (decoded.size() == 1 && decoded[0] >= 0x20 && decoded[0] != 0xFFFD &&
            (decoded[0] != '?' || code == '?')) {
            unicodeOf[static_cast<size_t>(code)] = decoded[0];
        }
    }
    QPDFObjectHandle differences =
        encoding.isDictionary() ? encoding.getKey("/Differences") : QPDFObjectHandle::newNull();
    if (differences.isArray()) {
        long code = -1;
        for (int i = 0; i < differences.getArrayNItems(); ++i) {
            QPDFObjectHandle item = differences.getArrayItem(i);
            if (item.isInteger()) {
                code = static_cast<long>(item.getIntValue());
            } else if (item.isName() && code >= 0 && code < 256) {
                unicodeOf[static_cast<size_t>(code)] = unicodeOfGlyphName(item.getName().substr(1));
                ++code;
            }
        }
    }
    for (int code = 255; code >= 0x20; --code) {
        if (unicodeOf[static_cast<size_t>(code)] != 0) {
            (*codeOf_)[unicodeOf[static_cast<size_t>(code)]] = static_cast<unsigned char>(code);
        }
    }
}

void SimpleResourceFont::loadWidths() {
    QPDFObjectHandle widths = font_.getKey("/Widths");
    QPDFObjectHandle first = font_.getKey("/FirstChar");
    if (!widths.isArray() || !first.isInteger()) {
        return;
    }
    double missing = 0;
    QPDFObjectHandle descriptor = font_.getKey("/FontDescriptor");
    if (descriptor.isDictionary() && descriptor.getKey("/MissingWidth").isNumber()) {
        missing = descriptor.getKey("/MissingWidth").getNumericValue();
    }
    widths_.fill(missing);
    const long long start = first.getIntValue();
    for (int i = 0; i < widths.getArrayNItems(); ++i) {
        const long long code = start + i;
        QPDFObjectHandle width = widths.getArrayItem(i);
        if (code >= 0 && code < 256 && width.isNumber()) {
            widths_[static_cast<size_t>(code)] = width.getNumericValue();
        }
    }
    hasWidths_ = true;
    // A zero width for a letter means the font has no glyph for it.
    for (auto it = codeOf_->begin(); it != codeOf_->end();) {
        if (it->first != ' ' && widths_[it->second] <= 0) {
            it = codeOf_->erase(it);
        } else {
            ++it;
        }
    }
}

// An embedded subset holds only the glyphs its producer used; ask the font
// program itself which characters it can draw.
void SimpleResourceFont::dropCodesMissingFromSubset() {
    QPDFObjectHandle descriptor = font_.getKey("/FontDescriptor");
    if (!descriptor.isDictionary()) {
        return;
    }
    QPDFObjectHandle program;
    for (const char* key : {"/FontFile2", "/FontFile", "/FontFile3"}) {
        if (descriptor.getKey(key).isStream()) {
            program = descriptor.getKey(key);
            break;
        }
    }
    if (!program.isStream()) {
        return;
    }
    std::unique_ptr<FreeTypeFace> face;
    try {
        face = FreeTypeFace::load(
            decodeStreamData(program, "the font program of form font /" + resourceName_));
    } catch (const StreamTooLarge&) {
        throw; // over the limit: the write fails and says so
    } catch (const std::exception&) {
        face.reset();
    }
    if (!face) {
        codeOf_->clear();
        return;
    }
    FT_Face ft = face->face();
    const bool unicodeMap = FT_Select_Charmap(ft, FT_ENCODING_UNICODE) == 0;
    const bool symbolMap = !unicodeMap && FT_Select_Charmap(ft, FT_ENCODING_MS_SYMBOL) == 0;
    const bool macMap =
        !unicodeMap && !symbolMap && FT_Select_Charmap(ft, FT_ENCODING_APPLE_ROMAN) == 0;
    for (auto it = codeOf_->begin(); it != codeOf_->end();) {
        FT_UInt glyph = 0;
        if (unicodeMap) {
            glyph = FT_Get_Char_Index(ft, it->first);
        } else if (symbolMap) {
            glyph = FT_Get_Char_Index(ft, 0xF000 + it->second);
        } else if (macMap || ft->num_charmaps > 0) {
            glyph = FT_Get_Char_Index(ft, it->second);
        }
        if (glyph == 0 && it->first != ' ') {
            it = codeOf_->erase(it);
        } else {
            ++it;
        }
    }
}

bool SimpleResourceFont::canEncode(std::u32string_view text) const {
    for (char32_t c : text) {
        if (c < latin1_.size() ? !latin1Glyph(c).encodable : codeOf_->count(c) == 0) {
            return false;
        }
    }
    return true;
}

double SimpleResourceFont::widthOf(unsigned char code, char32_t character) const {
    if (hasWidths_) {
        return widths_[code];
    }
    return standardGlyphWidth(standard_, character);
}

const SimpleResourceFont::Latin1Glyph& SimpleResourceFont::latin1Glyph(char32_t character) const {
    Latin1Glyph& glyph = latin1_[character];
    if (!glyph.known) {
        glyph.known = true;
        auto found = codeOf_->find(character);
        if (found != codeOf_->end()) {
            glyph.encodable = true;
            glyph.code = found->second;
            glyph.width = widthOf(found->second, character);
        }
    }
    return glyph;
}

ShapedText SimpleResourceFont::shape(std::u32string_view text, TextDirection base) {
    ShapedRun run;
    for (char32_t c : visualString(text, base)) {
        if (c < latin1_.size()) {
            const Latin1Glyph& glyph = latin1Glyph(c);
            if (glyph.encodable) {
                run.codes.push_back(static_cast<char>(glyph.code));
                run.width += glyph.width;
            }
            continue;
        }
        auto found = codeOf_->find(c);
        if (found == codeOf_->end()) {
            continue; // callers check canEncode first; never draw a wrong glyph
        }
        run.codes.push_back(static_cast<char>(found->second));
        run.width += widthOf(found->second, c);
    }
    ShapedText shaped;
    shaped.width = run.width;
    shaped.runs.push_back(std::move(run));
    return shaped;
}

void SimpleResourceFont::finish(FormContext& context, QPDFObjectHandle fontResources) {
    if (!font_.isInitialized() || font_.isNull()) {
        font_ = context.changes().newObject(QPDFObjectHandle::parse(
            "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>"));
    }
    // A direct font dictionary must not be shared between two containers.
    fontResources.replaceKey("/" + resourceName_, font_.isIndirect() ? font_ : font_.shallowCopy());
}

std::string SimpleResourceFont::show(const ShapedText& text, double size) const {
    static constexpr char kHexDigits[] = "0123456789ABCDEF";
    std::string ops = pdfNameToken(resourceName_) + " " + pdfNumber(size) + " Tf <";
    std::size_t codes = 0;
    for (const ShapedRun& run : text.runs) {
        codes += run.codes.size();
    }
    ops.reserve(ops.size() + 2 * codes + 4);
    for (const ShapedRun& run : text.runs) {
        for (char c : run.codes) {
            const auto byte = static_cast<unsigned char>(c);
            ops += kHexDigits[byte >> 4];
            ops += kHexDigits[byte & 0x0F];
        }
    }
    ops += "> Tj";
    return ops;
}

} // namespace paginor::engine::forms
