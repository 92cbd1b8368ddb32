#include "engine/document/pdf_date.h"

#include <cstdio>
#include <cstdlib>

namespace paginor::engine {

namespace {

struct LocalTime {
    std::tm fields{};
    long offsetMinutes = 0;
};

LocalTime localTime(std::time_t when) {
    LocalTime result;
    localtime_r(&when, &result.fields);
    result.offsetMinutes = result.fields.tm_gmtoff / 60;
    return result;
}

std::string offsetText(long minutes, const char* separator, const char* trailer) {
    if (minutes == 0) {
        return "Z";
    }
    char text[48];
    std::snprintf(text, sizeof text, "%c%02ld%s%02ld%s", minutes < 0 ? '-' : '+',
                  std::labs(minutes) / 60, separator, std::labs(minutes) % 60, trailer);
    return text;
}

} // namespace

std::string pdfDate(std::time_t when) {
    const LocalTime local = localTime(when);
    char text[64];
    std::snprintf(text, sizeof text, "D:%04d%02d%02d%02d%02d%02d", local.fields.tm_year + 1900,
                  local.fields.tm_mon + 1, local.fields.tm_mday, local.fields.tm_hour,
                  local.fields.tm_min, local.fields.tm_sec);
    return text + offsetText(local.offsetMinutes, "'", "'");
}

std::string xmpDate(std::time_t when) {
    const LocalTime local = localTime(when);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", local.fields.tm_year + 1900,
                  local.fields.tm_mon + 1, local.fields.tm_mday, local.fields.tm_hour,
                  local.fields.tm_min, local.fields.tm_sec);
    return text + offsetText(local.offsetMinutes, ":", "");
}

} // namespace paginor::engine
