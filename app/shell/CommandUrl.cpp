#include "CommandUrl.h"

#include <cctype>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <locale.h>
#include <stdlib.h>
#include <string>
#include <vector>

namespace zentrivo {
namespace {

struct QueryItem {
    std::string name;
    std::optional<std::string> value;
};

struct Components {
    std::string host;
    std::string path;
    std::vector<QueryItem> query;
};

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

/// Undoes percent escapes; the text was checked to hold well-formed escapes only.
std::string decode(std::string_view text) {
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%') {
            result += static_cast<char>(hexDigit(text[i + 1]) * 16 + hexDigit(text[i + 2]));
            i += 2;
        } else {
            result += text[i];
        }
    }
    return result;
}

/// A URL holds printable ASCII only, without the characters that must always be escaped, and
/// every '%' starts an escape of two hex digits.
bool wellFormed(std::string_view url) {
    for (std::size_t i = 0; i < url.size(); ++i) {
        const auto c = static_cast<unsigned char>(url[i]);
        if (c <= 0x20 || c >= 0x7f)
            return false;
        if (std::string_view("\"<>\\^`{|}").find(static_cast<char>(c)) != std::string_view::npos)
            return false;
        if (c == '%' &&
            (i + 2 >= url.size() || hexDigit(url[i + 1]) < 0 || hexDigit(url[i + 2]) < 0))
            return false;
    }
    return true;
}

std::optional<Components> components(std::string_view url) {
    if (!wellFormed(url))
        return std::nullopt;
    if (const auto hash = url.find('#'); hash != std::string_view::npos) {
        if (url.find('#', hash + 1) != std::string_view::npos)
            return std::nullopt;
        url = url.substr(0, hash);
    }
    std::string_view query;
    bool hasQuery = false;
    if (const auto mark = url.find('?'); mark != std::string_view::npos) {
        query = url.substr(mark + 1);
        url = url.substr(0, mark);
        hasQuery = true;
    }
    // The scheme: a letter, then letters, digits, '+', '-' or '.', up to the first ':' that
    // comes before any '/'.
    if (const auto colon = url.find(':');
        colon != std::string_view::npos && colon < url.find('/')) {
        const std::string_view scheme = url.substr(0, colon);
        if (scheme.empty() || !std::isalpha(static_cast<unsigned char>(scheme[0])))
            return std::nullopt;
        for (char c : scheme)
            if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.')
                return std::nullopt;
        url = url.substr(colon + 1);
    }
    Components result;
    if (url.starts_with("//")) {
        url = url.substr(2);
        const auto slash = url.find('/');
        std::string_view authority = url.substr(0, slash);
        url = slash == std::string_view::npos ? std::string_view() : url.substr(slash);
        if (const auto at = authority.rfind('@'); at != std::string_view::npos)
            authority = authority.substr(at + 1);
        if (const auto colon = authority.rfind(':');
            colon != std::string_view::npos && authority.find(']') == std::string_view::npos) {
            for (char c : authority.substr(colon + 1))
                if (!std::isdigit(static_cast<unsigned char>(c)))
                    return std::nullopt;
            authority = authority.substr(0, colon);
        }
        result.host = decode(authority);
    }
    result.path = decode(url);
    if (hasQuery && !query.empty()) {
        for (std::size_t start = 0;;) {
            const auto end = query.find('&', start);
            const std::string_view item = query.substr(start, end - start);
            const auto equals = item.find('=');
            if (equals == std::string_view::npos)
                result.query.push_back({decode(item), std::nullopt});
            else
                result.query.push_back(
                    {decode(item.substr(0, equals)), decode(item.substr(equals + 1))});
            if (end == std::string_view::npos)
                break;
            start = end + 1;
        }
    }
    return result;
}

/// The value of the first item named `name`: none when there is no such item or it has no
/// value.
std::optional<std::string> firstValue(const Components& url, std::string_view name) {
    for (const auto& item : url.query)
        if (item.name == name)
            return item.value;
    return std::nullopt;
}

} // namespace

std::optional<float> CommandUrl::parseFloat(std::string_view text) {
    if (text.empty() || std::isspace(static_cast<unsigned char>(text[0])))
        return std::nullopt;
    const std::string copy(text);
    // Read in the C locale: the program's own locale may use a decimal comma.
    static const locale_t cLocale = ::newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    char* end = nullptr;
    const float value = ::strtof_l(copy.c_str(), &end, cLocale);
    // An embedded NUL ends the reading early, which is not the whole text either.
    if (end != copy.c_str() + copy.size())
        return std::nullopt;
    // A distance of NaN or infinity is no distance: the reticle would never appear, or compare
    // false against every travelled distance.
    if (!std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<CommandUrl> CommandUrl::parse(std::string_view url) {
    const auto parsed = components(url);
    if (!parsed || !parsed->path.empty())
        return std::nullopt;
    CommandUrl command;
    if (parsed->host == "show") {
        command.command = Command::show;
        if (const auto text = firstValue(*parsed, "appearDist"))
            command.appearDist = parseFloat(*text);
        return command;
    }
    if (parsed->host == "close") {
        command.command = Command::close;
        command.executing = firstValue(*parsed, "executing") != std::optional<std::string>("false");
        return command;
    }
    return std::nullopt;
}

} // namespace zentrivo
