#include "platform/linux/LinuxPlatformProfile.h"

#include "tests/unit/platform/TemporaryDirectory.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zentrivo {
namespace {

/// Asks a fresh process, whose GIO has read only the desktop under `dir`, for the profile's
/// default near panel and file manager id, one per line.
std::string ask(const test::TemporaryDirectory& dir) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setenv("HOME", dir.path().c_str(), 1);
        for (const char* name : {"XDG_DATA_HOME", "XDG_DATA_DIRS", "XDG_CONFIG_HOME", "XDG_CONFIG_DIRS"})
            ::setenv(name, (dir / name).c_str(), 1);
        ::unsetenv("XDG_CURRENT_DESKTOP");
        ::setenv("GIO_USE_VFS", "local", 1);
        ::setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/zentrivo-test-bus", 1);
        const platform::LinuxPlatformProfile profile;
        dir.write("answer",
                  profile.defaultMainSpec().toJsonString() + "\n" + profile.fileManagerId() + "\n");
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? test::readFile(dir / "answer")
                                                         : "child failed";
}

std::string slot(const char* position, const char* id) {
    return std::string(",\"") + position + "\":{\"stringValue\":\"" + id + "\",\"type\":0}";
}

void install(const test::TemporaryDirectory& dir, const std::string& folder, const std::string& id,
             const std::string& extra) {
    dir.write(folder + "/applications/" + id + ".desktop",
              "[Desktop Entry]\nType=Application\nName=" + id + "\nExec=/bin/true %U\n" + extra);
}

TEST(LinuxPlatformProfile, FillsEachRoleWithTheUsersApplicationOrLeavesItEmpty) {
    test::TemporaryDirectory dir;
    EXPECT_EQ(ask(dir), "{\"id\":0}\n\n");

    install(dir, "XDG_DATA_DIRS", "org.test.Files", "MimeType=inode/directory;\n");
    install(dir, "XDG_DATA_HOME", "org.test.Web", "MimeType=x-scheme-handler/https;\n");
    install(dir, "XDG_DATA_HOME", "org.test.OtherWeb", "MimeType=x-scheme-handler/https;\n");
    install(dir, "XDG_DATA_HOME", "org.test.Editor", "Categories=Utility;TextEditor;\n");
    install(dir, "XDG_DATA_HOME", "org.test.Term", "Categories=System;TerminalEmulator;\n");
    dir.write("XDG_CONFIG_HOME/mimeapps.list",
              "[Default Applications]\ninode/directory=org.test.Files.desktop\n"
              "x-scheme-handler/https=org.test.Web.desktop\n"
              "x-scheme-handler/mailto=org.test.Mail.desktop\n");
    // The mail default is not installed, and an editor is no terminal.
    EXPECT_EQ(ask(dir), "{\"id\":0" + slot("t", "org.test.Files") + slot("l", "org.test.Term") +
                            slot("b", "org.test.Web") + "}\norg.test.Files\n");
}

} // namespace
} // namespace zentrivo
