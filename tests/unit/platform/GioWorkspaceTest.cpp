// The GIO workspace, desktop-entry catalog and platform profile over a private set of XDG folders.
// GIO reads the XDG variables once per process, so main() sets them before the first GIO call.
// Each test case runs in its own process (see run-under-xvfb.sh), so a test may add entries of its
// own before its first GIO call.
#include "platform/linux/GioWorkspace.h"

#include "app/apps/InstalledApps.h"
#include "platform/linux/DesktopEntryCatalog.h"
#include "platform/linux/LinuxPlatformProfile.h"
#include "tests/fakes/FakeMainQueue.h"
#include "tests/fakes/FakeSystemInfo.h"
#include "tests/fakes/FreedesktopTestProfile.h"
#include "tests/unit/platform/TemporaryDirectory.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zentrivo::platform {
namespace {

using namespace std::literals;

test::TemporaryDirectory* root; // made by main()
std::string systemApps, userApps;

void add(const char* folder, const std::string& id, const std::string& name,
         const std::string& extra = "") {
    // Its program writes "ran" to the marker `name` (tests only: the product never uses a shell).
    root->write(folder + ("/applications/" + id) + ".desktop",
                "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=sh -c \"echo ran >> " +
                    (*root / name).string() + "\"\n" + extra);
}

/// What programs write to the FIFO `path` until the last writer closes it, waiting up to 10 s for
/// each part. Opened without blocking, the read end reports input only once a writer has written.
std::string drain(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK);
    std::string text;
    char buffer[256];
    for (pollfd readable{fd, POLLIN, 0}; ::poll(&readable, 1, 10000) == 1;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0)
            break;
        text.append(buffer, std::size_t(n));
    }
    ::close(fd);
    return text;
}

// The near panel and the file manager's id, as one text.
std::string profileAnswers() {
    const LinuxPlatformProfile profile;
    return profile.defaultMainSpec().toJsonString() + " " + profile.fileManagerId();
}

TEST(GioWorkspace, FindsListsAndStartsEntriesByTheDesktopFileIdPrecedence) {
    test::FakeMainQueue queue;
    GioWorkspace workspace{queue};
    EXPECT_EQ(workspace.applicationPath("zentrivo-test-overridden"),
              userApps + "overridden.desktop");
    EXPECT_EQ(workspace.applicationPath("zentrivo-no-such-app"), std::nullopt);
    // Cut short at the NUL, the id would name the overridden entry.
    EXPECT_EQ(workspace.applicationPath("zentrivo-test-overridden.desktop\0"sv), std::nullopt);

    // What a launcher menu would show: neither hidden nor NoDisplay entries, the user's copy.
    DesktopEntryCatalog catalog;
    test::FreedesktopTestProfile profile;
    test::FakeSystemInfo systemInfo;
    InstalledApps installed(catalog, queue, profile, systemInfo);
    installed.refresh();
    queue.runUntilIdle();
    std::vector<std::string> ours;
    for (const InstalledApp& app : installed.sorted()) // the private folders hold only ours
        ours.push_back(app.bundleId + " " + app.name + " " + app.path);
    EXPECT_EQ(ours, (std::vector<std::string>{
                        "zentrivo-test-badpath BadPath " + systemApps + "badpath.desktop",
                        "zentrivo-test-overridden UserCopy " + userApps + "overridden.desktop"}));

    // A start reports through its completion, later on the main queue, and why it failed.
    const std::pair<std::string, const char*> starts[] = {
        {systemApps + "badpath.desktop", "zentrivo-folder"},
        {*root / "nothing.desktop", "nothing.desktop"},
        {userApps + "overridden.desktop", "no error"},
    };
    for (const auto& [path, mentions] : starts) {
        SCOPED_TRACE(path);
        std::optional<std::optional<std::string>> outcome;
        workspace.openApplication(path, [&](std::optional<std::string> error) { outcome = error; });
        EXPECT_FALSE(outcome) << "the completion ran inside openApplication";
        queue.runUntilIdle();
        ASSERT_TRUE(outcome);
        EXPECT_NE(outcome->value_or("no error").find(mentions), std::string::npos)
            << outcome->value_or("");
    }
    EXPECT_EQ(drain(*root / "UserCopy"), "ran\n") << "the user's copy started once";
    EXPECT_EQ(profileAnswers(), "{\"id\":0} ") << "no entry here has a role";
}

TEST(GioWorkspace, NamesTheEntryAtAPathAndHandsItDroppedUrls) {
    // Its program writes each argument on a line to the FIFO "Opened".
    const std::string opened = *root / "Opened", program = *root / "opener";
    ::mkfifo(opened.c_str(), 0600);
    root->write("opener", "#!/bin/sh\nprintf '%s\\n' \"$@\" > " + opened + "\n");
    ::chmod(program.c_str(), 0700);
    root->write("XDG_DATA_HOME/applications/zentrivo-test-urls.desktop",
                "[Desktop Entry]\nType=Application\nName=Opener\nExec=" + program + " %U\n");
    root->write("stray.desktop", "[Desktop Entry]\nType=Application\nName=Stray\nExec=true\n");
    test::FakeMainQueue queue;
    GioWorkspace workspace{queue};
    const std::pair<std::string, std::optional<InstalledApp>> entries[] = {
        {userApps + "urls.desktop",
         InstalledApp{"Opener", "zentrivo-test-urls", userApps + "urls.desktop"}},
        {systemApps + "overridden.desktop", // the id of a shadowed copy is still its own
         InstalledApp{"SystemCopy", "zentrivo-test-overridden", systemApps + "overridden.desktop"}},
        {systemApps + "hidden.desktop", std::nullopt},
        {*root / "stray.desktop", std::nullopt}, // outside the application folders: no id
        {*root / "missing.desktop", std::nullopt},
    };
    for (const auto& [path, app] : entries) {
        SCOPED_TRACE(path);
        EXPECT_EQ(workspace.applicationAt(path), app);
    }

    EXPECT_FALSE(workspace.openURLs({}, userApps + "urls.desktop"));
    EXPECT_FALSE(workspace.openURLs({"file:///tmp"}, *root / "missing.desktop"));
    ASSERT_TRUE(workspace.openURLs({"file:///tmp/a%20b", "https://example.org/x?y=1"},
                                   userApps + "urls.desktop"));
    // One argument each; GIO hands a local file over as its path, decoded.
    EXPECT_EQ(drain(opened), "/tmp/a b\nhttps://example.org/x?y=1\n");
}

TEST(LinuxPlatformProfile, FillsEachRoleWithTheUsersApplication) {
    add("XDG_DATA_DIRS", "org.test.Files", "Files", "MimeType=inode/directory;\n");
    add("XDG_DATA_HOME", "org.test.Web", "Web", "MimeType=x-scheme-handler/https;\n");
    add("XDG_DATA_HOME", "org.test.Editor", "Editor", "Categories=Utility;TextEditor;\n");
    add("XDG_DATA_HOME", "org.test.Term", "Term", "Categories=System;TerminalEmulator;\n");
    root->write("XDG_CONFIG_HOME/mimeapps.list",
                "[Default Applications]\ninode/directory=org.test.Files.desktop\n"
                "x-scheme-handler/https=org.test.Web.desktop\n");
    // No mail application is installed, and an editor is no terminal.
    EXPECT_EQ(profileAnswers(), R"({"id":0,"t":{"stringValue":"org.test.Files","type":0},)"
                                R"("l":{"stringValue":"org.test.Term","type":0},)"
                                R"("b":{"stringValue":"org.test.Web","type":0}} org.test.Files)");
}

} // namespace
} // namespace zentrivo::platform

int main(int argc, char** argv) {
    using namespace zentrivo::platform;
    zentrivo::test::TemporaryDirectory folders;
    root = &folders;
    for (const char* name :
         {"XDG_DATA_HOME", "XDG_DATA_DIRS", "XDG_CONFIG_HOME", "XDG_CONFIG_DIRS"})
        ::setenv(name, (*root / name).c_str(), 1);
    ::setenv("HOME", root->path().c_str(), 1);
    systemApps = *root / "XDG_DATA_DIRS/applications/zentrivo-test-";
    userApps = *root / "XDG_DATA_HOME/applications/zentrivo-test-";
    ::mkfifo((*root / "UserCopy").c_str(), 0600); // a FIFO, so a test can wait for the start
    // A start that fails only when tried: its working folder does not exist.
    add("XDG_DATA_DIRS", "zentrivo-test-badpath", "BadPath", "Path=/nonexistent/zentrivo-folder\n");
    add("XDG_DATA_DIRS", "zentrivo-test-hidden", "Hidden", "Hidden=true\n");
    add("XDG_DATA_DIRS", "zentrivo-test-nodisplay", "NoDisplay", "NoDisplay=true\n");
    add("XDG_DATA_DIRS", "zentrivo-test-overridden", "SystemCopy");
    add("XDG_DATA_HOME", "zentrivo-test-overridden", "UserCopy");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
