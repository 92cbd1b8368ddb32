// The core's errors as the automation interfaces report them: the status
// each kind answers, the errno mapping of I/O failures, and the description
// passed on word for word.
#include "engine_test_support.h"

#include "engine/automation/error_status.h"
#include "engine/automation/guarded_call.h"
#include "engine/document/engine_document.h"
#include "engine/errors/engine_error.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace engine_test {
namespace {

using namespace paginor::engine;

struct KindCase {
    ErrorKind kind;
    int systemError;
    HRESULT expected;
};

TEST(ErrorStatus, EachKindAnswersItsStatus) {
    const KindCase cases[] = {
        {ErrorKind::InvalidArgument, 0, E_INVALIDARG},
        {ErrorKind::NotFound, 0, DISP_E_BADINDEX},
        {ErrorKind::Unsupported, 0, E_NOTIMPL},
        {ErrorKind::Refused, 0, E_ACCESSDENIED},
        {ErrorKind::Internal, 0, E_FAIL},
        {ErrorKind::IoFailure, ENOSPC, HRESULT_FROM_WIN32(112)},
        {ErrorKind::IoFailure, EDQUOT, HRESULT_FROM_WIN32(112)},
        {ErrorKind::IoFailure, EROFS, HRESULT_FROM_WIN32(19)},
        {ErrorKind::IoFailure, ENOENT, HRESULT_FROM_WIN32(3)},
        {ErrorKind::IoFailure, ENOTDIR, HRESULT_FROM_WIN32(3)},
        {ErrorKind::IoFailure, ENAMETOOLONG, HRESULT_FROM_WIN32(206)},
        {ErrorKind::IoFailure, EACCES, E_ACCESSDENIED},
        {ErrorKind::IoFailure, EPERM, E_ACCESSDENIED},
        {ErrorKind::IoFailure, EISDIR, E_ACCESSDENIED},
        {ErrorKind::IoFailure, ENOMEM, E_OUTOFMEMORY},
        {ErrorKind::IoFailure, EIO, E_FAIL},
    };
    for (const KindCase& c : cases) {
        EXPECT_EQ(statusForError(EngineError(c.kind, "x", c.systemError)), c.expected)
            << static_cast<int>(c.kind) << " errno " << c.systemError;
    }
}

TEST(ErrorStatus, GuardedCallReportsTheStatusAndTheDescriptionAsThrown) {
    const std::string description = "Cannot write /tmp/x.pdf: No space left on device";
    const HRESULT status =
        guardedCall(IID_IPDDocument, [&]() -> HRESULT { failIo(ENOSPC, description); });
    EXPECT_EQ(status, HRESULT_FROM_WIN32(112));
    EXPECT_EQ(lastErrorDescription(), description);
}

TEST(ErrorStatus, ALoadErrorIsAnEngineErrorOfItsKind) {
    const HRESULT status = guardedCall(IID_IPDDocument, []() -> HRESULT {
        throw DocumentLoadError(ErrorKind::Unsupported, "Cannot open x as a PDF");
    });
    EXPECT_EQ(status, E_NOTIMPL);
    EXPECT_EQ(lastErrorDescription(), "Cannot open x as a PDF");
}

} // namespace
} // namespace engine_test
