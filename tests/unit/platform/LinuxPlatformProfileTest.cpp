#include "platform/linux/LinuxPlatformProfile.h"

#include "tests/unit/platform/TemporaryDirectory.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zentrivo {
namespace {

TEST(LinuxPlatformProfile, FillsEachRoleWithTheUsersApplicationOrLeavesItEmpty) {
    test::TemporaryDirectory dir;
    auto install = [&](const char* folder, const std::string& id, const std::string& extra) {
        dir.write(folder + ("/applications/" + id) + ".desktop",
                  "[Desktop Entry]\nType=Application\nName=" + id + "\nExec=/bin/true %U\n" +
                      extra);
    };
    // GIO reads the desktop once per process: a child whose GIO has seen only `dir` answers,
    // with the default near panel and the file manager's id.
    auto ask = [&] {
        if (::fork() == 0) {
            ::setenv("HOME", dir.path().c_str(), 1);
            for (const char* name :
                 {"XDG_DATA_HOME", "XDG_DATA_DIRS", "XDG_CONFIG_HOME", "XDG_CONFIG_DIRS"})
                ::setenv(name, (dir / name).c_str(), 1);
            ::unsetenv("XDG_CURRENT_DESKTOP");
            ::setenv("GIO_USE_VFS", "local", 1);
            ::setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/zentrivo-test-bus", 1);
            const platform::LinuxPlatformProfile profile;
            dir.write("answer",
                      profile.defaultMainSpec().toJsonString() + "\n" + profile.fileManagerId());
            ::_exit(0);
        }
        int status = 0;
        ::wait(&status);
        return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? test::readFile(dir / "answer")
                                                             : "child failed";
    };
    EXPECT_EQ(ask(), "{\"id\":0}\n");
    install("XDG_DATA_DIRS", "org.test.Files", "MimeType=inode/directory;\n");
    install("XDG_DATA_HOME", "org.test.Web", "MimeType=x-scheme-handler/https;\n");
    install("XDG_DATA_HOME", "org.test.OtherWeb", "MimeType=x-scheme-handler/https;\n");
    install("XDG_DATA_HOME", "org.test.Editor", "Categories=Utility;TextEditor;\n");
    install("XDG_DATA_HOME", "org.test.Term", "Categories=System;TerminalEmulator;\n");
    dir.write("XDG_CONFIG_HOME/mimeapps.list",
              "[Default Applications]\ninode/directory=org.test.Files.desktop\n"
              "x-scheme-handler/https=org.test.Web.desktop\n"
              "x-scheme-handler/mailto=org.test.Mail.desktop\n");

    // The mail default is not installed, and an editor is no terminal.
    EXPECT_EQ(ask(), R"({"id":0,"t":{"stringValue":"org.test.Files","type":0},)"
                     R"("l":{"stringValue":"org.test.Term","type":0},)"
                     R"("b":{"stringValue":"org.test.Web","type":0}})"
                     "\norg.test.Files");
}

} // namespace
} // namespace zentrivo
