#include "page_render.h"

#include "e2e_support.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

namespace paginor::e2e {
namespace {

// Binary greyscale PGM ("P5", maxval 255), as both tools write it.
std::optional<GrayImage> parsePgm(const std::string& bytes) {
    std::istringstream in(bytes);
    std::string magic;
    int width = 0;
    int height = 0;
    int maxValue = 0;
    in >> magic >> width >> height >> maxValue;
    if (magic != "P5" || width <= 0 || height <= 0 || maxValue != 255) {
        return std::nullopt;
    }
    in.get(); // the single white-space byte before the pixels
    GrayImage image;
    image.width = width;
    image.height = height;
    image.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    in.read(reinterpret_cast<char*>(image.pixels.data()),
            static_cast<std::streamsize>(image.pixels.size()));
    if (in.gcount() != static_cast<std::streamsize>(image.pixels.size())) {
        return std::nullopt;
    }
    return image;
}

} // namespace

const char* rendererTool(Renderer renderer) {
    return renderer == Renderer::Poppler ? "pdftoppm" : "mutool";
}

std::optional<GrayImage> renderPage(Renderer renderer, const std::filesystem::path& file,
                                    int pageFrom1, int dpi, std::string* error) {
    ScratchFolder scratch;
    const std::string page = std::to_string(pageFrom1);
    const std::string resolution = std::to_string(dpi);
    ProcessResult run;
    std::filesystem::path output;
    if (renderer == Renderer::Poppler) {
        output = scratch.path() / "page.pgm";
        // The crop box, as MuPDF draws it (pdftoppm draws the media box
        // unless told).
        run = runProcess("pdftoppm",
                         {"-gray", "-cropbox", "-r", resolution, "-f", page, "-l", page,
                          "-singlefile", file.string(), (scratch.path() / "page").string()});
    } else {
        output = scratch.path() / "page.pgm";
        run = runProcess("mutool", {"draw", "-q", "-r", resolution, "-c", "gray", "-o",
                                    output.string(), file.string(), page});
    }
    auto image = run.exitCode == 0 ? parsePgm(readFile(output)) : std::nullopt;
    if (!image && error) {
        *error = std::string(rendererTool(renderer)) + " exit " + std::to_string(run.exitCode) +
                 ": " + run.err;
    }
    return image;
}

int changedPixels(const GrayImage& before, const GrayImage& after, int x1, int y1, int x2, int y2) {
    x1 = std::max(x1, 0);
    y1 = std::max(y1, 0);
    x2 = std::min({x2, before.width, after.width});
    y2 = std::min({y2, before.height, after.height});
    int changed = 0;
    for (int y = y1; y < y2; ++y) {
        for (int x = x1; x < x2; ++x) {
            const int a = before.pixels[static_cast<std::size_t>(y * before.width + x)];
            const int b = after.pixels[static_cast<std::size_t>(y * after.width + x)];
            changed += std::abs(a - b) > 24 ? 1 : 0;
        }
    }
    return changed;
}

} // namespace paginor::e2e
