// libxml2's own reports (it prints them on standard error by default) go to
// the engine while an XmlErrorCapture lives, and the previous handlers come
// back afterwards.
#include "engine/document/xml_error_capture.h"

#include <gtest/gtest.h>
#include <libxml/globals.h>
#include <libxml/xmlsave.h>

namespace {

using paginor::engine::XmlErrorCapture;

// A libxml2 call that reports through its error handlers, with no parser
// context to silence it.
void provokeAnOutputError() {
    xmlBufferPtr buffer = xmlBufferCreate();
    xmlSaveCtxtPtr context = xmlSaveToBuffer(buffer, "no-such-encoding", 0);
    if (context != nullptr) {
        xmlSaveClose(context);
    }
    xmlBufferFree(buffer);
}

TEST(XmlErrorCapture, KeepsLibxmlsReportsOffStandardErrorAndRestoresTheHandlers) {
    const xmlStructuredErrorFunc before = xmlStructuredError;
    testing::internal::CaptureStderr();
    {
        const XmlErrorCapture capture;
        provokeAnOutputError();
        EXPECT_EQ(capture.errorCount(), 1);
        EXPECT_EQ(capture.firstMessage(), "unknown encoding no-such-encoding");
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(xmlStructuredError, before);
}

} // namespace
