#include "engine/document/engine_limits.h"

#include <cstdio>
#include <cstdlib>
#include <limits>

namespace paginor::engine {

namespace {

std::uint64_t limitFromEnvironment(const char* variable, std::uint64_t fallback) {
    const char* text = std::getenv(variable);
    if (text == nullptr) {
        return fallback;
    }
    return parseByteSize(text).value_or(fallback);
}

} // namespace

std::uint64_t maxFileSize() {
    return limitFromEnvironment(kMaxFileSizeVariable, kDefaultMaxFileSize);
}

std::uint64_t maxDecodedStreamSize() {
    return limitFromEnvironment(kMaxStreamSizeVariable, kDefaultMaxStreamSize);
}

std::optional<std::uint64_t> parseByteSize(std::string_view text) {
    if (text.empty()) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    std::size_t position = 0;
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
    for (; position < text.size() && text[position] >= '0' && text[position] <= '9'; ++position) {
        const auto digit = static_cast<std::uint64_t>(text[position] - '0');
        if (value > (kMax - digit) / 10) {
            return std::nullopt;
        }
        value = value * 10 + digit;
    }
    if (position == 0) {
        return std::nullopt;
    }
    int shift = 0;
    if (position < text.size()) {
        switch (text[position]) {
        case 'K':
        case 'k':
            shift = 10;
            break;
        case 'M':
        case 'm':
            shift = 20;
            break;
        case 'G':
        case 'g':
            shift = 30;
            break;
        default:
            return std::nullopt;
        }
        ++position;
    }
    if (position != text.size() || value == 0 || value > (kMax >> shift)) {
        return std::nullopt;
    }
    return value << shift;
}

std::string describeByteSize(std::uint64_t bytes) {
    const char* units[] = {"KiB", "MiB", "GiB", "TiB"};
    if (bytes < 1024) {
        return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
    }
    double value = static_cast<double>(bytes);
    int unit = -1;
    while (value >= 1024 && unit < 3) {
        value /= 1024;
        ++unit;
    }
    char text[32];
    if (value == static_cast<double>(static_cast<std::uint64_t>(value))) {
        std::snprintf(text, sizeof text, "%.0f %s", value, units[unit]);
    } else {
        std::snprintf(text, sizeof text, "%.1f %s", value, units[unit]);
    }
    return text;
}

} // namespace paginor::engine
