#include "host/string_table.h"

#include "host/plugin_module.h"
#include "win/string_resources.h"

#include <array>
#include <iterator>

namespace {

constexpr std::array<StringResource, 27> kStrings{{
    {kOptionsStringId, u"QELT1nnYnnn"},
    {kNameStringId, u"Paginor"},
    {kDescriptionStringId, u"This plug-in enables you to populate and/or extract\n"
                           u"data from a PDF file with embedded form fields."},
    {150, u"QELT_Version( type )"},
    {152, u"QELT_OpenPDF( FullPath )"},
    {153, u"QELT_SetPDFFieldValue( FieldName ; FieldValue )"},
    {154, u"QELT_GetPDFFieldValue( FieldName )"},
    {155, u"QELT_ClosePDF"},
    {156, u"QELT_PrintPDF"},
    {157, u"QELT_GetPDFInfo( Field )"},
    {158, u"QELT_AppendPDF( FilePaths )"},
    {159, u"QELT_DeletePDF( FullPath )"},
    {160, u"QELT_GetNumPages"},
    {161, u"QELT_GetTextLengthFromPage( PageNumber )"},
    {162, u"QELT_GetTextFromPage( PageNumber )"},
    {163, u"QELT_SaveAsPDF( FullPath )"},
    {164, u"QELT_GetLastError( type )"},
    {165, u"QELT_SetPDFInfo( Field ; Value )"},
    {166, u"QELT_SavePDF"},
    {170, u"QELT_GetFieldNames( includeValues )"},
    {171, u"QELT_DeletePages( StartPage ; EndPage )"},
    {172, u"QELT_CloseAcrobat"},
    {173, u"QELT_ShowAcrobat"},
    {174, u"QELT_HideAcrobat"},
    {175, u"QELT_FileBrowse"},
    {176, u"QELT_FolderBrowse"},
    {177, u"QELT_InsertPages( AfterPage ;  SrcPath ; StartPage ; NumPages ; inclBookMarks )"},
}};

// Lives from library load to unload, like a resource section.
struct StringTableRegistration {
    StringTableRegistration() { RegisterPluginStringTable(); }
    ~StringTableRegistration() { UnregisterStringTable(PluginInstanceHandle()); }
};

const StringTableRegistration g_registration;

} // namespace

void RegisterPluginStringTable() {
    RegisterStringTable(PluginInstanceHandle(), kStrings.data(), kStrings.size());
}
