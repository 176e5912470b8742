// Slot images: folder initials, tag dots (read from real extended attributes) and the cache,
// checked by the pixels of the drawn 70 × 70 images.
#include "app/reticle/ui/SlotIcons.h"

#include "app/model/ReticleSpec.h"
#include "app/reticle/ui/FolderLabel.h"
#include "app/settings/Defaults.h"
#include "tests/fakes/FakeDefaultsDatabase.h"
#include "tests/fakes/FakeWorkspace.h"
#include "tests/fakes/RecordingLog.h"

#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/xattr.h>

namespace zentrivo {
namespace {

QImage render(const QIcon& icon) {
    return icon.pixmap(70, 70).toImage().convertToFormat(QImage::Format_ARGB32);
}

class SlotIconsTest : public ::testing::Test {
protected:
    SlotIconsTest() { SlotIcons::installFallbackTheme(); }
    QString path(const QString& name, bool folder = false) {
        folder ? QDir(dir.path()).mkpath(name)
               : bool(std::ofstream(dir.filePath(name).toStdString()) << "x");
        return dir.filePath(name);
    }

    QTemporaryDir dir;
    test::FakeDefaultsDatabase db;
    Defaults defaults{db};
    test::FakeWorkspace workspace;
    test::RecordingLog log;
    SlotIcons icons{{workspace, defaults, log, [](const std::string& p) {
                         return p.ends_with("/gio-custom")
                                    ? std::optional<std::string>("folder-red")
                                    : std::nullopt;
                     }}};
};

TEST(FolderAcronymTest, FirstCharactersOfSpaceSeparatedPiecesAtMostTwoCaseKept) {
    const std::pair<const char*, const char*> rows[] = {
        {"Project Files", "PF"}, {"photos", "p"},    {"A B C", "AB"},         {" x y", "xy"},
        {"my  projects", "mp"},  {"Ünï Çode", "ÜÇ"}, {"tab\tseparated", "t"}, {"", ""},
    };
    for (const auto& [name, acronym] : rows)
        EXPECT_EQ(folderLabel::acronym(QString::fromUtf8(name)), QString::fromUtf8(acronym))
            << name;
}

TEST_F(SlotIconsTest, OnlyFoldersShowingThePlainFolderIconGetInitialsInTheAppearancesBlue) {
    const QString home = path("home", true);
    path("home/.config", true);
    std::ofstream((home + "/.config/user-dirs.dirs").toStdString())
        << "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\nXDG_DOWNLOAD_DIR=\"$HOME/Downloads\"\n";
    const QByteArray oldHome = qgetenv("HOME"), oldConfig = qgetenv("XDG_CONFIG_HOME");
    const auto restore = qScopeGuard([&] {
        qputenv("HOME", oldHome);
        oldConfig.isNull() ? qunsetenv("XDG_CONFIG_HOME") : qputenv("XDG_CONFIG_HOME", oldConfig);
    });
    qputenv("HOME", QFile::encodeName(home));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home + "/.config"));
    std::ofstream((path("Dotted", true) + "/.directory").toStdString())
        << "[Desktop Entry]\nIcon=folder-red\n";
    std::ofstream(path("editor.desktop").toStdString())
        << "[Desktop Entry]\nType=Application\nName=Editor\nIcon=folder-red\n";

    // The initials' colour in a light or a dark appearance; none: no initials.
    const QColor light(65, 151, 218), dark(50, 136, 203), none;
    const std::pair<QString, QColor> rows[] = {
        {path("Project Files", true), light},
        {path("home/Plain Folder", true), dark},
        {dir.filePath("Dotted"), none},   // Icon= in its .directory
        {path("gio-custom", true), none}, // a file manager's custom icon
        {home, none},                     // the user folders have icons of their own
        {path("home/Dokumente", true), none},
        {path("home/Downloads", true), none},
        {path("notes.txt"), none},
        {dir.filePath("editor.desktop"), none},
    };
    for (const auto& [file, color] : rows) {
        SCOPED_TRACE(file.toStdString());
        const auto base = icons.baseIcon(file.toStdString());
        EXPECT_FALSE(base.icon.isNull());
        EXPECT_EQ(base.standardFolder, color.isValid());
        // The label is drawn at paint time, and only with the acronym setting.
        const QIcon image = icons.icon(Action{file.toStdString(), ActionType::file}, color == dark);
        defaults.folderLabel.set(FolderLabel::off);
        const QImage plain = render(image);
        defaults.folderLabel.set(FolderLabel::truncatedName);
        EXPECT_EQ(render(image), plain);
        defaults.folderLabel.set(FolderLabel::acronym);
        const QImage labelled = render(image);
        QRect ink; // the pixels the label changed
        int solid = 0;
        for (int y = 0; y < 70; ++y)
            for (int x = 0; x < 70; ++x) {
                const QColor pixel = labelled.pixelColor(x, y);
                ink |= pixel != plain.pixelColor(x, y) ? QRect(x, y, 1, 1) : QRect();
                solid += color.isValid() && pixel == color;
            }
        EXPECT_EQ(ink.isNull(), !color.isValid());
        if (ink.isNull())
            continue;
        EXPECT_GT(solid, 40) << "the glyphs' stems are the label colour";
        // Centred horizontally; the text's centre 70 / 2.1 = 33.3 above the bottom edge.
        EXPECT_NEAR((ink.left() + ink.right() + 1) / 2.0, 35.0, 1.0);
        EXPECT_NEAR((ink.top() + ink.bottom() + 1) / 2.0, 70 - 33.3, 1.0);
        EXPECT_TRUE(ink.height() >= 17 && ink.height() <= 22) << "size 26: " << ink.height();
    }
}

TEST_F(SlotIconsTest, TagDotsLeftmostFromTheLastTagWithAShadowAndOnlyReadFailuresLogged) {
    const QString file = path("tagged.txt");
    const std::string tags = "Red,Green,Project";
    if (setxattr(QFile::encodeName(file).constData(), "user.xdg.tags", tags.data(), tags.size(), 0))
        GTEST_SKIP() << "no user extended attributes in " << dir.path().toStdString();
    QPixmap blank(70, 70);
    blank.fill(Qt::white);
    const QColor white(Qt::white), red(0xe0, 0x1b, 0x24), green(0x33, 0xd1, 0x7a);
    const auto dots = [&](const QString& f) {
        return render(icons.tagged(f.toStdString(), QIcon(blank), false));
    };
    // Dot i is a circle of diameter 10 at x = 8i + 2.5, 6 above the bottom: centre row 59.
    const QImage image = dots(file);
    EXPECT_EQ(image.pixelColor(7, 59), green) << "the last coloured tag leftmost";
    EXPECT_EQ(image.pixelColor(15, 59), red);
    EXPECT_EQ(image.pixelColor(11, 59), green) << "the overlap belongs to the left dot";
    EXPECT_LT(image.pixelColor(13, 59).red(), image.pixelColor(17, 59).red())
        << "the left dot's shadow falls on its right neighbour";
    EXPECT_EQ(image.pixelColor(21, 59), white) << "the rightmost dot casts no shadow";
    defaults.showTags.set(OptionalBool::userDisabled);
    EXPECT_EQ(dots(file).pixelColor(7, 59), white);

    // No tags, and tags that cannot be read (the file is gone): no dots; only the latter logs.
    defaults.showTags.set(OptionalBool::undefined);
    for (const QString& f : {path("plain.txt"), dir.filePath("gone.txt")})
        EXPECT_EQ(dots(f).pixelColor(7, 59), white);
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0].level, LogLevel::error);
    EXPECT_EQ(log.lines[0].message, "unable to get tags");
}

TEST_F(SlotIconsTest, CacheKeepsImagesUntilTheBulkRebuildOfTheNearRing) {
    const Action app{"app", ActionType::app},
        folder{path("A", true).toStdString(), ActionType::file};
    EXPECT_TRUE(icons.icon(app, false).isNull()) << "not installed";
    workspace.installed["app"] = path("app.desktop").toStdString();
    EXPECT_FALSE(icons.icon(app, false).isNull()) << "installed since: found at the next lookup";
    workspace.installed.erase("app");
    EXPECT_FALSE(icons.icon(app, false).isNull()) << "a cached image is never evicted by a lookup";

    ReticleSpec spec;
    spec.tl = folder, spec.br = app;
    spec.c = Action{path("C", true).toStdString(), ActionType::file};
    icons.rebuildIcons(spec, false);
    EXPECT_TRUE(icons.isCached(folder));
    EXPECT_FALSE(icons.isCached(app)) << "uninstalled: the rebuild finds nothing";
    EXPECT_FALSE(icons.isCached(*spec.c)) << "the centre is left to the per-slot lookup";
}

} // namespace
} // namespace zentrivo
