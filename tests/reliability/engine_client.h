// The engine as the plug-in meets it: automation objects created through the
// COM runtime and the registry beside the binaries. Small wrappers that the
// reliability tests share.
#pragma once

#include "automation_contract/automation_interfaces.h"
#include "com/com_ptr.h"

#include <string>

namespace reliability {

// An opened PD document, or null when it did not open.
paginor::ComPtr<IPDDocument> OpenWithEngine(const std::string& path);

struct SaveOutcome {
    bool saved = false;
    std::string description; // the error information's text when not saved
};
SaveOutcome SaveWithEngine(IPDDocument* document, short flags, const std::string& path);

long PageCountOf(IPDDocument* document);

} // namespace reliability
