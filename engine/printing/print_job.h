// Printing a document's current state through the system's print queue.
//
// The job goes to the CUPS destination named by the environment variable
// PAGINOR_PRINTER, or to the default destination when it is unset or empty.
// `lp` is looked up on PATH when a job is sent and started directly (no
// shell). The document is written, without encryption, to a private
// temporary file that is removed once `lp` has handed it to the scheduler.
#pragma once

#include "automation_contract/automation_values.h"

#include <cstdint>

#include <string>
#include <vector>

namespace paginor::engine {

class EngineDocument;

struct PrintOptions {
    std::int32_t firstPage = 0; // 0-based, inclusive
    std::int32_t lastPage = 0;
    bool shrinkToFit = false;
    bool reverse = false;
    std::int32_t pageSet = kPageSetAll; // a page set of the automation contract
    std::string title;
};

// Hands the job to the queue. Throws EngineError saying why for a page range
// outside the document, an unknown page set, a spool file that cannot be
// written, no `lp`, or a queue that refused the job (with what `lp` said).
void printDocument(EngineDocument& document, const PrintOptions& options);

// The `lp` argument vector for a checked request (exposed for tests).
// Options: -P first-last (1-based), fit-to-page, outputorder=reverse,
// page-set=even|odd, the title, and -d when `destination` is not empty.
std::vector<std::string> printCommandArguments(const PrintOptions& options, const std::string& file,
                                               const std::string& destination);

} // namespace paginor::engine
