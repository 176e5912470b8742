#include "PropertyValue.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace zentrivo {
namespace {

// Numeric text is read as the platform does: leading and trailing blanks allowed, the rest of
// the text must be the number.
bool parseNumber(const std::string& text, double& out) {
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    const double d = std::strtod(begin, &end);
    if (end == begin)
        return false;
    while (*end == ' ' || *end == '\t' || *end == '\n')
        ++end;
    if (*end != '\0' || errno == ERANGE || !std::isfinite(d))
        return false;
    out = d;
    return true;
}

std::int64_t clampToInteger(double d) {
    if (std::isnan(d))
        return 0;
    constexpr double lo = static_cast<double>(std::numeric_limits<std::int64_t>::min());
    constexpr double hi = static_cast<double>(std::numeric_limits<std::int64_t>::max());
    if (d <= lo)
        return std::numeric_limits<std::int64_t>::min();
    if (d >= hi)
        return std::numeric_limits<std::int64_t>::max();
    return static_cast<std::int64_t>(d);
}

} // namespace

double readDouble(const PropertyValue* value) {
    if (!value)
        return 0;
    if (auto b = std::get_if<bool>(value))
        return *b ? 1 : 0;
    if (auto i = std::get_if<std::int64_t>(value))
        return static_cast<double>(*i);
    // NaN or an infinity is no usable setting: it would poison every comparison and every
    // conversion to an integer downstream, so it reads like unreadable text.
    if (auto f = std::get_if<float>(value))
        return std::isfinite(*f) ? *f : 0;
    if (auto d = std::get_if<double>(value))
        return std::isfinite(*d) ? *d : 0;
    if (auto s = std::get_if<std::string>(value)) {
        double d = 0;
        return parseNumber(*s, d) ? d : 0;
    }
    return 0;
}

std::int64_t readInteger(const PropertyValue* value) {
    if (auto i = value ? std::get_if<std::int64_t>(value) : nullptr)
        return *i;
    if (auto s = value ? std::get_if<std::string>(value) : nullptr) {
        // Whole-number text keeps its full 64-bit precision.
        const char* begin = s->c_str();
        char* end = nullptr;
        errno = 0;
        const long long n = std::strtoll(begin, &end, 10);
        if (end != begin && *end == '\0' && errno == 0)
            return n;
    }
    return clampToInteger(readDouble(value));
}

float readFloat(const PropertyValue* value) {
    // Narrowing a double beyond the float range is undefined behaviour; such a value is unusable.
    const double d = readDouble(value);
    return std::fabs(d) <= std::numeric_limits<float>::max() ? static_cast<float>(d) : 0.0f;
}

bool readBool(const PropertyValue* value) {
    if (auto s = value ? std::get_if<std::string>(value) : nullptr) {
        if (!s->empty()) {
            const char c = (*s)[0];
            if (c == 'Y' || c == 'y' || c == 'T' || c == 't')
                return true;
        }
    }
    return readDouble(value) != 0;
}

const std::string* readString(const PropertyValue* value) {
    return value ? std::get_if<std::string>(value) : nullptr;
}

const Date* readDate(const PropertyValue* value) {
    return value ? std::get_if<Date>(value) : nullptr;
}

} // namespace zentrivo
