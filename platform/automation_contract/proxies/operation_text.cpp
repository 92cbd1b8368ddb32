#include "operation_text.h"

#include <string>

namespace paginor::automation_proxies {

std::u16string Quoted(BSTR text) {
    return Quoted(text == nullptr ? std::u16string() : std::u16string(text, SysStringLen(text)));
}

std::u16string Quoted(const std::u16string& text) {
    return u"\"" + text + u"\"";
}

std::u16string Number(long long value) {
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

std::u16string PageAt(LONG index) {
    return u"page " + Number(static_cast<long long>(index) + 1);
}

std::u16string PagesFrom(LONG first, LONG last) {
    if (first == last) {
        return PageAt(first);
    }
    return u"pages " + Number(static_cast<long long>(first) + 1) + u" to " +
           Number(static_cast<long long>(last) + 1);
}

} // namespace paginor::automation_proxies
