#include "remote_test_support.h"

#include "com/remoting/client_connection.h"
#include "com/remoting/remote_object.h"
#include "text_encoding/utf_conversion.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <thread>

namespace remote_test {

std::string RegistryFor(Serving serving) {
    return serving == Serving::InProcess ? WIDGET_INPROC_REGISTRY : WIDGET_LOCAL_REGISTRY;
}

const char* NameOf(Serving serving) {
    return serving == Serving::InProcess ? "InProcess" : "LocalServer";
}

ComPtr<ITestWidget> CreateWidget() {
    CLSID clsid{};
    EXPECT_EQ(CLSIDFromProgID(u"Test.Widget", &clsid), S_OK);
    ComPtr<ITestWidget> widget;
    EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_ITestWidget, widget.put_void()),
              S_OK);
    return widget;
}

std::string ErrorDescription() {
    ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.put()) != S_OK || !info) {
        return "";
    }
    BstrHolder description;
    info->GetDescription(description.put());
    return Utf8(description.view());
}

std::string Utf8(std::u16string_view text) {
    return paginor::Utf16ToUtf8(text);
}

pid_t ServerPidOf(ITestWidget* widget) {
    LONG live = 0;
    LONG pid = 0;
    EXPECT_EQ(widget->Census(&live, &pid), S_OK);
    return static_cast<pid_t>(pid);
}

std::uint64_t RoundTripsOf(IUnknown* object) {
    const paginor::remoting::RemoteObject* remote = paginor::remoting::RemoteObject::Behind(object);
    return remote == nullptr ? 0 : remote->Connection().Statistics().roundTrips;
}

namespace {

bool Ended(pid_t pid) {
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) == pid) {
        return true;
    }
    if (::kill(pid, 0) != 0) {
        return true;
    }
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string field;
    for (int i = 0; i < 3 && (stat >> field); ++i) {
    }
    return field == "Z" || field == "X";
}

} // namespace

bool EndsWithin(pid_t pid, std::chrono::milliseconds limit) {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (!Ended(pid)) {
        if (std::chrono::steady_clock::now() >= until) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

} // namespace remote_test
