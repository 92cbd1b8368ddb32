// Shared pieces of the page-operation tests: the session fixture (a loaded
// plug-in with the scriptable server registered) and call helpers.
#pragma once

#include "session_test_fixture.h"

#include <initializer_list>
#include <string>
#include <vector>

using paginor::scripted::Argument;
using paginor::scripted::CallRecord;
using paginor::scripted::Script;

// Calls `function` with any parameters and checks what every call must
// leave: admitted by the host, code 0 to the host, no input hook left.
inline std::string CallWith(SessionFixture& session, const std::string& function,
                            std::initializer_list<plugin_host::Param> params) {
    const plugin_host::CallResult result = session.Host().Call(function, params);
    EXPECT_TRUE(result.admitted) << function;
    EXPECT_EQ(result.hostError, 0) << function;
    EXPECT_EQ(paginor::win::InstalledHookCount(GetCurrentThreadId()), 0u) << function;
    return plugin_host::Utf8(result.text);
}

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

// The last error as the user reads it: number, then message and detail.
inline std::string LastError(SessionFixture& session) {
    return std::to_string(session.ErrorNumber()) + " " + session.ErrorText();
}
