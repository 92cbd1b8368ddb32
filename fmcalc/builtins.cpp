#include "builtins.h"

#include "unicode_text.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace fmcalc {
namespace {

using Args = std::vector<Value>;

// Counts and positions arrive as numbers; fractions are dropped and huge
// values clamp instead of overflowing.
long long to_count(const Value& v) {
    const double n = std::trunc(v.as_number());
    constexpr double limit = static_cast<double>(std::numeric_limits<int>::max());
    return static_cast<long long>(std::clamp(n, -limit, limit));
}

std::u16string take(const std::u16string& text, long long start, long long count) {
    if (count <= 0 || start >= static_cast<long long>(text.size()))
        return {};
    return text.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(count));
}

// Values of a return-separated list; a trailing return ends the last value
// rather than starting an empty one.
std::vector<std::u16string> split_values(const std::u16string& list) {
    std::vector<std::u16string> values;
    std::u16string current;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const char16_t c = list[i];
        if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < list.size() && list[i + 1] == u'\n')
                ++i;
            values.push_back(std::move(current));
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty())
        values.push_back(std::move(current));
    return values;
}

Value length(const Args& a, std::size_t) {
    return Value::number(static_cast<double>(a[0].as_text().size()));
}

Value left(const Args& a, std::size_t) {
    return Value::text(take(a[0].as_text(), 0, to_count(a[1])));
}

Value right(const Args& a, std::size_t) {
    const std::u16string text = a[0].as_text();
    const long long n = std::min<long long>(to_count(a[1]), static_cast<long long>(text.size()));
    return Value::text(take(text, static_cast<long long>(text.size()) - n, n));
}

// A start before the first character counts as the first character.
Value middle(const Args& a, std::size_t) {
    const long long start = std::max<long long>(to_count(a[1]), 1);
    return Value::text(take(a[0].as_text(), start - 1, to_count(a[2])));
}

// Case-insensitive, 1-based. A negative occurrence searches backwards from
// start; 0 when not found.
Value position(const Args& a, std::size_t) {
    const std::u16string text = fold_case(a[0].as_text());
    const std::u16string search = fold_case(a[1].as_text());
    const long long occurrence = to_count(a[3]);
    const auto size = static_cast<long long>(text.size());
    const auto needle = static_cast<long long>(search.size());
    if (search.empty() || occurrence == 0 || needle > size)
        return Value::number(0);
    long long start = std::max<long long>(to_count(a[2]), 1) - 1;
    long long found = 0;
    if (occurrence > 0) {
        for (long long i = start; i + needle <= size; ++i) {
            if (text.compare(static_cast<std::size_t>(i), search.size(), search) == 0 &&
                ++found == occurrence)
                return Value::number(static_cast<double>(i + 1));
        }
    } else {
        for (long long i = std::min(start, size - needle); i >= 0; --i) {
            if (text.compare(static_cast<std::size_t>(i), search.size(), search) == 0 &&
                ++found == -occurrence)
                return Value::number(static_cast<double>(i + 1));
        }
    }
    return Value::number(0);
}

Value pattern_count(const Args& a, std::size_t) {
    const std::u16string text = fold_case(a[0].as_text());
    const std::u16string search = fold_case(a[1].as_text());
    if (search.empty())
        return Value::number(0);
    double count = 0;
    for (auto at = text.find(search); at != std::u16string::npos; at = text.find(search, at + 1))
        ++count;
    return Value::number(count);
}

// Spaces only: tabs and returns are content.
Value trim(const Args& a, std::size_t) {
    const std::u16string text = a[0].as_text();
    const auto first = text.find_first_not_of(u' ');
    if (first == std::u16string::npos)
        return Value::text({});
    const auto last = text.find_last_not_of(u' ');
    return Value::text(text.substr(first, last - first + 1));
}

Value upper(const Args& a, std::size_t) {
    return Value::text(to_upper(a[0].as_text()));
}
Value lower(const Args& a, std::size_t) {
    return Value::text(to_lower(a[0].as_text()));
}

// Code points packed five decimal digits each, the first character in the
// lowest digits: Code("ab") is 9800097 and Char(9800097) is "ab".
constexpr double code_group = 100000.0;

Value code(const Args& a, std::size_t) {
    const std::u32string points = utf16_to_utf32(a[0].as_text());
    double result = 0;
    double scale = 1;
    for (char32_t cp : points) {
        result += static_cast<double>(cp) * scale;
        scale *= code_group;
    }
    return Value::number(result);
}

Value character(const Args& a, std::size_t) {
    double n = std::trunc(a[0].as_number());
    std::u32string points;
    while (n >= 1 && points.size() < 64) {
        const double group = std::fmod(n, code_group);
        if (group > 0)
            points += static_cast<char32_t>(group);
        n = std::trunc(n / code_group);
    }
    return Value::text(utf32_to_utf16(points));
}

Value list(const Args& a, std::size_t) {
    std::u16string out;
    for (const Value& v : a) {
        const std::u16string text = v.as_text();
        if (text.empty())
            continue;
        if (!out.empty())
            out += u'\r';
        out += text;
    }
    return Value::text(out);
}

Value get_value(const Args& a, std::size_t) {
    const auto values = split_values(a[0].as_text());
    const long long n = to_count(a[1]);
    if (n < 1 || n > static_cast<long long>(values.size()))
        return Value::text({});
    return Value::text(values[static_cast<std::size_t>(n - 1)]);
}

Value value_count(const Args& a, std::size_t) {
    return Value::number(static_cast<double>(split_values(a[0].as_text()).size()));
}

Value get_as_text(const Args& a, std::size_t) {
    return Value::text(a[0].as_text());
}

Value get_as_number(const Args& a, std::size_t) {
    const auto n = a[0].as_optional_number();
    return n ? Value::number(*n) : Value::text({});
}

Value is_empty(const Args& a, std::size_t) {
    return Value::boolean(a[0].as_text().empty());
}

Value exact(const Args& a, std::size_t) {
    return Value::boolean(a[0].as_text() == a[1].as_text());
}

Value absolute(const Args& a, std::size_t) {
    return Value::number(std::fabs(a[0].as_number()));
}

Value integer(const Args& a, std::size_t) {
    return Value::number(std::trunc(a[0].as_number()));
}

// Half away from zero, to the given number of decimals.
Value round(const Args& a, std::size_t) {
    const double places = std::clamp(std::trunc(a[1].as_number()), -15.0, 15.0);
    const double scale = std::pow(10.0, places);
    return Value::number(std::round(a[0].as_number() * scale) / scale);
}

// The result takes the divisor's sign.
Value modulo(const Args& a, std::size_t position) {
    const double n = a[0].as_number();
    const double d = a[1].as_number();
    if (d == 0)
        throw EvaluationError("division by zero", position);
    return Value::number(n - d * std::floor(n / d));
}

// Names are compared folded, so the table holds them in lower case.
constexpr std::array builtins{
    Builtin{u"abs", 1, 1, absolute},
    Builtin{u"char", 1, 1, character},
    Builtin{u"code", 1, 1, code},
    Builtin{u"exact", 2, 2, exact},
    Builtin{u"getastext", 1, 1, get_as_text},
    Builtin{u"getasnumber", 1, 1, get_as_number},
    Builtin{u"getvalue", 2, 2, get_value},
    Builtin{u"int", 1, 1, integer},
    Builtin{u"isempty", 1, 1, is_empty},
    Builtin{u"left", 2, 2, left},
    Builtin{u"length", 1, 1, length},
    Builtin{u"list", 1, -1, list},
    Builtin{u"lower", 1, 1, lower},
    Builtin{u"middle", 3, 3, middle},
    Builtin{u"mod", 2, 2, modulo},
    Builtin{u"patterncount", 2, 2, pattern_count},
    Builtin{u"position", 4, 4, position},
    Builtin{u"right", 2, 2, right},
    Builtin{u"round", 2, 2, round},
    Builtin{u"trim", 1, 1, trim},
    Builtin{u"upper", 1, 1, upper},
    Builtin{u"valuecount", 1, 1, value_count},
};

} // namespace

const Builtin* find_builtin(std::u16string_view name) {
    const std::u16string key = fold_case(name);
    for (const Builtin& b : builtins) {
        if (b.name == key)
            return &b;
    }
    return nullptr;
}

void check_text_length(std::size_t length, std::size_t limit, std::size_t position) {
    if (length > limit)
        throw EvaluationError("text longer than " + std::to_string(limit) + " code units",
                              position);
}

std::u16string substitute(std::u16string text,
                          const std::vector<std::pair<std::u16string, std::u16string>>& pairs,
                          std::size_t length_limit, std::size_t position) {
    for (const auto& [search, replacement] : pairs) {
        if (search.empty())
            continue;
        std::u16string out;
        std::size_t from = 0;
        for (auto at = text.find(search); at != std::u16string::npos;
             at = text.find(search, from)) {
            check_text_length(out.size() + (at - from) + replacement.size(), length_limit,
                              position);
            out.append(text, from, at - from);
            out += replacement;
            from = at + search.size();
        }
        check_text_length(out.size() + (text.size() - from), length_limit, position);
        out.append(text, from, std::u16string::npos);
        text = std::move(out);
    }
    return text;
}

} // namespace fmcalc
