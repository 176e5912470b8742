#pragma once

#include "ChildProcess.h"

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace zentrivo::e2e {

using namespace std::chrono_literals;

/// A private desktop for one test: a fresh temporary HOME with its own XDG folders, an Xvfb
/// server and a private session bus. Everything it started ends, and its folder goes, when it is
/// destroyed.
class TestDesktop {
public:
    TestDesktop();
    ~TestDesktop();
    TestDesktop(const TestDesktop&) = delete;
    TestDesktop& operator=(const TestDesktop&) = delete;

    /// The environment every program of the test runs in.
    const Environment& environment() const noexcept { return env; }
    const std::filesystem::path& root() const noexcept { return rootDir; }
    const std::string& display() const noexcept { return displayName; }

    /// Writes a desktop entry `<id>.desktop` whose program appends a line to the marker `<id>`.
    void addApp(const std::string& id, const std::string& name, const std::string& icon = {});
    /// How many times the app `id` has run so far.
    int runCount(const std::string& id) const;
    /// Waits until the app `id` has run at least `count` times.
    bool waitForRun(const std::string& id, int count = 1, std::chrono::milliseconds timeout = 60s);

    /// Runs `zentrivoctl` with `args`.
    RunResult ctl(const std::vector<std::string>& args);
    /// Runs the XTest sender with `args` (one command per argument group).
    RunResult send(const std::vector<std::string>& args, std::chrono::milliseconds timeout = 60s);

    /// Starts `zentrivo` and waits until it reports that it is ready. The returned process
    /// reads its log; `readyLine` is false when it did not get ready in time.
    std::unique_ptr<ChildProcess> startZentrivo(bool* ready,
                                                std::chrono::milliseconds timeout = 30s);

    /// Starts a compositor so that translucent areas come out transparent in screenshots.
    void startCompositor();
    /// Writes a screenshot of the whole screen to `file`.
    bool screenshot(const std::filesystem::path& file);

private:
    std::filesystem::path rootDir;
    std::filesystem::path markerDir;
    std::string displayName;
    Environment env;
    std::unique_ptr<ChildProcess> xserver;
    std::unique_ptr<ChildProcess> bus;
    std::unique_ptr<ChildProcess> compositor;
};

/// Where test artefacts (the reticle screenshot) go.
std::filesystem::path artifactsDir();

} // namespace zentrivo::e2e
