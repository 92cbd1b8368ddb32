// Writes the bundled sample PDFs into the folder given as the only argument:
// sample-form.pdf (a two-page form with every common field kind),
// bookmarks.pdf (pages with a nested outline) and text.pdf (plain text).
#include "sample_builder.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include <iostream>
#include <string>
#include <vector>

using samples::TextLine;

namespace {

QPDFObjectHandle parse(const std::string& text) {
    return QPDFObjectHandle::parse(text);
}

QPDFObjectHandle appearance(QPDF& pdf, double width, double height, const std::string& content,
                            QPDFObjectHandle fonts) {
    QPDFObjectHandle stream = QPDFObjectHandle::newStream(&pdf, content);
    QPDFObjectHandle dict = stream.getDict();
    dict.replaceKey("/Type", QPDFObjectHandle::newName("/XObject"));
    dict.replaceKey("/Subtype", QPDFObjectHandle::newName("/Form"));
    dict.replaceKey(
        "/BBox", QPDFObjectHandle::newArray(std::vector<QPDFObjectHandle>{
                     QPDFObjectHandle::newReal(0, 0), QPDFObjectHandle::newReal(0, 0),
                     QPDFObjectHandle::newReal(width, 2), QPDFObjectHandle::newReal(height, 2)}));
    QPDFObjectHandle resources = QPDFObjectHandle::newDictionary();
    resources.replaceKey("/Font", fonts);
    dict.replaceKey("/Resources", resources);
    return stream;
}

std::string border(double width, double height) {
    return "q 0.5 G 0.5 0.5 " + std::to_string(width - 1) + " " + std::to_string(height - 1) +
           " re s Q\n";
}

QPDFObjectHandle rect(double x, double y, double width, double height) {
    return QPDFObjectHandle::newArray(std::vector<QPDFObjectHandle>{
        QPDFObjectHandle::newReal(x, 1), QPDFObjectHandle::newReal(y, 1),
        QPDFObjectHandle::newReal(x + width, 1), QPDFObjectHandle::newReal(y + height, 1)});
}

struct FormFonts {
    QPDFObjectHandle helvetica;
    QPDFObjectHandle zapf;
    QPDFObjectHandle dictionary() const {
        QPDFObjectHandle fonts = QPDFObjectHandle::newDictionary();
        fonts.replaceKey("/Helv", helvetica);
        fonts.replaceKey("/ZaDb", zapf);
        return fonts;
    }
};

void addWidget(QPDFObjectHandle page, QPDFObjectHandle widget) {
    QPDFObjectHandle annots = page.getKey("/Annots");
    if (!annots.isArray()) {
        annots = QPDFObjectHandle::newArray();
        page.replaceKey("/Annots", annots);
    }
    annots.appendItem(widget);
    widget.replaceKey("/P", page);
}

QPDFObjectHandle textField(QPDF& pdf, const FormFonts& fonts, QPDFObjectHandle page,
                           const std::string& name, const std::string& tooltip, double x, double y,
                           double width, double height, bool multiline) {
    QPDFObjectHandle field =
        parse("<< /Type /Annot /Subtype /Widget /FT /Tx /F 4 /DA (/Helv 11 Tf 0 g) "
              "/MK << /BC [0.5 0.5 0.5] >> >>");
    field.replaceKey("/T", QPDFObjectHandle::newString(name));
    field.replaceKey("/TU", QPDFObjectHandle::newString(tooltip));
    field.replaceKey("/Rect", rect(x, y, width, height));
    if (multiline) {
        field.replaceKey("/Ff", QPDFObjectHandle::newInteger(4096));
    }
    QPDFObjectHandle ap = QPDFObjectHandle::newDictionary();
    ap.replaceKey("/N", appearance(pdf, width, height, border(width, height) + "/Tx BMC EMC\n",
                                   fonts.dictionary()));
    field.replaceKey("/AP", ap);
    field = pdf.makeIndirectObject(field);
    addWidget(page, field);
    return field;
}

QPDFObjectHandle checkBox(QPDF& pdf, const FormFonts& fonts, QPDFObjectHandle page, double x,
                          double y) {
    const double size = 14;
    QPDFObjectHandle field =
        parse("<< /Type /Annot /Subtype /Widget /FT /Btn /F 4 /T (subscribe) "
              "/TU (Send me the newsletter) /V /Off /AS /Off /DA (/ZaDb 0 Tf 0 g) "
              "/MK << /BC [0.5 0.5 0.5] /CA (4) >> >>");
    field.replaceKey("/Rect", rect(x, y, size, size));
    QPDFObjectHandle normal = QPDFObjectHandle::newDictionary();
    normal.replaceKey(
        "/Yes", appearance(pdf, size, size,
                           border(size, size) + "q 0 g BT /ZaDb 11 Tf 2.2 3.2 Td (4) Tj ET Q\n",
                           fonts.dictionary()));
    normal.replaceKey("/Off", appearance(pdf, size, size, border(size, size), fonts.dictionary()));
    QPDFObjectHandle ap = QPDFObjectHandle::newDictionary();
    ap.replaceKey("/N", normal);
    field.replaceKey("/AP", ap);
    field = pdf.makeIndirectObject(field);
    addWidget(page, field);
    return field;
}

QPDFObjectHandle radioGroup(QPDF& pdf, const FormFonts& fonts, QPDFObjectHandle page, double y,
                            const std::vector<std::pair<std::string, double>>& buttons) {
    QPDFObjectHandle group = pdf.makeIndirectObject(parse(
        "<< /FT /Btn /Ff 49152 /T (plan) /TU (Plan) /V /Off /DA (/ZaDb 0 Tf 0 g) /Kids [] >>"));
    const double size = 14;
    for (const auto& [state, x] : buttons) {
        QPDFObjectHandle widget = parse("<< /Type /Annot /Subtype /Widget /F 4 /AS /Off "
                                        "/MK << /BC [0.5 0.5 0.5] /CA (l) >> >>");
        widget.replaceKey("/Rect", rect(x, y, size, size));
        widget.replaceKey("/Parent", group);
        QPDFObjectHandle normal = QPDFObjectHandle::newDictionary();
        normal.replaceKey("/" + state, appearance(pdf, size, size,
                                                  border(size, size) +
                                                      "q 0 g BT /ZaDb 9 Tf 3.3 4 Td (l) Tj ET Q\n",
                                                  fonts.dictionary()));
        normal.replaceKey("/Off",
                          appearance(pdf, size, size, border(size, size), fonts.dictionary()));
        QPDFObjectHandle ap = QPDFObjectHandle::newDictionary();
        ap.replaceKey("/N", normal);
        widget.replaceKey("/AP", ap);
        widget = pdf.makeIndirectObject(widget);
        addWidget(page, widget);
        group.getKey("/Kids").appendItem(widget);
    }
    return group;
}

QPDFObjectHandle choiceField(QPDF& pdf, const FormFonts& fonts, QPDFObjectHandle page,
                             const std::string& name, const std::string& tooltip, int flags,
                             const std::vector<std::string>& options, const std::string& value,
                             double x, double y, double width, double height) {
    QPDFObjectHandle field = parse("<< /Type /Annot /Subtype /Widget /FT /Ch /F 4 "
                                   "/DA (/Helv 11 Tf 0 g) /MK << /BC [0.5 0.5 0.5] >> >>");
    field.replaceKey("/T", QPDFObjectHandle::newString(name));
    field.replaceKey("/TU", QPDFObjectHandle::newString(tooltip));
    field.replaceKey("/Ff", QPDFObjectHandle::newInteger(flags));
    field.replaceKey("/Rect", rect(x, y, width, height));
    std::vector<QPDFObjectHandle> items;
    for (const auto& option : options) {
        items.push_back(QPDFObjectHandle::newString(option));
    }
    field.replaceKey("/Opt", QPDFObjectHandle::newArray(items));
    std::string content = border(width, height) + "/Tx BMC q BT /Helv 11 Tf 0 g ";
    if (!value.empty()) {
        field.replaceKey("/V", QPDFObjectHandle::newString(value));
        content +=
            "3 " + std::to_string(height / 2 - 4) + " Td " + samples::literal(value) + " Tj ";
    } else {
        // A list box shows its options from the top.
        content += "3 " + std::to_string(height - 14) + " Td 13 TL ";
        for (const auto& option : options) {
            content += samples::literal(option) + " Tj T* ";
        }
    }
    content += "ET Q EMC\n";
    QPDFObjectHandle ap = QPDFObjectHandle::newDictionary();
    ap.replaceKey("/N", appearance(pdf, width, height, content, fonts.dictionary()));
    field.replaceKey("/AP", ap);
    field = pdf.makeIndirectObject(field);
    addWidget(page, field);
    return field;
}

void makeForm(const std::string& path) {
    QPDF pdf;
    pdf.emptyPDF();
    FormFonts fonts{
        samples::standardFont(pdf, "Helvetica"),
        pdf.makeIndirectObject(parse("<< /Type /Font /Subtype /Type1 /BaseFont /ZapfDingbats >>"))};

    QPDFObjectHandle first =
        samples::addTextPage(pdf, {{72, 770, "Membership application", 20},
                                   {72, 740, "Page 1 of 2: about you", 11, "/F2"},
                                   {72, 706, "Name"},
                                   {72, 666, "Address"},
                                   {72, 566, "Newsletter"},
                                   {72, 526, "Plan"},
                                   {172, 526, "Basic", 10},
                                   {252, 526, "Standard", 10},
                                   {342, 526, "Premium", 10}});
    QPDFObjectHandle second =
        samples::addTextPage(pdf, {{72, 770, "Membership application", 20},
                                   {72, 740, "Page 2 of 2: preferences", 11, "/F2"},
                                   {72, 706, "Country"},
                                   {72, 666, "Favourite colours"}});

    std::vector<QPDFObjectHandle> fields{
        textField(pdf, fonts, first, "name", "Full name", 160, 700, 300, 22, false),
        textField(pdf, fonts, first, "address", "Postal address", 160, 600, 300, 80, true),
        checkBox(pdf, fonts, first, 160, 562),
        radioGroup(pdf, fonts, first, 522, {{"basic", 154}, {"standard", 234}, {"premium", 324}}),
        choiceField(pdf, fonts, second, "country", "Country of residence", 131072,
                    {"France", "Germany", "Japan", "Norway", "United Kingdom"}, "Norway", 160, 700,
                    200, 22),
        choiceField(pdf, fonts, second, "colours", "Favourite colours", 2097152,
                    {"Red", "Green", "Blue", "Yellow"}, "", 160, 600, 200, 60)};

    QPDFObjectHandle acroForm = parse("<< /DA (/Helv 0 Tf 0 g) >>");
    acroForm.replaceKey("/Fields", QPDFObjectHandle::newArray(fields));
    QPDFObjectHandle resources = QPDFObjectHandle::newDictionary();
    resources.replaceKey("/Font", fonts.dictionary());
    acroForm.replaceKey("/DR", resources);
    pdf.getRoot().replaceKey("/AcroForm", pdf.makeIndirectObject(acroForm));
    samples::describe(pdf, "Membership application", "Paginor examples",
                      "A two-page form with every common field kind");
    samples::writeDeterministic(pdf, path);
}

QPDFObjectHandle outlineItem(QPDF& pdf, const std::string& title, QPDFObjectHandle target) {
    QPDFObjectHandle item = QPDFObjectHandle::newDictionary();
    item.replaceKey("/Title", QPDFObjectHandle::newString(title));
    item.replaceKey("/Dest", target);
    return pdf.makeIndirectObject(item);
}

QPDFObjectHandle fitPage(QPDFObjectHandle page) {
    return QPDFObjectHandle::newArray(
        std::vector<QPDFObjectHandle>{page, QPDFObjectHandle::newName("/Fit")});
}

// Links the items under `parent` in order (all open).
void linkOutline(QPDFObjectHandle parent, std::vector<QPDFObjectHandle> items, int visibleBelow) {
    for (std::size_t i = 0; i < items.size(); ++i) {
        items[i].replaceKey("/Parent", parent);
        if (i > 0) {
            items[i].replaceKey("/Prev", items[i - 1]);
        }
        if (i + 1 < items.size()) {
            items[i].replaceKey("/Next", items[i + 1]);
        }
    }
    parent.replaceKey("/First", items.front());
    parent.replaceKey("/Last", items.back());
    parent.replaceKey("/Count", QPDFObjectHandle::newInteger(visibleBelow));
}

void makeBookmarks(const std::string& path) {
    QPDF pdf;
    pdf.emptyPDF();
    const std::vector<std::string> headings{"Chapter 1: Beginnings", "Chapter 1, continued",
                                            "Chapter 2: Middles",    "Chapter 2, continued",
                                            "Chapter 3: Endings",    "Appendix"};
    std::vector<QPDFObjectHandle> pages;
    for (std::size_t i = 0; i < headings.size(); ++i) {
        pages.push_back(samples::addTextPage(
            pdf,
            {{72, 770, headings[i], 20},
             {72, 740, "Page " + std::to_string(i + 1) + " of the bookmarks sample.", 12, "/F2"}}));
    }
    QPDFObjectHandle root = pdf.makeIndirectObject(parse("<< /Type /Outlines >>"));
    QPDFObjectHandle chapter1 = outlineItem(pdf, "Chapter 1", fitPage(pages[0]));
    QPDFObjectHandle section11 = outlineItem(pdf, "Section 1.1", fitPage(pages[0]));
    QPDFObjectHandle section12 = outlineItem(pdf, "Section 1.2", fitPage(pages[1]));
    QPDFObjectHandle chapter2 = outlineItem(pdf, "Chapter 2", fitPage(pages[2]));
    QPDFObjectHandle section21 = outlineItem(pdf, "Section 2.1", fitPage(pages[3]));
    // Chapter 3 goes through a named destination, the appendix through an action.
    QPDFObjectHandle chapter3 =
        outlineItem(pdf, "Chapter 3", QPDFObjectHandle::newString("chapter-3"));
    QPDFObjectHandle appendix = pdf.makeIndirectObject(parse("<< /Title (Appendix) >>"));
    QPDFObjectHandle action = parse("<< /S /GoTo >>");
    action.replaceKey("/D", fitPage(pages[5]));
    appendix.replaceKey("/A", action);

    linkOutline(chapter1, {section11, section12}, 2);
    linkOutline(chapter2, {section21}, 1);
    linkOutline(root, {chapter1, chapter2, chapter3, appendix}, 7);
    pdf.getRoot().replaceKey("/Outlines", root);
    pdf.getRoot().replaceKey("/PageMode", QPDFObjectHandle::newName("/UseOutlines"));

    QPDFObjectHandle names = QPDFObjectHandle::newDictionary();
    QPDFObjectHandle dests = QPDFObjectHandle::newDictionary();
    dests.replaceKey("/Names", QPDFObjectHandle::newArray(std::vector<QPDFObjectHandle>{
                                   QPDFObjectHandle::newString("chapter-3"), fitPage(pages[4])}));
    names.replaceKey("/Dests", pdf.makeIndirectObject(dests));
    pdf.getRoot().replaceKey("/Names", names);
    samples::describe(pdf, "Bookmarks sample", "Paginor examples",
                      "Six pages with a nested outline");
    samples::writeDeterministic(pdf, path);
}

void makeText(const std::string& path) {
    QPDF pdf;
    pdf.emptyPDF();
    const std::vector<std::vector<std::string>> pages{
        {"The quick brown fox jumps over the lazy dog.", "Pack my box with five dozen liquor jugs.",
         "How vexingly quick daft zebras jump!", "Sphinx of black quartz, judge my vow."},
        {"Second page: numbers 1, 22, 333 and 4444.",
         "A line with punctuation; colons: and dashes - too.",
         "Words in Times Roman follow below."},
        {"Third page, first line.", "Third page, last line."}};
    for (std::size_t p = 0; p < pages.size(); ++p) {
        std::vector<TextLine> lines{{72, 770, "Text sample, page " + std::to_string(p + 1), 18}};
        double y = 730;
        for (const auto& line : pages[p]) {
            lines.push_back({72, y, line, 12, p == 1 && y < 700 ? "/F2" : "/F1"});
            y -= 20;
        }
        samples::addTextPage(pdf, lines);
    }
    samples::describe(pdf, "Text sample", "Paginor examples", "Plain text on three pages");
    samples::writeDeterministic(pdf, path);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make_samples <output folder>\n";
        return 2;
    }
    const std::string folder = argv[1];
    try {
        makeForm(folder + "/sample-form.pdf");
        makeBookmarks(folder + "/bookmarks.pdf");
        makeText(folder + "/text.pdf");
    } catch (const std::exception& error) {
        std::cerr << "make_samples: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
