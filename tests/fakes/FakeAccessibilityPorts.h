#pragma once

#include "app/input/AccessibilityWindowFactory.h"
#include "app/input/InputAccess.h"
#include "app/input/ProcessExit.h"

#include <functional>
#include <memory>
#include <vector>

namespace zentrivo::test {

class FakeInputAccess final : public InputAccess {
public:
    bool isTrusted() const override {
        ++checks;
        return trusted;
    }
    bool trusted = false;
    mutable int checks = 0;
};

/// Prompt windows as records; each record outlives its window so tests can look back.
class FakeAccessibilityWindowFactory final : public AccessibilityWindowFactory {
public:
    struct Record {
        AccessibilityPromptContent content;
        std::function<void()> quit;
        int presents = 0;
        int closes = 0;
        bool destroyed = false;
        bool visible() const { return presents > 0 && closes == 0 && !destroyed; }
    };

    std::unique_ptr<AccessibilityWindow> makeWindow(const AccessibilityPromptContent& content,
                                                    std::function<void()> quit) override {
        auto record = std::make_shared<Record>(Record{content, std::move(quit)});
        windows.push_back(record);
        return std::make_unique<Window>(record);
    }

    std::vector<std::shared_ptr<Record>> windows;

private:
    class Window final : public AccessibilityWindow {
    public:
        explicit Window(std::shared_ptr<Record> record) : record(std::move(record)) {}
        ~Window() override { record->destroyed = true; }
        void present() override {
            ++record->presents;
            record->closes = 0;
        }
        void close() override { ++record->closes; }

    private:
        std::shared_ptr<Record> record;
    };
};

class FakeProcessExit final : public ProcessExit {
public:
    void exitProcess(int status) override { statuses.push_back(status); }
    std::vector<int> statuses;
};

} // namespace zentrivo::test
