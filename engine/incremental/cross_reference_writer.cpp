#include "engine/incremental/cross_reference_writer.h"

#include "engine/incremental/flate.h"

#include <algorithm>
#include <cstdio>

namespace paginor::engine {

namespace {

void sortByNumber(std::vector<CrossReferenceEntry>& entries) {
    std::sort(entries.begin(), entries.end(),
              [](const CrossReferenceEntry& a, const CrossReferenceEntry& b) {
                  return a.number < b.number;
              });
}

// [first, count] pairs of the runs of consecutive numbers.
std::vector<std::pair<int, int>> runsOf(const std::vector<CrossReferenceEntry>& sorted) {
    std::vector<std::pair<int, int>> runs;
    for (const CrossReferenceEntry& entry : sorted) {
        if (!runs.empty() && runs.back().first + runs.back().second == entry.number) {
            ++runs.back().second;
        } else {
            runs.emplace_back(entry.number, 1);
        }
    }
    return runs;
}

std::string tail(std::int64_t sectionOffset) {
    return "startxref\n" + std::to_string(sectionOffset) + "\n%%EOF\n";
}

int bytesFor(std::uint64_t value) {
    int bytes = 1;
    while (bytes < 8 && (value >> (8 * bytes)) != 0) {
        ++bytes;
    }
    return bytes;
}

void putBigEndian(std::string& out, std::uint64_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

} // namespace

std::string crossReferenceTable(std::vector<CrossReferenceEntry> entries,
                                const std::string& trailerEntries, std::int64_t sectionOffset) {
    sortByNumber(entries);
    std::string out = "xref\n";
    std::size_t next = 0;
    for (const auto& [first, count] : runsOf(entries)) {
        out += std::to_string(first) + " " + std::to_string(count) + "\n";
        for (int i = 0; i < count; ++i, ++next) {
            char line[32];
            std::snprintf(line, sizeof line, "%010lld %05d n \n",
                          static_cast<long long>(entries[next].offset), entries[next].generation);
            out += line;
        }
    }
    out += "trailer\n<< " + trailerEntries + " >>\n";
    return out + tail(sectionOffset);
}

std::string crossReferenceStream(std::vector<CrossReferenceEntry> entries,
                                 const std::string& trailerEntries, int streamNumber,
                                 std::int64_t sectionOffset, int streamGeneration) {
    entries.push_back({streamNumber, streamGeneration, sectionOffset});
    sortByNumber(entries);
    std::int64_t largestOffset = 0;
    int largestGeneration = 0;
    for (const CrossReferenceEntry& entry : entries) {
        largestOffset = std::max(largestOffset, entry.offset);
        largestGeneration = std::max(largestGeneration, entry.generation);
    }
    const int offsetBytes = bytesFor(static_cast<std::uint64_t>(largestOffset));
    const int generationBytes = bytesFor(static_cast<std::uint64_t>(largestGeneration));
    std::string rows;
    for (const CrossReferenceEntry& entry : entries) {
        rows.push_back('\x01'); // type 1: an object at an offset
        putBigEndian(rows, static_cast<std::uint64_t>(entry.offset), offsetBytes);
        putBigEndian(rows, static_cast<std::uint64_t>(entry.generation), generationBytes);
    }
    const std::string data = deflate(rows);
    std::string index;
    for (const auto& [first, count] : runsOf(entries)) {
        if (!index.empty()) {
            index += ' ';
        }
        index += std::to_string(first);
        index += ' ';
        index += std::to_string(count);
    }
    std::string out = std::to_string(streamNumber) + " " + std::to_string(streamGeneration) +
                      " obj\n<< /Type /XRef " + trailerEntries + " /Index [ " + index +
                      " ] /W [ 1 " + std::to_string(offsetBytes) + " " +
                      std::to_string(generationBytes) + " ] /Filter /FlateDecode /Length " +
                      std::to_string(data.size()) + " >>\nstream\n";
    out += data;
    out += "\nendstream\nendobj\n";
    return out + tail(sectionOffset);
}

} // namespace paginor::engine
