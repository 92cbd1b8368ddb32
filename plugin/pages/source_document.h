// The second PD document that page insertion and appending read pages from.
// It lives for one call and never becomes a session member.
#pragma once

#include "automation/automation_reference.h"
#include "pages/operation_steps.h"
#include "win/wide_string.h"

#include <string>

// Creates the source document into `source`. On failure records -200 (with
// the failing status as native code) and returns false.
bool CreateSourceDocument(AutomationRef<IPDDocument>& source);

// Opens `path` in the source document. An open that answers false records
// -2017 with the path as detail, one the application refuses records -2017
// with its reason; either marks the operation failed.
void OpenSourceDocument(OperationSteps& steps, const AutomationRef<IPDDocument>& source,
                        const WideString& path);

// Closes the source document when it is present. While the call has not
// failed, a failed close is recorded and marks the operation failed; after a failure
// the close is still attempted but the first failure stays the one reported.
void CloseSourceDocument(OperationSteps& steps, const AutomationRef<IPDDocument>& source);

// The page count of a PD document (a guarded step).
LONG PageCountOf(OperationSteps& steps, const AutomationRef<IPDDocument>& document);
