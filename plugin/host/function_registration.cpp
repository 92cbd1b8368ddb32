#include "host/function_registration.h"

#include "host/plugin_module.h"
#include "host/script_functions.h"
#include "win/string_resources.h"

#include <array>

namespace {

constexpr std::array<ScriptFunctionEntry, 24> kTable{{
    {150, 0, 1, QELT_Version},
    {152, 1, 1, QELT_OpenPDF},
    {153, 2, 2, QELT_SetPDFFieldValue},
    {154, 1, 1, QELT_GetPDFFieldValue},
    {155, 0, 0, QELT_ClosePDF},
    {156, 0, 1, QELT_PrintPDF},
    {157, 1, 1, QELT_GetPDFInfo},
    {158, 1, 1, QELT_AppendPDF},
    {159, 1, 1, QELT_DeletePDF},
    {160, 0, 0, QELT_GetNumPages},
    {161, 1, 1, QELT_GetTextLengthFromPage},
    {162, 1, 1, QELT_GetTextFromPage},
    {163, 0, 1, QELT_SaveAsPDF},
    {164, 0, 1, QELT_GetLastError},
    {165, 2, 2, QELT_SetPDFInfo},
    {166, 0, 0, QELT_SavePDF},
    {170, 0, 1, QELT_GetFieldNames},
    {171, 2, 2, QELT_DeletePages},
    {172, 0, 0, QELT_CloseAcrobat},
    {173, 0, 0, QELT_ShowAcrobat},
    {174, 0, 0, QELT_HideAcrobat},
    {175, 0, 1, QELT_FileBrowse},
    {176, 0, 1, QELT_FolderBrowse},
    {177, 5, 5, QELT_InsertPages},
}};

constexpr int kTextBufferUnits = 1024;

HostQuadChar PluginId() {
    return HostQuadChar('Q', 'E', 'L', 'T');
}

} // namespace

std::span<const ScriptFunctionEntry> ScriptFunctionTable() {
    return kTable;
}

void LoadFunctionText(std::int16_t id, HostText& text, bool nameWanted) {
    std::array<WCHAR, kTextBufferUnits> buffer{};
    LoadStringW(HostGivenInstanceHandle(), static_cast<UINT>(id), buffer.data(),
                static_cast<int>(buffer.size()));
    text.AssignUnicode(buffer.data());
    if (!nameWanted) {
        return;
    }
    HostText parenthesis;
    parenthesis.AssignAscii("(");
    const std::uint32_t position = text.Find(parenthesis, 0);
    if (position != FMX_TEXT_NOT_FOUND) {
        text.DeleteText(position, text.Size() - position);
    }
}

void RegisterScriptFunctions() {
    const HostQuadChar pluginId = PluginId();
    HostText name;
    HostText prototype;
    for (const ScriptFunctionEntry& entry : kTable) {
        LoadFunctionText(entry.id, name, true);
        LoadFunctionText(entry.id, prototype, false);
        CallHost([&](FMX_ErrorContainer* err) {
            return FM_ExprEnv_RegisterExternalFunction(
                pluginId.get(), entry.id, name.get(), prototype.get(), entry.minParams,
                entry.maxParams, kFunctionFlags, entry.implementation, err);
        });
    }
}

void UnregisterScriptFunctions() noexcept {
    // Without a plug-in id the host could not match any registration; a
    // failed id creation is retried per function so one bad call does not
    // leave the rest registered.
    for (std::int16_t id = kFirstFunctionId; id <= kLastFunctionId; ++id) {
        try {
            const HostQuadChar pluginId = PluginId();
            CallHost([&](FMX_ErrorContainer* err) {
                return FM_ExprEnv_UnRegisterExternalFunction(pluginId.get(), id, err);
            });
        } catch (...) {
            // The host could not take this request; carry on with the next.
        }
    }
}
