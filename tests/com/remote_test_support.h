// Shared by the tests of objects across processes: the widget server's two
// registries (in-process and local server), creating a widget, and watching
// server processes come and go.
#pragma once

#include "widget_server/test_widget.h"

#include "com/bstr_holder.h"
#include "com/com_ptr.h"
#include "com/com_registry.h"
#include "support/scoped_environment.h"

#include <sys/types.h>

#include <chrono>
#include <string>

namespace remote_test {

using paginor::BstrHolder;
using paginor::ComPtr;

enum class Serving { InProcess, LocalServer };

std::string RegistryFor(Serving serving);
const char* NameOf(Serving serving);

// A widget named "first" from the active registry; fails the test when none.
ComPtr<ITestWidget> CreateWidget();

// The calling thread's error information's description ("" when none).
std::string ErrorDescription();

std::string Utf8(std::u16string_view text);

// The widget's server process (the test process itself in-process).
pid_t ServerPidOf(ITestWidget* widget);

// Round trips made so far on the widget's connection (0 in-process).
std::uint64_t RoundTripsOf(IUnknown* object);

// True once `pid` has ended (reaped, or a zombie no one reaps), within `limit`.
bool EndsWithin(pid_t pid, std::chrono::milliseconds limit);

using paginor::test_support::ScopedEnvironment;

} // namespace remote_test
