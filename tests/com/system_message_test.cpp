#include "com/com.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <thread>

namespace {

constexpr DWORD kSystemFlags =
    FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;

TEST(SystemMessage, AllocatedMessageIsTheSystemDescription) {
    struct Case {
        DWORD code;
        std::u16string_view text;
    };
    for (const Case& c : {Case{ENOENT, u"No such file or directory"},
                          Case{EACCES, u"Permission denied"}, Case{0, u"Success"}}) {
        LPWSTR message = nullptr;
        const DWORD length = FormatMessageW(kSystemFlags, nullptr, c.code, 0x400,
                                            reinterpret_cast<LPWSTR>(&message), 0, nullptr);
        ASSERT_NE(message, nullptr);
        EXPECT_EQ(std::u16string_view(message), c.text);
        EXPECT_EQ(length, c.text.size());
        EXPECT_EQ(LocalFree(message), nullptr);
    }
}

TEST(SystemMessage, CallerBufferMustHoldTheText) {
    WCHAR buffer[64];
    EXPECT_EQ(FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ENOENT, 0, buffer, 64, nullptr),
              25u);
    EXPECT_EQ(std::u16string_view(buffer), u"No such file or directory");
    EXPECT_EQ(FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ENOENT, 0, buffer, 25, nullptr),
              0u);
}

TEST(SystemMessage, UnknownCodeOrMissingSourceFails) {
    LPWSTR message = nullptr;
    EXPECT_EQ(FormatMessageW(kSystemFlags, nullptr, 0x80004005u, 0x400,
                             reinterpret_cast<LPWSTR>(&message), 0, nullptr),
              0u);
    EXPECT_EQ(message, nullptr);
    EXPECT_NE(GetLastError(), 0u);
    EXPECT_EQ(FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr, ENOENT, 0,
                             reinterpret_cast<LPWSTR>(&message), 0, nullptr),
              0u);
}

TEST(LastError, IsPerThread) {
    SetLastError(ENOENT);
    DWORD seenByOther = 1;
    std::thread([&] { seenByOther = GetLastError(); }).join();
    EXPECT_EQ(seenByOther, 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ENOENT));
}

} // namespace
