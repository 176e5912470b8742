#include "platform/linux/LinuxPlatformProfile.h"

#include "tests/unit/platform/ScopedEnvironment.h"
#include "tests/unit/platform/TemporaryDirectory.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zentrivo {
namespace {

using test::TemporaryDirectory;

std::string desktopEntry(const std::string& name, const std::string& extra = "") {
    return "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=/bin/true %U\n" + extra;
}

/// A private desktop: applications and default handlers that only this test sees.
class TestDesktop {
public:
    void app(const std::string& id, const std::string& extra = "") {
        dir.write("data/applications/" + id + ".desktop", desktopEntry(id, extra));
    }
    void systemApp(const std::string& id, const std::string& extra = "") {
        dir.write("datadirs/applications/" + id + ".desktop", desktopEntry(id, extra));
    }
    void defaults(const std::string& lines) {
        dir.write("config/mimeapps.list", "[Default Applications]\n" + lines);
    }
    void terminalList(const std::string& lines) { dir.write("config/xdg-terminals.list", lines); }

    /// Asks a fresh process, whose GIO has read only this desktop, for the profile's answers:
    /// the default near panel's JSON and the file manager id, one per line.
    std::string ask() const {
        int out[2];
        if (::pipe(out) != 0)
            return "pipe failed";
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(out[0]);
            test::ScopedEnvironment env;
            env.set("HOME", dir.path());
            env.set("XDG_DATA_HOME", dir / "data");
            env.set("XDG_DATA_DIRS", dir / "datadirs");
            env.set("XDG_CONFIG_HOME", dir / "config");
            env.set("XDG_CONFIG_DIRS", dir / "configdirs");
            env.unset("XDG_CURRENT_DESKTOP");
            env.set("GIO_USE_VFS", "local");
            env.set("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/zentrivo-test-bus");
            const platform::LinuxPlatformProfile profile;
            const std::string answer =
                profile.defaultMainSpec().toJsonString() + "\n" + profile.fileManagerId() + "\n";
            const bool written = ::write(out[1], answer.data(), answer.size()) ==
                                 static_cast<ssize_t>(answer.size());
            ::_exit(written ? 0 : 1);
        }
        ::close(out[1]);
        std::string answer;
        char buffer[1024];
        ssize_t n;
        while ((n = ::read(out[0], buffer, sizeof buffer)) > 0)
            answer.append(buffer, static_cast<std::size_t>(n));
        ::close(out[0]);
        int status = 0;
        ::waitpid(pid, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            return "child failed";
        return answer;
    }

private:
    TemporaryDirectory dir;
};

std::string slot(const char* position, const char* id) {
    return std::string(",\"") + position + "\":{\"stringValue\":\"" + id + "\",\"type\":0}";
}

TEST(LinuxPlatformProfile, FillsEachRoleWithTheUsersApplication) {
    TestDesktop desktop;
    desktop.app("org.test.Files", "MimeType=inode/directory;\n");
    desktop.app("org.test.Term", "Categories=System;TerminalEmulator;\n");
    desktop.app("org.test.Mail", "MimeType=x-scheme-handler/mailto;\n");
    desktop.app("org.test.Web", "MimeType=x-scheme-handler/https;x-scheme-handler/http;\n");
    desktop.app("org.test.OtherWeb", "MimeType=x-scheme-handler/https;\n");
    desktop.defaults("inode/directory=org.test.Files.desktop\n"
                     "x-scheme-handler/mailto=org.test.Mail.desktop\n"
                     "x-scheme-handler/https=org.test.Web.desktop\n");
    EXPECT_EQ(desktop.ask(), "{\"id\":0" + slot("t", "org.test.Files") +
                                 slot("l", "org.test.Term") + slot("r", "org.test.Mail") +
                                 slot("b", "org.test.Web") + "}\norg.test.Files\n");
}

TEST(LinuxPlatformProfile, ARoleWithoutAnApplicationLeavesItsSlotEmpty) {
    TestDesktop empty;
    EXPECT_EQ(empty.ask(), "{\"id\":0}\n\n");

    TestDesktop noMail;
    noMail.systemApp("org.test.Files", "MimeType=inode/directory;\n");
    noMail.app("org.test.Web", "MimeType=x-scheme-handler/https;\n");
    noMail.app("org.test.Editor", "Categories=Utility;TextEditor;\n");
    noMail.defaults("inode/directory=org.test.Files.desktop\n"
                    "x-scheme-handler/https=org.test.Web.desktop\n"
                    "x-scheme-handler/mailto=org.test.Gone.desktop\n");
    EXPECT_EQ(noMail.ask(), "{\"id\":0" + slot("t", "org.test.Files") + slot("b", "org.test.Web") +
                                "}\norg.test.Files\n");
}

TEST(LinuxPlatformProfile, PicksTheTerminalTheUserListedOrTheFirstVisibleOne) {
    struct Case {
        const char* name;
        const char* list; // nullptr: no xdg-terminals.list
        const char* expected;
    };
    const Case cases[] = {
        {"no list: first by id", nullptr, "com.test.Beta"},
        {"listed one wins", "# mine\n\norg.test.Zeta.desktop\ncom.test.Beta.desktop\n",
         "org.test.Zeta"},
        {"listed with an action", "org.test.Zeta.desktop:new-window\n", "org.test.Zeta"},
        {"listed but not installed or not a terminal",
         "org.test.Missing.desktop\norg.test.Editor.desktop\n", "com.test.Beta"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestDesktop desktop;
        desktop.app("org.test.Zeta", "Categories=TerminalEmulator;\n");
        desktop.systemApp("com.test.Beta", "Categories=GTK;System;TerminalEmulator\n");
        desktop.app("aaa.test.Hidden", "Categories=TerminalEmulator;\nNoDisplay=true\n");
        desktop.app("org.test.Editor", "Categories=Utility;TextEditor;\n");
        if (c.list)
            desktop.terminalList(c.list);
        EXPECT_EQ(desktop.ask(), "{\"id\":0" + slot("l", c.expected) + "}\n\n");
    }
}

} // namespace
} // namespace zentrivo
