// The application ("AcroExch.App") across processes.
#include "contract_marshallers.h"

#include "com/remoting/standard_marshaller.h"
#include "automation_contract/automation_interfaces.h"

namespace paginor::automation_proxies {

namespace {

using namespace remoting;

using ApplicationMethods = MethodList<&IAutomationApp::EndApplication, &IAutomationApp::Hide,
                                      &IAutomationApp::Show, &IAutomationApp::CloseAllDocuments>;

class ApplicationProxy final : public InterfaceProxy<IAutomationApp> {
public:
    using InterfaceProxy::InterfaceProxy;

    HRESULT STDMETHODCALLTYPE EndApplication(VARIANT_BOOL* result) override {
        return Forward<ApplicationMethods, &IAutomationApp::EndApplication>(
            [] { return u"closing the PDF application"; }, result);
    }
    HRESULT STDMETHODCALLTYPE Hide(VARIANT_BOOL* result) override {
        return Forward<ApplicationMethods, &IAutomationApp::Hide>(
            [] { return u"hiding the PDF application"; }, result);
    }
    HRESULT STDMETHODCALLTYPE Show(VARIANT_BOOL* result) override {
        return Forward<ApplicationMethods, &IAutomationApp::Show>(
            [] { return u"showing the PDF application"; }, result);
    }
    HRESULT STDMETHODCALLTYPE CloseAllDocuments(VARIANT_BOOL* result) override {
        return Forward<ApplicationMethods, &IAutomationApp::CloseAllDocuments>(
            [] { return u"closing the PDF application's documents"; }, result);
    }
};

} // namespace

const InterfaceMarshaller& ApplicationMarshaller() {
    static const StandardMarshaller<IAutomationApp, ApplicationProxy, ApplicationMethods>
        marshaller(IID_IAutomationApp, "IAutomationApp",
                   {"EndApplication", "Hide", "Show", "CloseAllDocuments"});
    return marshaller;
}

} // namespace paginor::automation_proxies
