// Shared pieces of the form and document-information tests.
#pragma once

#include "session_test_fixture.h"

#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

using paginor::scripted::ElementKind;
using paginor::scripted::FieldSpec;
using paginor::scripted::Script;

inline plugin_host::CallResult CallWith(SessionFixture& session, const std::string& function,
                                        std::initializer_list<plugin_host::Param> params) {
    plugin_host::CallResult result = session.Host().Call(function, params);
    EXPECT_TRUE(result.admitted) << function;
    EXPECT_EQ(result.hostError, 0) << function;
    return result;
}

inline std::string TextOf(const plugin_host::CallResult& result) {
    return plugin_host::Utf8(result.text);
}

// The names of a field listing, sorted (the listing's order is the cache's).
// Each entry must end with a carriage return.
inline std::vector<std::string> ListedNames(const std::string& listing) {
    std::vector<std::string> names;
    std::size_t start = 0;
    while (start < listing.size()) {
        const std::size_t end = listing.find('\r', start);
        EXPECT_NE(end, std::string::npos) << "entry without carriage return";
        if (end == std::string::npos) {
            break;
        }
        names.push_back(listing.substr(start, end - start));
        start = end + 1;
    }
    std::sort(names.begin(), names.end());
    return names;
}
