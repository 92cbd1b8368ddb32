// Shared pieces of the page-operation tests: the session fixture (a loaded
// plug-in with the scriptable server registered) and what the calls passed on.
#pragma once

#include "session_test_fixture.h"

#include <string>
#include <vector>

using paginor::scripted::Argument;
using paginor::scripted::CallRecord;
using paginor::scripted::Script;

// The numbers passed to every recorded call of `operation`, one row per call;
// object arguments appear as "#<id>".
inline std::vector<std::vector<std::string>> ArgumentsOf(const std::string& operation) {
    std::vector<std::vector<std::string>> rows;
    for (const CallRecord& call : Script().CallsTo(operation)) {
        std::vector<std::string> row;
        for (const Argument& argument : call.arguments) {
            row.push_back(argument.type == Argument::Type::Object
                              ? "#" + std::to_string(argument.objectId)
                              : argument.Utf8());
        }
        rows.push_back(row);
    }
    return rows;
}
