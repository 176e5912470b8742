#include "app/shell/CommandUrl.h"

#include <gtest/gtest.h>

namespace zentrivo {
namespace {

using Command = CommandUrl::Command;

CommandUrl show(std::optional<float> appearDist = std::nullopt) {
    return {Command::show, appearDist, true};
}
CommandUrl close(bool executing) {
    return {Command::close, std::nullopt, executing};
}

TEST(CommandUrlTest, HostPathAndFirstQueryItemDecideTheCommand) {
    const std::pair<const char*, std::optional<CommandUrl>> cases[] = {
        {"zentrivo://show", show()},
        {"zentrivo://show?appearDist=40", show(40.0f)},
        {"zentrivo://show?appearDist=40#top", show(40.0f)},
        // A 32-bit reading: the float nearest 0.1, not the double.
        {"zentrivo://show?appearDist=0.1", show(0.1f)},
        {"zentrivo://show?appearDist=4%30", show(40.0f)}, // percent-decoded first
        {"zentrivo://show?appearDist=40%20", show()},     // the whole text must be consumed
        {"zentrivo://show?appearDist=4%005", show()},     // an embedded NUL ends nothing early
        {"zentrivo://show?appearDist=", show()},
        {"zentrivo://show?appearDist", show()},
        {"zentrivo://show?appeardist=40", show()},
        {"zentrivo://show?appearDist=1e39", show()}, // beyond a 32-bit float
        {"zentrivo://show?appearDist=nan", show()},
        {"zentrivo://show?appearDist=x&appearDist=7", show()}, // the first counts even unread
        {"zentrivo://show?foo=1&appearDist=7", show(7.0f)},
        {"zentrivo://close", close(true)},
        {"zentrivo://close?executing=false", close(false)},
        {"zentrivo://close?executing=False", close(true)},
        {"zentrivo://close?executing=false%20", close(true)},
        {"zentrivo://close?executing", close(true)},
        // Not acted on: a path, an unknown host, no host, or a malformed URL.
        {"zentrivo://show/", std::nullopt},
        {"zentrivo:show", std::nullopt},
        {"zentrivo://open", std::nullopt},
        {"zentrivo://Show", std::nullopt},
        {"zentrivo://show?appearDist=4 0", std::nullopt},
        {"zentrivo://show?appearDist=%4", std::nullopt},
        {"zentrivo://show?appearDist=%zz", std::nullopt},
    };
    for (const auto& [url, expected] : cases) {
        SCOPED_TRACE(url);
        EXPECT_EQ(CommandUrl::parse(url), expected);
    }
}

} // namespace
} // namespace zentrivo
