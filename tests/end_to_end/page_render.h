// Renders one page with a real viewer engine (poppler's pdftoppm or MuPDF's
// mutool) and compares regions of two renderings.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace paginor::e2e {

struct GrayImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels; // row by row, top row first
};

enum class Renderer { Poppler, MuPdf };

const char* rendererTool(Renderer renderer);

// Page `pageFrom1` of `file` in grey at `dpi`, its crop box (else its media
// box) filling the image; nullopt when the tool fails.
std::optional<GrayImage> renderPage(Renderer renderer, const std::filesystem::path& file,
                                    int pageFrom1, int dpi, std::string* error);

// Pixels that differ by more than a faint anti-aliasing shift inside the
// rectangle [x1, x2) x [y1, y2) (clipped to both images).
int changedPixels(const GrayImage& before, const GrayImage& after, int x1, int y1, int x2, int y2);

} // namespace paginor::e2e
