#include "XdgAutostart.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace zentrivo::platform {
namespace {

constexpr const char* mainEntry = "com.tovelane.ZentrivoPro.desktop";
constexpr const char* launcherEntry = "com.tovelane.ZentrivoProLauncher.desktop";

std::string trim(std::string s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    const auto last = s.find_last_not_of(" \t\r");
    return s.substr(first, last - first + 1);
}

/// An `Exec` argument as the desktop entry format reads it: inside double quotes, `"`, `` ` ``,
/// `$` and `\` take a backslash, `%` doubles (field codes); then the value's own escaping
/// doubles every backslash again.
std::string quoteExecArgument(const std::string& argument) {
    std::string quoted = "\"";
    for (char ch : argument) {
        if (ch == '"' || ch == '`' || ch == '$' || ch == '\\')
            quoted += '\\';
        if (ch == '%')
            quoted += '%';
        quoted += ch;
    }
    quoted += '"';
    std::string value;
    for (char ch : quoted)
        value += ch == '\\' ? std::string("\\\\") : std::string(1, ch);
    return value;
}

/// The first argument of an `Exec` value, unescaped; enough to tell which program it starts.
std::string firstExecArgument(const std::string& value) {
    std::string unescaped; // the value's own escapes
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            const char next = value[++i];
            unescaped += next == 's' ? ' ' : next == 't' ? '\t' : next == 'n' ? '\n' : next;
        } else {
            unescaped += value[i];
        }
    }
    std::string argument;
    bool quoted = false;
    for (std::size_t i = 0; i < unescaped.size(); ++i) {
        const char ch = unescaped[i];
        if (ch == '%' && i + 1 < unescaped.size() && unescaped[i + 1] == '%') {
            argument += ch; // a literal percent sign, not a field code
            ++i;
        } else if (quoted) {
            if (ch == '"')
                quoted = false;
            else if (ch == '\\' && i + 1 < unescaped.size())
                argument += unescaped[++i];
            else
                argument += ch;
        } else if (ch == '"') {
            quoted = true;
        } else if (ch == ' ' || ch == '\t') {
            if (!argument.empty())
                break;
        } else {
            argument += ch;
        }
    }
    return argument;
}

std::string errnoText(int error) {
    return std::strerror(error);
}

} // namespace

XdgAutostart::XdgAutostart(std::filesystem::path folder, std::filesystem::path mainProgram,
                           std::filesystem::path launcherProgram)
    : folder(std::move(folder)), mainProgram(std::move(mainProgram)),
      launcherProgram(std::move(launcherProgram)) {}

std::optional<std::filesystem::path> XdgAutostart::defaultFolder() {
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/')
        return std::filesystem::path(xdg) / "autostart";
    if (const char* home = std::getenv("HOME"); home && home[0] == '/')
        return std::filesystem::path(home) / ".config" / "autostart";
    return std::nullopt;
}

std::string XdgAutostart::entryText(const std::filesystem::path& program, const std::string& name) {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=" +
           name +
           "\n"
           "Exec=" +
           quoteExecArgument(program.string()) +
           "\n"
           "Icon=com.tovelane.ZentrivoPro\n"
           "NoDisplay=true\n"
           "X-GNOME-Autostart-enabled=true\n";
}

bool XdgAutostart::isEnabledEntry(const std::string& text, const std::string& programName) {
    std::istringstream lines(text);
    std::string line;
    bool inEntry = false;
    bool sawEntry = false;
    bool ours = false;
    bool off = false;
    while (std::getline(lines, line)) {
        line = trim(line);
        if (line.empty() || line[0] == '#')
            continue;
        if (line[0] == '[') {
            inEntry = line == "[Desktop Entry]";
            sawEntry = sawEntry || inEntry;
            continue;
        }
        const auto equals = line.find('=');
        if (!inEntry || equals == std::string::npos)
            continue;
        const std::string key = trim(line.substr(0, equals));
        const std::string value = trim(line.substr(equals + 1));
        if (key == "Exec")
            ours = std::filesystem::path(firstExecArgument(value)).filename() == programName;
        else if (key == "Hidden")
            off = off || value == "true";
        else if (key == "X-GNOME-Autostart-enabled")
            off = off || value == "false";
    }
    return sawEntry && ours && !off;
}

bool XdgAutostart::isEnabled(const std::filesystem::path& file,
                             const std::filesystem::path& program) const {
    std::ifstream in(folder / file);
    if (!in)
        return false;
    std::ostringstream text;
    text << in.rdbuf();
    return isEnabledEntry(text.str(), program.filename().string());
}

std::optional<std::string> XdgAutostart::write(const std::filesystem::path& file,
                                               const std::filesystem::path& program,
                                               const std::string& name) const {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error)
        return "cannot create " + folder.string() + ": " + error.message();
    // Written beside its final place and renamed over it, so the session never reads half an
    // entry and a failed write leaves the old one as it was.
    const std::filesystem::path target = folder / file;
    std::string temporary = (folder / ("." + file.string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return "cannot write in " + folder.string() + ": " + errnoText(errno);
    const std::string text = entryText(program, name);
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int saved = errno;
            ::close(fd);
            ::unlink(temporary.c_str());
            return "cannot write " + target.string() + ": " + errnoText(saved);
        }
        done += std::size_t(n);
    }
    // Entries are read by the session only, but 0644 is what every other entry has.
    if (::fchmod(fd, 0644) != 0 || ::fsync(fd) != 0 || ::close(fd) != 0) {
        const int saved = errno;
        ::unlink(temporary.c_str());
        return "cannot write " + target.string() + ": " + errnoText(saved);
    }
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        const int saved = errno;
        ::unlink(temporary.c_str());
        return "cannot replace " + target.string() + ": " + errnoText(saved);
    }
    return std::nullopt;
}

std::optional<std::string> XdgAutostart::remove(const std::filesystem::path& file) const {
    if (::unlink((folder / file).c_str()) != 0 && errno != ENOENT)
        return "cannot remove " + (folder / file).string() + ": " + errnoText(errno);
    return std::nullopt;
}

bool XdgAutostart::isMainAppEnabled() const {
    return isEnabled(mainEntry, mainProgram);
}

std::optional<std::string> XdgAutostart::registerMainApp() {
    return write(mainEntry, mainProgram, "Zentrivo");
}

std::optional<std::string> XdgAutostart::unregisterMainApp() {
    return remove(mainEntry);
}

bool XdgAutostart::setLauncherEnabled(bool enabled) {
    return !(enabled ? write(launcherEntry, launcherProgram, "Zentrivo Launcher")
                     : remove(launcherEntry));
}

} // namespace zentrivo::platform
