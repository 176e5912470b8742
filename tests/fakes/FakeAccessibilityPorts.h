#pragma once

#include "app/input/AccessibilityWindowFactory.h"
#include "app/input/InputAccess.h"
#include "app/input/ProcessExit.h"

#include <deque>
#include <vector>

namespace zentrivo::test {

class FakeInputAccess final : public InputAccess {
public:
    bool isTrusted() const override { return trusted; }
    bool trusted = false;
};

/// Prompt windows as records; each record outlives its window so tests can look back.
class FakeAccessibilityWindowFactory final : public AccessibilityWindowFactory {
public:
    struct Record {
        AccessibilityPromptContent content;
        std::function<void()> quit;
        bool shown = false; // presented and not closed since
        bool destroyed = false;
    };

    std::unique_ptr<AccessibilityWindow> makeWindow(const AccessibilityPromptContent& content,
                                                    std::function<void()> quit) override {
        windows.push_back({content, std::move(quit)});
        return std::make_unique<Window>(windows.back());
    }

    std::deque<Record> windows; // stable references

private:
    struct Window final : AccessibilityWindow {
        explicit Window(Record& record) : record(record) {}
        ~Window() override { record.destroyed = true; }
        void present() override { record.shown = true; }
        void close() override { record.shown = false; }
        Record& record;
    };
};

class FakeProcessExit final : public ProcessExit {
public:
    void exitProcess(int status) override { statuses.push_back(status); }
    std::vector<int> statuses;
};

} // namespace zentrivo::test
