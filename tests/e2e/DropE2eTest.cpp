#include "ZentrivoE2eSession.h"

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
    /// at the cursor (300,200) and moves twice by `half` onto a slot, so that the drag crosses
    /// the slot's edge on its way in; true once that slot answered the drag with `answer`.
    bool dragOntoSlot(const Commands& urls, const std::string& half, const std::string& answer) {
        Commands argv{ZENTRIVO_E2E_DRAG_SOURCE};
        argv.insert(argv.end(), urls.begin(), urls.end());
        source = std::make_unique<ChildProcess>(argv, env, root / "drag.log");
        // Separate steps: once the drag runs, the drag source holds the pointer, and xdotool's
        // --sync (which waits to see the pointer arrive) is left waiting.
        for (const std::string& step :
             Commands{"search --sync --onlyvisible --name '^Zentrivo Drag Source$'",
                      "mousemove 280 200 mousedown 1", "mousemove_relative 10 0",
                      "mousemove_relative 10 0",
                      "keydown Super_L Alt_L search --sync --onlyvisible" + reticle,
                      "mousemove_relative -- " + half, "mousemove_relative -- " + half}) {
            const Completed done = xdotool(step);
            EXPECT_EQ(done.status, 0) << step << ": " << done.output;
        }
        return says(*source, "answer: " + answer + "\n");
    }

    /// Drops; true once the drag source reports that the drop ended with `outcome`.
    bool drop(const std::string& outcome) {
        EXPECT_EQ(xdotool("mouseup 1").status, 0);
        return says(*source, "drop: " + outcome + "\n");
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
    write("mainReticleSpec", "-string", panel(0, {slot("t", inbox.string(), 1)}));
    returningUser();
    start();

    // One desktop entry on the empty slot r: copy, and the slot is the entry's application.
    const std::string entry = "file://" + (applications() / "dropped-app.desktop").string();
    ASSERT_TRUE(dragOntoSlot({entry}, "42 0", "copy"));
    EXPECT_TRUE(drop("copy"));
    const auto panels = [&] { return run({ZENTRIVO_E2E_CTL, "panels"}).output; };
    ASSERT_TRUE(poll([&] { return panels().find(slot("r", "dropped-app")) != std::string::npos; }))
        << panels();
    release();
    expectRan(nullptr); // the drop cleared the selection: releasing ran nothing

    // Two files on the folder slot t, one name taken there: the free one moves at once, the
    // prompt's "Keep Both" (the first button of its bottom row) moves the other as "a copy.txt".
    ASSERT_TRUE(
        dragOntoSlot({"file://" + (from / "a.txt").string(), "file://" + (from / "b.txt").string()},
                     "0 -42", "move"));
    EXPECT_TRUE(drop("move"));
    ASSERT_TRUE(waitUntil([&] { return fs::exists(inbox / "b.txt"); }, 20s));
    const auto [left, top, width, height] =
        geometry("search --sync --onlyvisible --name '^Item Already Exists$'");
    ASSERT_GT(height, 0) << "no prompt";
    const std::string keepBoth =
        std::to_string(left + 50) + " " + std::to_string(top + height - 25);
    ASSERT_EQ(xdotool("mousemove " + keepBoth + " click 1").status, 0);
    ASSERT_TRUE(waitUntil([&] { return fs::exists(inbox / "a copy.txt"); }, 20s));
    EXPECT_EQ(contents(inbox / "a.txt") + "|" + contents(inbox / "a copy.txt") + "|" +
                  contents(inbox / "b.txt"),
              "already here|dropped a|dropped b");
    EXPECT_TRUE(fs::is_empty(from)) << "both moved, none copied";
    release();
}

TEST_F(DropE2eTest, TheReticleStaysOnScreenAndWithoutACompositorIsPaintedOnlyOnItsSlots) {
    for (const char* id : {"app-t", "app-l", "app-r", "app-b", "app-tl", "app-br"})
        addApp(id);
    Commands slots;
    for (const char* position : {"t", "l", "r", "b", "tl", "br"})
        slots.push_back(slot(position, "app-" + std::string(position)));
    write("mainReticleSpec", "-string", panel(0, slots));
    returningUser();
    // A checkered desktop, so that what shows through can be told from black. (display answers
    // 1 even when it has set the picture.)
    const std::string desktop = (root / "desktop.png").string();
    ASSERT_EQ(run({"convert", "-size", "1280x800", "pattern:checkerboard", desktop}).status, 0);
    run({"display", "-window", "root", desktop});
    start();

    // At 5,5 the panel is pushed into the screen's corner; 100 px down and right of the cursor is
    // still up and left of the panel's real centre, which directions are measured from.
    const auto summon = [&](const std::string& at) {
        return geometry("mousemove " + at + " keydown Super_L Alt_L search --sync --onlyvisible" +
                        reticle);
    };
    const auto corner = summon("5 5");
    EXPECT_EQ((std::array{corner[0], corner[1]}), (std::array{0, 0}));
    ASSERT_EQ(xdotool("mousemove_relative --sync 100 100").status, 0);
    release();
    expectRan("app-tl");

    // 400×400 around the cursor at 640,400, before and while the reticle is open there: RGB bytes.
    const auto grab = [&] {
        const std::string file = (root / "shot.rgb").string();
        const int status = run({"import", "-window", "root", "-crop", "400x400+440+200", "+repage",
                                "-depth", "8", "rgb:" + file})
                               .status;
        EXPECT_EQ(std::pair(status, contents(file).size()), std::pair(0, 3ul * 400 * 400));
        return contents(file);
    };
    const auto at = [](const std::string& shot, int x, int y) {
        return shot.substr(3 * (y * 400 + x), 3);
    };
    ASSERT_EQ(xdotool("mousemove 640 400").status, 0);
    const std::string empty = grab();
    auto [left, top, width, height] = summon("640 400");
    ASSERT_GT(height, 0) << "no reticle";
    left -= 440, top -= 200;
    const auto differing = [&](const std::string& shot) {
        int count = 0;
        for (std::size_t i = 0; i < shot.size(); i += 3)
            count += shot.compare(i, 3, empty, i, 3) != 0;
        return count;
    };
    // Painted once the slots' pictures change more than a tenth of the panel's area.
    std::string open;
    ASSERT_TRUE(poll([&] { return differing(open = grab()) > width * height / 10; }))
        << differing(open) << " pixels differ";
    // Cut to its slots: the corners and the empty centre show the desktop.
    const int xs[] = {1, width - 2, 1, width - 2, width / 2},
              ys[] = {1, 1, height - 2, height - 2, height / 2};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(at(open, left + xs[i], top + ys[i]), at(empty, left + xs[i], top + ys[i]))
            << xs[i] << "," << ys[i];
    release();
}

} // namespace
} // namespace zentrivo::e2e
