#include "font_subsetter.h"

#include <hb-subset.h>

#include <memory>

namespace paginor::engine::forms {

namespace {

struct InputDeleter {
    void operator()(hb_subset_input_t* input) const { hb_subset_input_destroy(input); }
};
struct PlanDeleter {
    void operator()(hb_subset_plan_t* plan) const { hb_subset_plan_destroy(plan); }
};
struct FaceDeleter {
    void operator()(hb_face_t* face) const { hb_face_destroy(face); }
};
struct BlobDeleter {
    void operator()(hb_blob_t* blob) const { hb_blob_destroy(blob); }
};

} // namespace

std::optional<FontSubset> subsetFont(hb_face_t* face, const std::set<uint32_t>& glyphs,
                                     bool keepGlyphIds) {
    std::unique_ptr<hb_subset_input_t, InputDeleter> input(hb_subset_input_create_or_fail());
    if (!input) {
        return std::nullopt;
    }
    hb_set_t* glyphSet = hb_subset_input_glyph_set(input.get());
    hb_set_add(glyphSet, 0); // .notdef stays glyph 0
    for (uint32_t glyph : glyphs) {
        hb_set_add(glyphSet, glyph);
    }
    hb_set_t* dropped = hb_subset_input_set(input.get(), HB_SUBSET_SETS_DROP_TABLE_TAG);
    for (const char* tag : {"GSUB", "GPOS", "GDEF", "BASE", "JSTF", "MATH", "kern", "morx", "kerx",
                            "DSIG", "vhea", "vmtx", "VORG", "COLR", "CPAL", "SVG ", "sbix", "CBDT",
                            "CBLC", "EBDT", "EBLC", "gasp", "hdmx", "LTSH", "PCLT", "VDMX"}) {
        hb_set_add(dropped, hb_tag_from_string(tag, 4));
    }
    hb_subset_input_set_flags(input.get(), HB_SUBSET_FLAGS_NO_HINTING |
                                               HB_SUBSET_FLAGS_DESUBROUTINIZE |
                                               (keepGlyphIds ? HB_SUBSET_FLAGS_RETAIN_GIDS : 0));

    std::unique_ptr<hb_subset_plan_t, PlanDeleter> plan(
        hb_subset_plan_create_or_fail(face, input.get()));
    if (!plan) {
        return std::nullopt;
    }
    FontSubset subset;
    const hb_map_t* mapping = hb_subset_plan_old_to_new_glyph_mapping(plan.get());
    for (uint32_t glyph : glyphs) {
        const hb_codepoint_t mapped = hb_map_get(mapping, glyph);
        if (mapped != HB_MAP_VALUE_INVALID) {
            subset.newGlyphOf[glyph] = mapped;
        }
    }
    std::unique_ptr<hb_face_t, FaceDeleter> result(hb_subset_plan_execute_or_fail(plan.get()));
    if (!result) {
        return std::nullopt;
    }
    std::unique_ptr<hb_blob_t, BlobDeleter> blob(hb_face_reference_blob(result.get()));
    unsigned length = 0;
    const char* data = hb_blob_get_data(blob.get(), &length);
    if (data == nullptr || length == 0) {
        return std::nullopt;
    }
    subset.bytes.assign(data, length);
    return subset;
}

} // namespace paginor::engine::forms
