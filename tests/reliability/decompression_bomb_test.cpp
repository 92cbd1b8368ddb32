// Small files whose streams inflate to 128 MiB (twice the stream limit), in the streams
// the engine decodes itself (XMP metadata, a form font's program) and in the
// page content, run through everything the engine does with a document while
// the address space is limited to 1, 1.5, 2 and 3 GB: every step gives an
// answer (an error naming the stream where the limit stops it), none aborts.
// Without limits (sanitizer builds) the bombs still may not take the memory.
#include "broken_pdf_builder.h"
#include "child_process.h"
#include "engine_workout.h"
#include "process_memory.h"
#include "reliability_paths.h"

#include "support/scratch_folder.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>

namespace {

using namespace reliability;
using paginor::test_support::ScratchFolder;
using paginor::test_support::writeFile;

constexpr std::size_t kInflatedSize = std::size_t{128} << 20;

// `size` bytes of `fill` deflated, made a megabyte at a time.
std::string DeflatedRun(char fill, std::size_t size) {
    z_stream stream{};
    deflateInit(&stream, Z_BEST_COMPRESSION);
    const std::string chunk(1 << 20, fill);
    std::string out;
    char buffer[65536];
    for (std::size_t done = 0; done < size; done += chunk.size()) {
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(chunk.data()));
        stream.avail_in = static_cast<uInt>(chunk.size());
        const int flush = done + chunk.size() >= size ? Z_FINISH : Z_NO_FLUSH;
        do {
            stream.next_out = reinterpret_cast<Bytef*>(buffer);
            stream.avail_out = sizeof buffer;
            deflate(&stream, flush);
            out.append(buffer, sizeof buffer - stream.avail_out);
        } while (stream.avail_out == 0);
    }
    deflateEnd(&stream);
    return out;
}

const std::string& Bomb() {
    static const std::string bomb = DeflatedRun(' ', kInflatedSize);
    return bomb;
}

std::string XmpBomb() {
    PdfBuilder pdf;
    const int catalog = pdf.Add("<< /Type /Catalog /Pages 2 0 R /Metadata 4 0 R >>");
    pdf.Add("<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
    pdf.Add("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] >>");
    pdf.AddStream("<< /Type /Metadata /Subtype /XML /Filter /FlateDecode >>", Bomb());
    return pdf.Build(catalog);
}

// A text field whose font is a subset (so its program is read to learn
// which characters it has) with a program that inflates hugely.
std::string FontProgramBomb() {
    PdfBuilder pdf;
    const int catalog = pdf.Add("<< /Type /Catalog /Pages 2 0 R /AcroForm 5 0 R >>");
    pdf.Add("<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
    pdf.Add("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 300 200] /Annots [4 0 R] >>");
    pdf.Add("<< /Type /Annot /Subtype /Widget /FT /Tx /T (name) /Rect [10 10 290 40] /P 3 0 R "
            "/DA (/F1 12 Tf 0 g) >>");
    pdf.Add("<< /Fields [4 0 R] /DR << /Font << /F1 6 0 R >> >> /DA (/F1 12 Tf 0 g) >>");
    pdf.Add("<< /Type /Font /Subtype /TrueType /BaseFont /ABCDEF+Helvetica "
            "/Encoding /WinAnsiEncoding /FirstChar 32 /LastChar 32 /Widths [278] "
            "/FontDescriptor 7 0 R >>");
    pdf.Add("<< /Type /FontDescriptor /FontName /ABCDEF+Helvetica /Flags 32 "
            "/FontBBox [0 -200 1000 900] /ItalicAngle 0 /Ascent 718 /Descent -207 "
            "/CapHeight 718 /StemV 80 /FontFile2 8 0 R >>");
    pdf.AddStream("<< /Filter /FlateDecode >>", Bomb());
    return pdf.Build(catalog);
}

std::string ContentStreamBomb() {
    PdfBuilder pdf;
    const int catalog = pdf.Add("<< /Type /Catalog /Pages 2 0 R >>");
    pdf.Add("<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
    pdf.Add("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] /Contents 4 0 R >>");
    pdf.AddStream("<< /Filter /FlateDecode >>", Bomb());
    return pdf.Build(catalog);
}

struct BombCase {
    const char* name;
    std::string (*make)();
    // What the save's failure names, or nullptr when the save may succeed.
    const char* saveFailure;
    bool fieldWritten;
};

const BombCase kBombs[] = {
    {"Xmp", XmpBomb, "The XMP metadata stream (object 4 0) decodes to more than 64 MiB", false},
    {"FontProgram", FontProgramBomb, nullptr, false},
    {"ContentStream", ContentStreamBomb, nullptr, false},
};

const unsigned long kLimitsInMiB[] = {1024, 1536, 2048, 3072};

class DecompressionBombs : public ::testing::TestWithParam<BombCase> {};

TEST_P(DecompressionBombs, AlwaysGiveAnAnswerUnderAnAddressSpaceLimit) {
    const BombCase& bomb = GetParam();
    ScratchFolder folder;
    const std::string input = (folder / "bomb.pdf").string();
    writeFile(input, bomb.make());
    for (unsigned long mebibytes : kLimitsInMiB) {
        SCOPED_TRACE(std::to_string(mebibytes) + " MiB");
        const std::string output =
            (folder / ("out-" + std::to_string(mebibytes) + ".pdf")).string();
        const ChildOutcome outcome = RunInChild(
            [&] {
                if (!kAddressSanitizer) {
                    const rlimit limit{mebibytes << 20, mebibytes << 20};
                    ::setrlimit(RLIMIT_AS, &limit);
                }
                const paginor::reliability::WorkoutReport report =
                    paginor::reliability::RunEngineWorkout(input, output);
                if (!report.opened) {
                    return 2;
                }
                if (report.wroteField != bomb.fieldWritten) {
                    return 3;
                }
                if (bomb.saveFailure != nullptr &&
                    (report.saved ||
                     report.saveFailure.find(bomb.saveFailure) == std::string::npos)) {
                    std::fprintf(stderr, "save: %s\n", report.saveFailure.c_str());
                    return 4;
                }
                return 0;
            },
            60);
        EXPECT_TRUE(outcome.Clean()) << outcome.Describe();
        if (kAddressSanitizer) {
            break; // no limit to vary
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Streams, DecompressionBombs, ::testing::ValuesIn(kBombs),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
