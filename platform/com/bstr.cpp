// BSTR allocation. Layout: a 32-bit byte length, the characters, then a NUL
// character; the BSTR points at the first character. Callers may hand a BSTR
// to code that reads the prefix, so the layout is part of the contract.
#include "com/com.h"

#include <cstdint>
#include <cstdlib>
#include <limits>

namespace {

constexpr std::size_t kPrefixBytes = sizeof(std::uint32_t);

std::uint32_t* PrefixOf(BSTR text) {
    return reinterpret_cast<std::uint32_t*>(reinterpret_cast<unsigned char*>(text) - kPrefixBytes);
}

} // namespace

extern "C" {

BSTR SysAllocStringLen(const OLECHAR* text, UINT length) {
    // The byte length must fit the 32-bit prefix.
    if (length > (std::numeric_limits<std::uint32_t>::max() - kPrefixBytes) / sizeof(OLECHAR) - 1) {
        return nullptr;
    }
    const std::size_t bytes = static_cast<std::size_t>(length) * sizeof(OLECHAR);
    auto* block = static_cast<unsigned char*>(std::malloc(kPrefixBytes + bytes + sizeof(OLECHAR)));
    if (block == nullptr) {
        return nullptr;
    }
    const auto prefix = static_cast<std::uint32_t>(bytes);
    std::memcpy(block, &prefix, kPrefixBytes);
    auto* characters = reinterpret_cast<OLECHAR*>(block + kPrefixBytes);
    if (text != nullptr) {
        std::memcpy(characters, text, bytes);
    } else {
        // The platform leaves the characters uninitialised; zeros are kinder.
        std::memset(characters, 0, bytes);
    }
    characters[length] = u'\0';
    return characters;
}

BSTR SysAllocString(const OLECHAR* text) {
    if (text == nullptr) {
        return nullptr;
    }
    UINT length = 0;
    while (text[length] != u'\0') {
        ++length;
    }
    return SysAllocStringLen(text, length);
}

void SysFreeString(BSTR text) {
    if (text != nullptr) {
        std::free(PrefixOf(text));
    }
}

UINT SysStringLen(BSTR text) {
    if (text == nullptr) {
        return 0;
    }
    std::uint32_t bytes = 0;
    std::memcpy(&bytes, PrefixOf(text), kPrefixBytes);
    return bytes / sizeof(OLECHAR);
}

} // extern "C"
