#include "Zentrivoctl.h"

#include "CloudExport.h"
#include "app/shell/CommandUrl.h"

#include "app/model/ReticleSpecModel.h"
#include "app/settings/Defaults.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ostream>
#include <variant>

namespace zentrivo {
namespace {

constexpr const char* usage = R"(Usage: zentrivoctl COMMAND [ARGUMENTS]

Reads and changes the settings of Zentrivo in its defaults database,
$XDG_CONFIG_HOME/zentrivo/defaults.sqlite3 (~/.config/zentrivo/defaults.sqlite3
when XDG_CONFIG_HOME is not set), and opens and closes the reticle of a running
Zentrivo. A running Zentrivo is told of every change made here and applies it at
once.

Commands:
  defaults read             Print every stored key as "key = value", sorted by key.
  defaults read KEY         Print the value stored under KEY alone.
  defaults write KEY TYPE VALUE
                            Store VALUE under KEY as TYPE, one of:
                              -int N      a whole number, such as 800 or -3
                              -float F    a decimal number, such as 5, 2.5 or 1e3
                              -bool B     true, false, yes, no, 1 or 0
                              -string S   text, stored exactly as given
                              -date D     an ISO 8601 date and time with Z or an
                                          offset, such as 2024-05-01T12:00:00Z or
                                          2024-05-01T14:00:00.5+02:00
  defaults delete KEY       Remove KEY.
  panels                    Print the near panel and then the far panel as Zentrivo
                            loads them (the stored panel, or the default when none
                            is stored or the stored one cannot be read), one JSON
                            line each.
  cloud export              Write this machine's configuration (the near panel,
                            safeAreaSize and iCloudSync) to the file "config" of the
                            cloud folder, for the other machines that share it. The
                            folder is cloudFolder, else $XDG_DATA_HOME/zentrivo/cloud.
  show [--appear-dist N]    Open the reticle of the running Zentrivo at the cursor,
                            as the trackpad gesture does; with N, only once the
                            cursor has moved N pixels. The same as opening the URL
                            zentrivo://show?appearDist=N.
  close [--no-execute]      Close the reticle and run the selected slot; with
                            --no-execute, run nothing (zentrivo://close and
                            zentrivo://close?executing=false).
  --help                    Print this help.

Values print as: integers in decimal, floats in their shortest exact form, bools
as 1 or 0, strings as they are but with line breaks and other control characters
escaped (\n, \r, \t, \xHH) so that each value is one line, dates in ISO 8601
UTC ("2024-05-01T12:00:00Z"), data as hex bytes in angle brackets ("<0a1b>").

Writing a key that is no setting of Zentrivo, or with a type other than the
setting's, warns on standard error and writes all the same.

Exit status: 0 when done; 1 when KEY is not stored, the database could not be
changed, or (show, close) Zentrivo is not running; 2 when the command line is not understood, in which case nothing is
written.
)";

struct ReadAll {};
struct ReadOne {
    std::string key;
};
struct Write {
    std::string key;
    PropertyValue value;
};
struct Delete {
    std::string key;
};
struct Panels {};
struct Help {};
struct CloudExport {};
/// show or close: the command URL for the running program.
struct OpenURL {
    std::string url;
};
using Command = std::variant<ReadAll, ReadOne, Write, Delete, Panels, Help, CloudExport, OpenURL>;

/// A command line that cannot be run; `message` names the problem.
struct BadInput {
    std::string message;
};

bool isHelp(const std::string& arg) {
    return arg == "--help" || arg == "-h" || arg == "help";
}

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

/// The whole text must be the number; one leading "+" is allowed.
template <typename Number> std::optional<Number> parseNumber(std::string_view text, bool& range) {
    range = false;
    if (text.size() > 1 && text[0] == '+' && text[1] != '-')
        text.remove_prefix(1);
    Number n{};
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (ec == std::errc::result_out_of_range) {
        range = true;
        return std::nullopt;
    }
    if (ec != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return n;
}

std::variant<PropertyValue, BadInput> parseValue(const std::string& type, const std::string& text) {
    const std::string quoted = "'" + text + "'";
    bool range = false;
    if (type == "-int") {
        if (auto n = parseNumber<std::int64_t>(text, range))
            return PropertyValue{*n};
        return BadInput{quoted + (range ? " is out of the range of a 64-bit integer"
                                        : " is not a whole number")};
    }
    if (type == "-float") {
        const auto f = parseNumber<float>(text, range);
        if (f && std::isfinite(*f))
            return PropertyValue{*f};
        if (range)
            return BadInput{quoted + " is out of the range of a float"};
        return BadInput{quoted + (f ? " is not a finite number" : " is not a number")};
    }
    if (type == "-bool") {
        const std::string word = lower(text);
        if (word == "true" || word == "yes" || word == "1")
            return PropertyValue{true};
        if (word == "false" || word == "no" || word == "0")
            return PropertyValue{false};
        return BadInput{quoted + " is not a bool (true, false, yes, no, 1 or 0)"};
    }
    if (type == "-string")
        return PropertyValue{text};
    if (type == "-date") {
        if (auto date = parseIsoDate(text))
            return PropertyValue{*date};
        return BadInput{quoted + " is not an ISO 8601 date and time such as 2024-05-01T12:00:00Z"};
    }
    return BadInput{"unknown type option '" + type +
                    "' (use -int, -float, -bool, -string or -date)"};
}

/// Checks a key argument; keys never start with "-", so such an argument is a misplaced option.
std::optional<BadInput> checkKey(const std::vector<std::string>& args, std::size_t index,
                                 const char* command) {
    if (index >= args.size())
        return BadInput{std::string(command) + ": missing key"};
    const std::string& key = args[index];
    if (key.empty())
        return BadInput{std::string(command) + ": the key is empty"};
    if (key[0] == '-')
        return BadInput{std::string(command) + ": missing key before '" + key + "'"};
    return std::nullopt;
}

std::optional<BadInput> checkNoMore(const std::vector<std::string>& args, std::size_t count) {
    if (args.size() > count)
        return BadInput{"unexpected argument '" + args[count] + "'"};
    return std::nullopt;
}

std::variant<Command, BadInput> parseDefaults(const std::vector<std::string>& args) {
    if (args.size() < 2)
        return BadInput{"defaults: missing subcommand (read, write or delete)"};
    const std::string& sub = args[1];
    // Keys never start with "-", so help asked for in the key's place is no key.
    if (isHelp(sub) || (args.size() > 2 && isHelp(args[2]) && args[2][0] == '-'))
        return Command{Help{}};
    if (sub == "read") {
        if (args.size() == 2)
            return Command{ReadAll{}};
        if (auto bad = checkKey(args, 2, "defaults read"))
            return *bad;
        if (auto bad = checkNoMore(args, 3))
            return *bad;
        return Command{ReadOne{args[2]}};
    }
    if (sub == "delete") {
        if (auto bad = checkKey(args, 2, "defaults delete"))
            return *bad;
        if (auto bad = checkNoMore(args, 3))
            return *bad;
        return Command{Delete{args[2]}};
    }
    if (sub == "write") {
        if (auto bad = checkKey(args, 2, "defaults write"))
            return *bad;
        if (args.size() < 4)
            return BadInput{"defaults write: missing type for '" + args[2] +
                            "' (-int, -float, -bool, -string or -date)"};
        const std::string& type = args[3];
        if (args.size() < 5) {
            // Name an unknown option before complaining about its missing value.
            auto parsed = parseValue(type, "");
            if (auto bad = std::get_if<BadInput>(&parsed);
                bad && bad->message.starts_with("unknown"))
                return BadInput{"defaults write: " + bad->message};
            return BadInput{"defaults write: missing value after " + type};
        }
        if (auto bad = checkNoMore(args, 5))
            return *bad;
        auto parsed = parseValue(type, args[4]);
        if (auto bad = std::get_if<BadInput>(&parsed))
            return BadInput{"defaults write: " + bad->message};
        return Command{Write{args[2], std::get<PropertyValue>(std::move(parsed))}};
    }
    return BadInput{"defaults: unknown subcommand '" + sub + "' (use read, write or delete)"};
}

std::variant<Command, BadInput> parse(const std::vector<std::string>& args) {
    if (args.empty())
        return BadInput{"missing command (defaults, panels, show or close)"};
    const std::string& command = args[0];
    if (isHelp(command))
        return Command{Help{}};
    if (command == "defaults")
        return parseDefaults(args);
    if (command == "panels") {
        if (args.size() > 1 && isHelp(args[1]))
            return Command{Help{}};
        if (auto bad = checkNoMore(args, 1))
            return *bad;
        return Command{Panels{}};
    }
    if (command == "cloud") {
        if (args.size() > 1 && isHelp(args[1]))
            return Command{Help{}};
        if (args.size() < 2 || args[1] != "export")
            return BadInput{"cloud: missing or unknown subcommand (use export)"};
        if (auto bad = checkNoMore(args, 2))
            return *bad;
        return Command{CloudExport{}};
    }
    if (command == "show" || command == "close") {
        if (args.size() > 1 && isHelp(args[1]))
            return Command{Help{}};
        if (command == "close") {
            if (args.size() > 1 && args[1] != "--no-execute")
                return BadInput{"close: unknown argument '" + args[1] + "' (use --no-execute)"};
            if (auto bad = checkNoMore(args, 2))
                return *bad;
            return Command{OpenURL{args.size() > 1 ? "zentrivo://close?executing=false"
                                                   : "zentrivo://close"}};
        }
        if (args.size() == 1)
            return Command{OpenURL{"zentrivo://show"}};
        std::string distance;
        std::size_t used = 2;
        if (args[1].starts_with("--appear-dist=")) {
            distance = args[1].substr(std::string_view("--appear-dist=").size());
        } else if (args[1] == "--appear-dist") {
            if (args.size() < 3)
                return BadInput{"show: missing distance after --appear-dist"};
            distance = args[2];
            used = 3;
        } else {
            return BadInput{"show: unknown argument '" + args[1] + "' (use --appear-dist N)"};
        }
        if (auto bad = checkNoMore(args, used))
            return *bad;
        // Only what the running program reads as a distance, so nothing passes on unread.
        if (!CommandUrl::parseFloat(distance))
            return BadInput{"show: '" + distance + "' is not a distance in pixels, such as 40"};
        return Command{OpenURL{"zentrivo://show?appearDist=" + distance}};
    }
    if (command.starts_with("-"))
        return BadInput{"unknown option '" + command + "'"};
    return BadInput{"unknown command '" + command + "' (use defaults, panels, show or close)"};
}

template <typename Number> std::string shortest(Number n) {
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, n);
    return std::string(text, result.ptr);
}

std::string formatDate(const Date& date) {
    using namespace std::chrono;
    const double seconds = date.time_since_epoch().count();
    // Years 0000 to 9999, the ones ISO 8601 writes without extra digits.
    constexpr double earliest = -62167219200.0;
    constexpr double latest = 253402300800.0;
    if (!std::isfinite(seconds) || seconds < earliest || seconds >= latest)
        return shortest(seconds) + " (seconds since 1970-01-01T00:00:00Z)";
    // Whole microseconds: as fine as a double keeps present-day times.
    const sys_time<microseconds> time{microseconds{std::llround(seconds * 1e6)}};
    const auto day = floor<days>(time);
    const year_month_day ymd{day};
    const hh_mm_ss clock{time - day};
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02d", static_cast<int>(ymd.year()),
                  static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()),
                  static_cast<int>(clock.hours().count()),
                  static_cast<int>(clock.minutes().count()),
                  static_cast<int>(clock.seconds().count()));
    std::string result = text;
    if (const auto micros = clock.subseconds().count(); micros != 0) {
        std::snprintf(text, sizeof text, ".%06lld", static_cast<long long>(micros));
        std::string fraction = text;
        fraction.erase(fraction.find_last_not_of('0') + 1);
        result += fraction;
    }
    return result + "Z";
}

/// Reads exactly `count` decimal digits at `pos`.
std::optional<int> digits(std::string_view text, std::size_t pos, std::size_t count) {
    if (pos + count > text.size())
        return std::nullopt;
    int value = 0;
    for (std::size_t i = pos; i < pos + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

} // namespace

std::optional<Date> parseIsoDate(std::string_view text) {
    using namespace std::chrono;
    // YYYY-MM-DDTHH:MM:SS
    const auto y = digits(text, 0, 4), mo = digits(text, 5, 2), d = digits(text, 8, 2);
    const auto h = digits(text, 11, 2), mi = digits(text, 14, 2), s = digits(text, 17, 2);
    if (!y || !mo || !d || !h || !mi || !s || text[4] != '-' || text[7] != '-' ||
        (text[10] != 'T' && text[10] != 't') || text[13] != ':' || text[16] != ':')
        return std::nullopt;
    const year_month_day ymd{year{*y}, month{static_cast<unsigned>(*mo)},
                             day{static_cast<unsigned>(*d)}};
    if (!ymd.ok() || *h > 23 || *mi > 59 || *s > 59)
        return std::nullopt;

    std::size_t pos = 19;
    double fraction = 0;
    if (pos < text.size() && (text[pos] == '.' || text[pos] == ',')) {
        const std::size_t start = ++pos;
        double scale = 0.1;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
            fraction += (text[pos] - '0') * scale;
            scale /= 10;
            ++pos;
        }
        if (pos == start || pos - start > 9)
            return std::nullopt;
    }

    int offsetSeconds = 0;
    if (pos >= text.size())
        return std::nullopt; // a time without a zone means nothing definite
    if (text[pos] == 'Z' || text[pos] == 'z') {
        ++pos;
    } else if (text[pos] == '+' || text[pos] == '-') {
        const int sign = text[pos] == '-' ? -1 : 1;
        const auto oh = digits(text, pos + 1, 2);
        if (!oh)
            return std::nullopt;
        pos += 3;
        int om = 0;
        if (pos < text.size()) {
            if (text[pos] == ':')
                ++pos;
            const auto minutes = digits(text, pos, 2);
            if (!minutes)
                return std::nullopt;
            om = *minutes;
            pos += 2;
        }
        if (*oh > 23 || om > 59)
            return std::nullopt;
        offsetSeconds = sign * (*oh * 3600 + om * 60);
    } else {
        return std::nullopt;
    }
    if (pos != text.size())
        return std::nullopt;

    const auto wholeSeconds = sys_days{ymd}.time_since_epoch() + hours{*h} + minutes{*mi} +
                              seconds{*s} - seconds{offsetSeconds};
    const double total =
        static_cast<double>(duration_cast<seconds>(wholeSeconds).count()) + fraction;
    return Date(Date::duration(total));
}

std::string formatDefaultsValue(const PropertyValue& value) {
    if (auto v = std::get_if<bool>(&value))
        return *v ? "1" : "0";
    if (auto v = std::get_if<std::int64_t>(&value))
        return std::to_string(*v);
    if (auto v = std::get_if<float>(&value))
        return shortest(*v);
    if (auto v = std::get_if<double>(&value))
        return shortest(*v);
    if (auto v = std::get_if<std::string>(&value)) {
        // A line break inside a value would pass for the next "key = value" line.
        static constexpr char hex[] = "0123456789abcdef";
        std::string text;
        for (const char c : *v) {
            const auto byte = static_cast<unsigned char>(c);
            if (c == '\n')
                text += "\\n";
            else if (c == '\r')
                text += "\\r";
            else if (c == '\t')
                text += "\\t";
            else if (byte < 0x20 || byte == 0x7f)
                text += std::string("\\x") + hex[byte >> 4] + hex[byte & 0xf];
            else
                text += c;
        }
        return text;
    }
    if (auto v = std::get_if<Date>(&value))
        return formatDate(*v);
    static constexpr char hex[] = "0123456789abcdef";
    std::string text = "<";
    for (std::uint8_t byte : std::get<Data>(value).bytes) {
        text += hex[byte >> 4];
        text += hex[byte & 0xf];
    }
    return text + ">";
}

int runZentrivoctl(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                   DefaultsDatabase& db, const PlatformProfile& profile, RunningZentrivo* running) {
    auto parsed = parse(args);
    if (auto bad = std::get_if<BadInput>(&parsed)) {
        err << "zentrivoctl: " << bad->message << "; see zentrivoctl --help\n";
        return ctlStatus::badInput;
    }
    const Command& command = std::get<Command>(parsed);

    if (std::holds_alternative<Help>(command)) {
        out << usage;
        return ctlStatus::ok;
    }
    if (std::holds_alternative<ReadAll>(command)) {
        for (const auto& key : db.keys())
            // A row that vanished meanwhile or holds no readable value is left out.
            if (const auto value = db.value(key))
                out << key << " = " << formatDefaultsValue(*value) << '\n';
        return ctlStatus::ok;
    }
    auto isStored = [&db](const std::string& key) {
        const auto keys = db.keys();
        return std::find(keys.begin(), keys.end(), key) != keys.end();
    };
    if (auto read = std::get_if<ReadOne>(&command)) {
        const auto value = db.value(read->key);
        if (!value) {
            if (isStored(read->key))
                err << "zentrivoctl: the value stored under '" << read->key
                    << "' is of no known kind\n";
            else
                err << "zentrivoctl: no value is stored under '" << read->key << "'\n";
            return ctlStatus::failed;
        }
        out << formatDefaultsValue(*value) << '\n';
        return ctlStatus::ok;
    }
    if (auto write = std::get_if<Write>(&command)) {
        // Written all the same: the user may know better, but a wrong kind is easy to miss
        // (a "lastVersion" number makes the next start a first run).
        static constexpr const char* kindNames[] = {"bool", "int", "float", "double",
                                                    "string", "date", "data"};
        const std::string_view given = kindNames[write->value.index()];
        if (const auto kind = settingKind(write->key); !kind)
            err << "zentrivoctl: warning: '" << write->key
                << "' is no setting of Zentrivo; nothing reads it\n";
        else if (*kind != given)
            err << "zentrivoctl: warning: '" << write->key << "' is a -" << *kind
                << " setting; Zentrivo may read this -" << given << " value as unset\n";
        if (!db.setValue(write->key, write->value)) {
            err << "zentrivoctl: could not store '" << write->key << "'\n";
            return ctlStatus::failed;
        }
        if (running)
            running->settingsChanged({write->key});
        return ctlStatus::ok;
    }
    if (auto remove = std::get_if<Delete>(&command)) {
        // A row of no known kind can be removed too: that is how a user gets rid of it.
        if (!isStored(remove->key)) {
            err << "zentrivoctl: no value is stored under '" << remove->key << "'\n";
            return ctlStatus::failed;
        }
        if (!db.removeValue(remove->key)) {
            err << "zentrivoctl: could not remove '" << remove->key << "'\n";
            return ctlStatus::failed;
        }
        if (running)
            running->settingsChanged({remove->key});
        return ctlStatus::ok;
    }
    if (auto open = std::get_if<OpenURL>(&command)) {
        std::string error;
        const auto outcome = running ? running->openURL(open->url, error)
                                     : RunningZentrivo::Outcome::notRunning;
        if (outcome == RunningZentrivo::Outcome::notRunning) {
            err << "zentrivoctl: Zentrivo is not running\n";
            return ctlStatus::failed;
        }
        if (outcome == RunningZentrivo::Outcome::failed) {
            err << "zentrivoctl: Zentrivo did not take the request: " << error << '\n';
            return ctlStatus::failed;
        }
        return ctlStatus::ok;
    }
    if (std::holds_alternative<CloudExport>(command))
        return exportCloudConfig(out, err, db, profile);
    // Panels: built exactly as the main program builds them.
    Defaults defaults(db);
    const ReticleSpecModel model(defaults, profile);
    try {
        const std::string near = model.mainSpec().toJsonString();
        const std::string far = model.farSpec().toJsonString();
        out << near << '\n' << far << '\n';
    } catch (const std::exception& e) {
        // Only text that is not UTF-8 (a file name, say) cannot be written as JSON.
        err << "zentrivoctl: a panel cannot be written as JSON: " << e.what() << '\n';
        return ctlStatus::failed;
    }
    return ctlStatus::ok;
}

} // namespace zentrivo
