// Creating an automation object from its class into a typed holder.
#pragma once

#include "automation/automation_reference.h"

// Creates the object and puts the interface `iid` into `*object`. With a
// context that allows an out-of-process server the object is created as
// IUnknown, put into the running state and then queried, so the server is
// fully started before the first call. `*object` stays null on failure.
// Returns the status of the last step taken.
HRESULT CreateAutomationObject(REFCLSID clsid, DWORD context, REFIID iid, void** object);

// Drops whatever `holder` had, then creates a new object into it. Raises
// nothing: the caller tests the status and reports it (code -200).
template <typename Interface>
HRESULT CreateInstance(AutomationRef<Interface>& holder, REFCLSID clsid,
                       DWORD context = CLSCTX_ALL) {
    holder.Clear();
    Interface* object = nullptr;
    const HRESULT status = CreateAutomationObject(clsid, context, AutomationRef<Interface>::kIid,
                                                  reinterpret_cast<void**>(&object));
    if (SUCCEEDED(status)) {
        holder.Attach(object);
    }
    return status;
}
