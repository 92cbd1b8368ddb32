// libxml2 reports errors through handlers that print to standard error by
// default, which inside the host is the user's terminal or log. While one of
// these lives, libxml2's errors on this thread come here instead (the first
// message is kept for whoever wants to say why a packet did not parse).
#pragma once

#include <libxml/xmlerror.h>

#include <string>

namespace paginor::engine {

class XmlErrorCapture {
public:
    XmlErrorCapture();
    ~XmlErrorCapture();
    XmlErrorCapture(const XmlErrorCapture&) = delete;
    XmlErrorCapture& operator=(const XmlErrorCapture&) = delete;

    int errorCount() const { return count_; }
    const std::string& firstMessage() const { return first_; }

private:
    static void structured(void* self, xmlErrorPtr error);
    static void generic(void* self, const char* format, ...);

    xmlStructuredErrorFunc previousStructured_;
    void* previousStructuredContext_;
    xmlGenericErrorFunc previousGeneric_;
    void* previousGenericContext_;
    int count_ = 0;
    std::string first_;
};

} // namespace paginor::engine
