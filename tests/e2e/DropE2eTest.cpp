#include "ZentrivoE2eSession.h"

#include <array>

namespace zentrivo::e2e {
namespace {

/// Drops on the reticle, dragged from another program (tools/drag-source.cpp) while Super+Alt
/// summons the reticle, and what the open reticle looks like on a desktop without a compositor.
class DropE2eTest : public ZentrivoE2eTest {
protected:
    void TearDown() override {
        if (source && HasFailure())
            std::cerr << "the drag source's log:\n" << source->log() << std::endl;
        source.reset();
        ZentrivoE2eTest::TearDown();
    }

    /// Opens the drag source with `urls`, presses on it and starts the drag, summons the reticle
    /// at the cursor (300,200) and moves by `move` onto a slot; true once that slot answered the
    /// drag with `answer`.
    bool dragOntoSlot(const Commands& urls, const std::string& move, const std::string& answer) {
        Commands argv{ZENTRIVO_E2E_DRAG_SOURCE};
        argv.insert(argv.end(), urls.begin(), urls.end());
        source = std::make_unique<ChildProcess>(argv, env, root / "drag.log");
        // Separate steps: once the drag runs, the drag source holds the pointer, and xdotool's
        // --sync (which waits to see the pointer arrive) is left waiting.
        for (const std::string& step :
             {std::string("search --sync --onlyvisible --name '^Zentrivo Drag Source$'"),
              std::string("mousemove 280 200 mousedown 1"), std::string("mousemove_relative 10 0"),
              std::string("mousemove_relative 10 0"),
              "keydown Super_L Alt_L search --sync --onlyvisible" + reticle,
              "mousemove_relative -- " + half(move, 0), "mousemove_relative -- " + half(move, 1)}) {
            const Completed done = xdotool(step);
            EXPECT_EQ(done.status, 0) << step << ": " << done.output;
        }
        return waitUntil(
            [&] { return source->log().find("answer: " + answer) != std::string::npos; }, 20s);
    }

    /// Drops, then waits for the drag source to report how the drop ended.
    std::string drop() {
        EXPECT_EQ(xdotool("mouseup 1").status, 0);
        std::string outcome;
        waitUntil(
            [&] {
                const std::string log = source->log();
                const auto at = log.find("drop: ");
                if (at != std::string::npos)
                    outcome = log.substr(at + 6, log.find('\n', at) - at - 6);
                return !outcome.empty();
            },
            20s);
        return outcome;
    }

    void release() {
        ASSERT_EQ(xdotool("keyup Alt_L Super_L").status, 0);
        ASSERT_TRUE(waitGone(20s));
    }

    std::string panels() { return run({ZENTRIVO_E2E_CTL, "panels"}).output; }

    /// The first (`part` 0) or second half of a move "dx dy", so the drag passes over the slot's
    /// edge on its way in.
    static std::string half(const std::string& move, int part) {
        int dx = 0, dy = 0;
        std::sscanf(move.c_str(), "%d %d", &dx, &dy);
        const int hx = dx / 2, hy = dy / 2;
        return part == 0 ? std::to_string(hx) + " " + std::to_string(hy)
                         : std::to_string(dx - hx) + " " + std::to_string(dy - hy);
    }

    std::unique_ptr<ChildProcess> source;
};

TEST_F(DropE2eTest, AnEntryDroppedOnAnEmptyRingSlotTakesItAndFilesMoveIntoAFolderSlot) {
    addApp("dropped-app");
    const fs::path inbox = root / "Inbox", from = root / "from";
    fs::create_directories(inbox);
    fs::create_directories(from);
    std::ofstream(inbox / "a.txt") << "already here";
    std::ofstream(from / "a.txt") << "dropped a";
    std::ofstream(from / "b.txt") << "dropped b";
    write("mainReticleSpec", "-string", "{\"id\":0," + slot("t", inbox.string(), 1) + "}");
    write("lastVersion", "-string", "1");
    write("reticleFlags", "-int", "1572864");
    start();

    // One desktop entry on the empty slot r: copy, and the slot is the entry's application.
    const std::string entry = "file://" + (applications() / "dropped-app.desktop").string();
    ASSERT_TRUE(dragOntoSlot({entry}, "84 0", "copy"));
    EXPECT_EQ(drop(), "copy");
    ASSERT_TRUE(poll([&] { return panels().find(slot("r", "dropped-app")) != std::string::npos; }))
        << panels();
    release();
    expectRan(nullptr); // the drop cleared the selection: releasing ran nothing

    // Two files on the folder slot t, one name taken there: the free one moves at once, the
    // prompt's "Keep Both" (the first button of its bottom row) moves the other as "a copy.txt".
    ASSERT_TRUE(
        dragOntoSlot({"file://" + (from / "a.txt").string(), "file://" + (from / "b.txt").string()},
                     "0 -84", "move"));
    EXPECT_EQ(drop(), "move");
    ASSERT_TRUE(waitUntil([&] { return fs::exists(inbox / "b.txt"); }, 20s));
    const Completed prompt = xdotool("search --sync --onlyvisible --name '^Item Already Exists$' "
                                     "getwindowgeometry --shell");
    int left, top, width, height;
    ASSERT_EQ(std::sscanf(prompt.output.c_str(), "WINDOW=%*u X=%d Y=%d WIDTH=%d HEIGHT=%d", &left,
                          &top, &width, &height),
              4)
        << prompt.output;
    ASSERT_EQ(xdotool("mousemove " + std::to_string(left + 50) + " " +
                      std::to_string(top + height - 25) + " click 1")
                  .status,
              0);
    ASSERT_TRUE(waitUntil([&] { return fs::exists(inbox / "a copy.txt"); }, 20s));
    EXPECT_EQ(contents(inbox / "a.txt"), "already here");
    EXPECT_EQ(contents(inbox / "a copy.txt"), "dropped a");
    EXPECT_EQ(contents(inbox / "b.txt"), "dropped b");
    EXPECT_TRUE(fs::is_empty(from)) << "both moved, none copied";
    release();
}

/// An X screenshot of a rectangle: width, height and RGB bytes.
struct Shot {
    int width = 0, height = 0;
    std::string rgb;
    std::array<unsigned char, 3> at(int x, int y) const {
        const std::size_t i = 3 * (std::size_t(y) * std::size_t(width) + std::size_t(x));
        return {static_cast<unsigned char>(rgb[i]), static_cast<unsigned char>(rgb[i + 1]),
                static_cast<unsigned char>(rgb[i + 2])};
    }
};

TEST_F(DropE2eTest, TheReticleStaysOnScreenAndWithoutACompositorIsPaintedOnlyOnItsSlots) {
    for (const char* id : {"app-t", "app-l", "app-r", "app-b", "app-tl", "app-br"})
        addApp(id);
    std::string spec = "{\"id\":0";
    for (const char* position : {"t", "l", "r", "b", "tl", "br"})
        spec += "," + slot(position, "app-" + std::string(position));
    write("mainReticleSpec", "-string", spec + "}");
    write("lastVersion", "-string", "1");
    write("reticleFlags", "-int", "1572864");
    // A checkered desktop, so that what shows through can be told from black. (display answers
    // 1 even when it has set the picture.)
    const std::string desktop = (root / "desktop.png").string();
    ASSERT_EQ(run({"convert", "-size", "1280x800", "pattern:checkerboard", desktop}).status, 0);
    run({"display", "-window", "root", desktop});
    start();

    // At 5,5 the panel is pushed into the screen's corner; 100 px down and right of the cursor is
    // still up and left of the panel's real centre, which directions are measured from.
    int left, top, width, height;
    const auto summon = [&](const std::string& at) {
        const Completed held = xdotool("mousemove " + at +
                                       " keydown Super_L Alt_L search --sync "
                                       "--onlyvisible" +
                                       reticle + " getwindowgeometry --shell");
        return std::sscanf(held.output.c_str(), "WINDOW=%*u X=%d Y=%d WIDTH=%d HEIGHT=%d", &left,
                           &top, &width, &height) == 4;
    };
    ASSERT_TRUE(summon("5 5"));
    EXPECT_EQ(left, 0);
    EXPECT_EQ(top, 0);
    ASSERT_EQ(xdotool("mousemove_relative --sync 100 100").status, 0);
    release();
    expectRan("app-tl");

    // 400×400 around the cursor at 640,400, before and while the reticle is open there.
    const auto grab = [&](const std::string& name) {
        const fs::path file = root / (name + ".ppm");
        EXPECT_EQ(run({"import", "-window", "root", "-crop", "400x400+440+200", "+repage", "-depth",
                       "8", file.string()})
                      .status,
                  0);
        Shot shot;
        std::ifstream in(file, std::ios::binary);
        std::string magic;
        int depth = 0;
        in >> magic >> shot.width >> shot.height >> depth;
        in.get();
        shot.rgb.assign(std::istreambuf_iterator<char>(in), {});
        EXPECT_EQ(shot.rgb.size(), 3u * 400 * 400) << magic;
        return shot;
    };
    ASSERT_EQ(xdotool("mousemove 640 400").status, 0);
    const Shot empty = grab("empty");
    ASSERT_TRUE(summon("640 400"));
    left -= 440, top -= 200;
    const auto differing = [&](const Shot& shot) {
        int count = 0;
        for (int y = 0; y < 400; ++y)
            for (int x = 0; x < 400; ++x)
                count += shot.at(x, y) != empty.at(x, y);
        return count;
    };
    // Painted once the slots' pictures change more than a tenth of the panel's area.
    Shot open;
    ASSERT_TRUE(poll([&] { return differing(open = grab("open")) > width * height / 10; }))
        << differing(open) << " pixels differ";
    // Cut to its slots: the corners and the empty centre show the desktop.
    for (const auto& [x, y] : {std::pair{1, 1},
                               {width - 2, 1},
                               {1, height - 2},
                               {width - 2, height - 2},
                               {width / 2, height / 2}}) {
        SCOPED_TRACE(testing::Message() << x << "," << y);
        EXPECT_EQ(open.at(left + x, top + y), empty.at(left + x, top + y));
    }
    release();
}

} // namespace
} // namespace zentrivo::e2e
