#include "forms_test_support.h"

#include "support/corpus.h"
#include "support/process_runner.h"
#include "support/scratch_folder.h"

#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace paginor::engine::forms::test {

namespace fs = std::filesystem;

std::optional<fs::path> corpusDir() {
    auto corpus = test_support::corpusFolder();
    if (corpus && fs::is_directory(*corpus / "forms")) {
        return corpus;
    }
    return std::nullopt;
}

std::unique_ptr<QPDF> openPdf(const fs::path& path) {
    auto pdf = std::make_unique<QPDF>();
    pdf->setSuppressWarnings(true);
    pdf->processFile(path.string().c_str());
    return pdf;
}

std::shared_ptr<QPDF> openPdfBytes(std::string bytes) {
    struct Held {
        std::string bytes; // outlives the document reading it
        QPDF pdf;
    };
    auto held = std::make_shared<Held>();
    held->bytes = std::move(bytes);
    held->pdf.setSuppressWarnings(true);
    held->pdf.processMemoryFile("reopened", held->bytes.data(), held->bytes.size());
    return std::shared_ptr<QPDF>(held, &held->pdf);
}

std::string saveToBytes(QPDF& pdf) {
    QPDFWriter writer(pdf);
    writer.setOutputMemory();
    if (!pdf.isEncrypted()) {
        writer.setDeterministicID(true); // equal documents give equal bytes
    }
    writer.write();
    auto buffer = writer.getBufferSharedPointer();
    return std::string(reinterpret_cast<const char*>(buffer->getBuffer()), buffer->getSize());
}

namespace {

QPDFObjectHandle stateStream(QPDF& pdf, const std::string& content) {
    QPDFObjectHandle stream = QPDFObjectHandle::newStream(&pdf, content);
    stream.getDict().replaceKey("/Type", QPDFObjectHandle::newName("/XObject"));
    stream.getDict().replaceKey("/Subtype", QPDFObjectHandle::newName("/Form"));
    stream.getDict().replaceKey("/BBox", QPDFObjectHandle::parse("[0 0 14 14]"));
    return stream;
}

} // namespace

std::unique_ptr<QPDF> makeSampleForm() {
    auto pdf = std::make_unique<QPDF>();
    pdf->emptyPDF();
    QPDFObjectHandle page = pdf->makeIndirectObject(
        QPDFObjectHandle::parse("<< /Type /Page /MediaBox [0 0 300 400] /Resources << >> >>"));
    QPDFPageDocumentHelper(*pdf).addPage(QPDFPageObjectHelper(page), false);
    QPDFObjectHandle annots = QPDFObjectHandle::newArray();
    QPDFObjectHandle fields = QPDFObjectHandle::newArray();

    auto add = [&](const std::string& text, bool topLevel = true) {
        QPDFObjectHandle object = pdf->makeIndirectObject(QPDFObjectHandle::parse(text));
        if (object.hasKey("/Rect")) {
            object.replaceKey("/P", page);
            annots.appendItem(object);
        }
        if (topLevel) {
            fields.appendItem(object);
        }
        return object;
    };
    const std::string widget = "/Type /Annot /Subtype /Widget /F 4 /MK << /BC [0] /BG [1] >> ";
    add("<< " + widget + "/FT /Tx /T (name) /MaxLen 10 /Rect [10 360 150 380] >>");
    add("<< " + widget + "/FT /Tx /T (notes) /Ff 4096 /Rect [10 300 150 350] >>");

    QPDFObjectHandle agree =
        add("<< " + widget + "/FT /Btn /T (agree) /V /Off /AS /Off /Rect [10 270 24 284] >>");
    agree.replaceKey("/AP", QPDFObjectHandle::parse("<< /N << >> >>"));
    agree.getKey("/AP").getKey("/N").replaceKey("/Yes", stateStream(*pdf, "0 g 2 2 10 10 re f"));
    agree.getKey("/AP").getKey("/N").replaceKey("/Off", stateStream(*pdf, ""));

    QPDFObjectHandle colour = add("<< /FT /Btn /T (colour) /Ff 49152 /V /Off /Kids [] >>");
    double x = 40;
    for (const char* state : {"red", "green", "blue"}) {
        QPDFObjectHandle kid = add("<< " + widget + "/AS /Off /Rect [" + std::to_string(x) +
                                       " 270 " + std::to_string(x + 14) + " 284] >>",
                                   false);
        kid.replaceKey("/Parent", colour);
        kid.replaceKey("/AP", QPDFObjectHandle::parse("<< /N << >> >>"));
        kid.getKey("/AP").getKey("/N").replaceKey(std::string("/") + state,
                                                  stateStream(*pdf, "0 g 4 4 6 6 re f"));
        kid.getKey("/AP").getKey("/N").replaceKey("/Off", stateStream(*pdf, ""));
        colour.getKey("/Kids").appendItem(kid);
        x += 20;
    }
    add("<< " + widget +
        "/FT /Ch /T (size) /Ff 131072 /Opt [(S) (M) (L)] /Rect [10 240 80 260] >>");
    add("<< " + widget +
        "/FT /Ch /T (fruits) /Ff 2097152 /Opt [[(a) (Apple)] (Banana) (Cherry)] /Rect [10 180 100 "
        "230] >>");
    add("<< " + widget + "/FT /Tx /T (code) /Ff 16777216 /MaxLen 6 /Rect [10 150 130 170] >>");
    add("<< " + widget + "/FT /Btn /T (send) /Ff 65536 /Rect [200 150 260 170] >>");
    QPDFObjectHandle group = add("<< /T (group) /Kids [] >>");
    QPDFObjectHandle inner =
        add("<< " + widget + "/FT /Tx /T (inner) /Rect [10 100 150 120] >>", false);
    inner.replaceKey("/Parent", group);
    group.getKey("/Kids").appendItem(inner);

    page.replaceKey("/Annots", annots);
    QPDFObjectHandle acroForm = QPDFObjectHandle::newDictionary();
    acroForm.replaceKey("/Fields", fields);
    acroForm.replaceKey("/DA", QPDFObjectHandle::newString("/Helv 0 Tf 0 g"));
    acroForm.replaceKey("/DR", QPDFObjectHandle::parse("<< /Font << >> >>"));
    acroForm.getKey("/DR").getKey("/Font").replaceKey(
        "/Helv",
        pdf->makeIndirectObject(QPDFObjectHandle::parse(
            "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>")));
    pdf->getRoot().replaceKey("/AcroForm", acroForm);
    return pdf;
}

FormField fieldNamed(const FieldTree& tree, const std::string& name) {
    const long index = tree.indexOf(name);
    if (index < 0) {
        throw std::runtime_error("no field " + name);
    }
    return tree.fields()[static_cast<size_t>(index)];
}

namespace {

struct Image {
    int width = 0;
    int height = 0;
    std::string pixels; // RGB
};

std::optional<Image> readPpm(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int maxValue = 0;
    Image image;
    if (!(in >> magic >> image.width >> image.height >> maxValue) || magic != "P6" ||
        maxValue != 255) {
        return std::nullopt;
    }
    in.get();
    image.pixels.resize(static_cast<size_t>(image.width) * image.height * 3);
    in.read(image.pixels.data(), static_cast<std::streamsize>(image.pixels.size()));
    return in ? std::optional<Image>(image) : std::nullopt;
}

std::optional<Image> render(const std::string& tool, const std::string& pdfBytes,
                            const fs::path& dir, const std::string& stem) {
    const fs::path pdfPath = dir / (stem + ".pdf");
    std::ofstream(pdfPath, std::ios::binary) << pdfBytes;
    const fs::path out = dir / stem;
    const auto result =
        tool == "pdftoppm"
            ? test_support::runProcess("pdftoppm", {"-r", "72", "-f", "1", "-l", "1", "-singlefile",
                                                    pdfPath.string(), out.string()})
            : test_support::runProcess("mutool", {"draw", "-q", "-r", "72", "-o",
                                                  out.string() + ".ppm", pdfPath.string(), "1"});
    if (result.exitCode != 0) {
        return std::nullopt;
    }
    return readPpm(out.string() + ".ppm");
}

} // namespace

std::optional<long> changedPixels(const std::string& tool, const std::string& before,
                                  const std::string& after, double x0, double y0, double x1,
                                  double y1) {
    std::optional<Image> first;
    std::optional<Image> second;
    {
        test_support::ScratchFolder scratch("paginor-forms");
        first = render(tool, before, scratch.path(), "before");
        second = render(tool, after, scratch.path(), "after");
    }
    if (!first || !second || first->width != second->width || first->height != second->height) {
        return std::nullopt;
    }
    long changed = 0;
    for (int py = 0; py < first->height; ++py) {
        const double y = first->height - py;
        if (y < y0 || y > y1) {
            continue;
        }
        for (int px = 0; px < first->width; ++px) {
            if (px < x0 || px > x1) {
                continue;
            }
            const size_t at = (static_cast<size_t>(py) * first->width + px) * 3;
            if (first->pixels.compare(at, 3, second->pixels, at, 3) != 0) {
                ++changed;
            }
        }
    }
    return changed;
}

} // namespace paginor::engine::forms::test
