#include "com/remoting/server_limits.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>

namespace paginor::remoting {

namespace {

std::optional<double> NumberFromEnvironment(const char* name) {
    const char* text = std::getenv(name);
    if (text == nullptr || *text == '\0') {
        return std::nullopt;
    }
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    if (end == text || *end != '\0' || !std::isfinite(value) || value < 0) {
        return std::nullopt;
    }
    return value;
}

std::u16string Ascii(const char* text) {
    std::u16string wide;
    for (; *text != '\0'; ++text) {
        wide.push_back(static_cast<char16_t>(*text));
    }
    return wide;
}

// Up to one decimal, without a trailing ".0".
std::u16string Decimal(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    std::string digits(text);
    if (digits.ends_with(".0")) {
        digits.resize(digits.size() - 2);
    }
    return Ascii(digits.c_str());
}

} // namespace

ServerLimits ServerLimits::FromEnvironment() {
    ServerLimits limits;
    if (const auto mib = NumberFromEnvironment(kMemoryLimitVariable)) {
        limits.memoryBytes = static_cast<std::uint64_t>(*mib * 1024 * 1024);
    }
    if (const auto seconds = NumberFromEnvironment(kCallTimeLimitVariable)) {
        limits.callTime = std::chrono::milliseconds(static_cast<long long>(*seconds * 1000));
    }
    return limits;
}

std::u16string DescribeMemorySize(std::uint64_t bytes) {
    const double mib = static_cast<double>(bytes) / (1024.0 * 1024.0);
    if (mib >= 1024) {
        return Decimal(mib / 1024) + u" GiB";
    }
    return Decimal(mib) + u" MiB";
}

std::u16string DescribeSeconds(std::chrono::milliseconds time) {
    return Decimal(static_cast<double>(time.count()) / 1000.0) + u"-second";
}

} // namespace paginor::remoting
