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
#include <QTemporaryDir>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/xattr.h>

namespace zentrivo {
namespace {

/// Sets an environment variable for the life of the guard.
struct ScopedEnv {
    ScopedEnv(const char* name, const QString& value) : name(name), old(qgetenv(name)) {
        qputenv(name, QFile::encodeName(value));
    }
    ~ScopedEnv() { old.isNull() ? qunsetenv(name) : qputenv(name, old); }
    const char* name;
    QByteArray old;
};

QImage render(const QIcon& icon) {
    return icon.pixmap(70, 70).toImage().convertToFormat(QImage::Format_ARGB32);
}

class SlotIconsTest : public ::testing::Test {
protected:
    SlotIconsTest() {
        SlotIcons::installFallbackTheme();
        QPixmap pixmap(70, 70);
        pixmap.fill(Qt::white);
        white = QIcon(pixmap);
    }
    QString path(const QString& name, bool folder = false) {
        if (folder)
            QDir(dir.path()).mkpath(name);
        else
            std::ofstream(dir.filePath(name).toStdString()) << "x";
        return dir.filePath(name);
    }
    bool setTags(const QString& file, const std::string& value) {
        return setxattr(QFile::encodeName(file).constData(), "user.xdg.tags", value.data(),
                        value.size(), 0) == 0;
    }

    QTemporaryDir dir;
    QIcon white;
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

TEST_F(SlotIconsTest, InitialsAreDrawnInTheAppearancesBlueCentredBelowTheMiddleOnlyForAcronym) {
    const std::string folder = path("Project Files", true).toStdString();
    const std::tuple<bool, FolderLabel, QColor> rows[] = {
        {false, FolderLabel::acronym, QColor(65, 151, 218)},
        {true, FolderLabel::acronym, QColor(50, 136, 203)},
        {false, FolderLabel::off, QColor()},
        {false, FolderLabel::truncatedName, QColor()},
    };
    for (const auto& [dark, setting, color] : rows) {
        SCOPED_TRACE(testing::Message() << dark << " " << int(setting));
        defaults.folderLabel.set(setting);
        const QImage image = render(icons.folderLabeled(folder, white, true, dark));
        QRect ink; // the pixels other than the white icon
        int solid = 0;
        for (int y = 0; y < 70; ++y)
            for (int x = 0; x < 70; ++x) {
                ink |= image.pixelColor(x, y) != QColor(Qt::white) ? QRect(x, y, 1, 1) : QRect();
                solid += color.isValid() && image.pixelColor(x, y) == color;
            }
        EXPECT_EQ(ink.isNull(), !color.isValid()) << "off and truncatedName: only the icon";
        if (ink.isNull())
            continue;
        EXPECT_GT(solid, 40) << "the glyphs' stems are the label colour";
        // Centred horizontally; the text's centre 70 / 2.1 = 33.3 above the bottom edge.
        EXPECT_NEAR((ink.left() + ink.right() + 1) / 2.0, 35.0, 1.0);
        EXPECT_NEAR((ink.top() + ink.bottom() + 1) / 2.0, 70 - 33.3, 1.0);
        EXPECT_TRUE(ink.height() >= 17 && ink.height() <= 22) << "size 26: " << ink.height();
    }
}

TEST_F(SlotIconsTest, OnlyFoldersShowingThePlainFolderIconGetInitials) {
    const QString home = path("home", true);
    path("home/.config", true);
    std::ofstream((home + "/.config/user-dirs.dirs").toStdString())
        << "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\nXDG_DOWNLOAD_DIR=\"$HOME/Downloads\"\n";
    const ScopedEnv homeEnv("HOME", home), configEnv("XDG_CONFIG_HOME", home + "/.config");
    std::ofstream((path("Dotted", true) + "/.directory").toStdString())
        << "[Desktop Entry]\nIcon=folder-red\n";
    std::ofstream(path("editor.desktop").toStdString())
        << "[Desktop Entry]\nType=Application\nName=Editor\nIcon=folder-red\n";

    const std::pair<QString, bool> rows[] = {
        {path("Plain Folder", true), true},
        {path("home/Projects", true), true},
        {dir.filePath("Dotted"), false},   // Icon= in its .directory
        {path("gio-custom", true), false}, // a file manager's custom icon
        {home, false},                     // the user folders have icons of their own
        {path("home/Dokumente", true), false},
        {path("home/Downloads", true), false},
        {path("notes.txt"), false},
        {dir.filePath("editor.desktop"), false},
    };
    for (const auto& [file, standard] : rows) {
        SCOPED_TRACE(file.toStdString());
        const auto base = icons.baseIcon(file.toStdString());
        EXPECT_FALSE(base.icon.isNull());
        EXPECT_EQ(base.standardFolder, standard);
        // The label is drawn at paint time: with it switched off only the base icon remains.
        const QIcon image = icons.icon(Action{file.toStdString(), ActionType::file}, false);
        defaults.folderLabel.set(FolderLabel::acronym);
        const QImage labelled = render(image);
        defaults.folderLabel.set(FolderLabel::off);
        EXPECT_EQ(labelled != render(image), standard);
    }
}

TEST_F(SlotIconsTest, TagDotsLeftmostFromTheLastTagWithAShadowAndOnlyReadFailuresLogged) {
    const QString file = path("tagged.txt");
    if (!setTags(file, "Red,Green,Project"))
        GTEST_SKIP() << "no user extended attributes in " << dir.path().toStdString();
    const QColor white(Qt::white), red(0xe0, 0x1b, 0x24), green(0x33, 0xd1, 0x7a);
    const auto dots = [&](const QString& f) {
        return render(icons.tagged(f.toStdString(), this->white, false));
    };
    // Dot i is a circle of diameter 10 at x = 8i + 2.5, 6 above the bottom: centre row 59.
    const QImage image = dots(file);
    EXPECT_EQ(image.pixelColor(7, 59), green) << "the last coloured tag leftmost";
    EXPECT_EQ(image.pixelColor(15, 59), red);
    EXPECT_EQ(image.pixelColor(11, 59), green) << "the overlap belongs to the left dot";
    EXPECT_LT(image.pixelColor(13, 59).red(), image.pixelColor(17, 59).red())
        << "the left dot's shadow falls on its right neighbour";
    EXPECT_EQ(image.pixelColor(21, 59), white) << "the rightmost dot casts no shadow";
    EXPECT_EQ(image.pixelColor(7, 50), white) << "nothing above the dots";
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
    const std::string appPath = path("app.desktop").toStdString();
    const Action app{"app", ActionType::app},
        folder{path("A", true).toStdString(), ActionType::file};
    EXPECT_TRUE(icons.icon(app, false).isNull()) << "not installed";
    workspace.installed["app"] = appPath;
    EXPECT_FALSE(icons.icon(app, false).isNull()) << "installed since: found at the next lookup";
    workspace.installed.erase("app");
    EXPECT_FALSE(icons.icon(app, false).isNull()) << "a cached image is never evicted by a lookup";
    EXPECT_TRUE(icons.icon(Action::lastApp(), false).isNull());
    EXPECT_TRUE(icons.icon(Action{"app", ActionType::runningApp}, false).isNull());

    ReticleSpec spec;
    spec.tl = folder, spec.br = app, spec.t = Action::lastApp();
    spec.c = Action{path("C", true).toStdString(), ActionType::file};
    icons.rebuildIcons(spec, false);
    EXPECT_TRUE(icons.isCached(folder));
    EXPECT_FALSE(icons.isCached(app)) << "uninstalled: the rebuild finds nothing";
    EXPECT_FALSE(icons.isCached(*spec.c)) << "the centre is left to the per-slot lookup";
    EXPECT_FALSE(icons.isCached(Action::lastApp()));
}

} // namespace
} // namespace zentrivo
