// The framework's file dialog on top of the dialog requests.
#include "win/dialog_requests.h"
#include "win/dialogs.h"

namespace {

WideString TextOrEmpty(LPCWSTR text) {
    return text != nullptr ? text : OLESTR("");
}

} // namespace

CFileDialog::CFileDialog(BOOL openFileDialog, LPCWSTR defaultExtension, LPCWSTR fileName,
                         DWORD flags, LPCWSTR filter, HWND parent)
    : open_(openFileDialog != FALSE), defaultExtension_(TextOrEmpty(defaultExtension)),
      fileName_(TextOrEmpty(fileName)), flags_(flags), filter_(TextOrEmpty(filter)),
      parent_(parent) {}

INT_PTR CFileDialog::DoModal() {
    paginor::win::DialogRequest request;
    request.kind = open_ ? paginor::win::DialogKind::OpenFile : paginor::win::DialogKind::SaveFile;
    request.filter = filter_;
    request.initialFileName = fileName_;
    request.defaultExtension = defaultExtension_;
    request.flags = flags_;
    paginor::win::DialogAnswer answer;
    try {
        answer = paginor::win::RequestDialogAnswer(request);
        pathName_ = answer.value_or(WideString());
    } catch (...) {
        pathName_.clear(); // out of memory: nothing chosen
        return IDCANCEL;
    }
    return answer && !answer->empty() ? IDOK : IDCANCEL;
}

WideString CFileDialog::GetPathName() const {
    return pathName_;
}
