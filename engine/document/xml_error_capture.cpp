#include "engine/document/xml_error_capture.h"

#include <libxml/globals.h>

namespace paginor::engine {

XmlErrorCapture::XmlErrorCapture()
    : previousStructured_(xmlStructuredError),
      previousStructuredContext_(xmlStructuredErrorContext), previousGeneric_(xmlGenericError),
      previousGenericContext_(xmlGenericErrorContext) {
    xmlSetStructuredErrorFunc(this, &XmlErrorCapture::structured);
    xmlSetGenericErrorFunc(this, &XmlErrorCapture::generic);
}

XmlErrorCapture::~XmlErrorCapture() {
    xmlSetStructuredErrorFunc(previousStructuredContext_, previousStructured_);
    xmlSetGenericErrorFunc(previousGenericContext_, previousGeneric_);
}

void XmlErrorCapture::structured(void* self, xmlErrorPtr error) {
    auto* capture = static_cast<XmlErrorCapture*>(self);
    if (capture->count_++ == 0 && error != nullptr && error->message != nullptr) {
        capture->first_ = error->message;
        while (!capture->first_.empty() && capture->first_.back() == '\n') {
            capture->first_.pop_back();
        }
    }
}

void XmlErrorCapture::generic(void* self, const char*, ...) {
    ++static_cast<XmlErrorCapture*>(self)->count_;
}

} // namespace paginor::engine
