#include "engine/incremental/spare_object_section.h"

#include "engine/incremental/cross_reference_writer.h"

#include <algorithm>
#include <vector>

namespace paginor::engine {

std::string spareObjectSection(const LastCrossReference& last, std::size_t originalLength,
                               bool endsWithLineEnd, const SpareObjects& spares) {
    std::string section = endsWithLineEnd ? "" : "\n";
    std::vector<CrossReferenceEntry> entries;
    const std::string generation = " " + std::to_string(kSpareGeneration) + " obj\n";
    for (int i = 0; i < spares.count; ++i) {
        const int number = spares.firstNumber + i;
        entries.push_back(
            {number, kSpareGeneration, static_cast<std::int64_t>(originalLength + section.size())});
        section +=
            std::to_string(number) + generation + "<< /Length 0 >>\nstream\n\nendstream\nendobj\n";
    }
    const int streamNumber = spares.firstNumber + spares.count;
    std::string trailer =
        "/Size " + std::to_string(streamNumber + 1) + " /Prev " + std::to_string(last.offset);
    for (const auto& [key, value] : last.trailer) {
        trailer += " " + key + " " + value;
    }
    const auto sectionOffset = static_cast<std::int64_t>(originalLength + section.size());
    return section + crossReferenceStream(std::move(entries), trailer, streamNumber, sectionOffset,
                                          kSpareGeneration);
}

int spareCountFor(std::int64_t size) {
    return static_cast<int>(std::clamp<std::int64_t>(size / 8, 64, 1024));
}

} // namespace paginor::engine
