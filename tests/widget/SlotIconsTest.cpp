// Slot images: folder initials, tag dots (read from real extended attributes) and the cache,
// checked by the pixels of the drawn 70 × 70 images.
#include "app/model/ReticleSpec.h"
#include "app/reticle/ui/FolderLabel.h"
#include "app/reticle/ui/SlotIcons.h"
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
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value)
        : name(name), old(qgetenv(name)), had(qEnvironmentVariableIsSet(name)) {
        qputenv(name, value);
    }
    ~ScopedEnv() {
        if (had)
            qputenv(name, old);
        else
            qunsetenv(name);
    }

private:
    const char* name;
    QByteArray old;
    bool had;
};

QIcon whiteIcon() {
    QPixmap pixmap(70, 70);
    pixmap.fill(Qt::white);
    return QIcon(pixmap);
}

QImage render(const QIcon& icon) {
    return icon.pixmap(70, 70).toImage().convertToFormat(QImage::Format_ARGB32);
}

bool setTags(const QString& path, const std::string& value) {
    return setxattr(QFile::encodeName(path).constData(), "user.xdg.tags", value.data(),
                    value.size(), 0) == 0;
}

class SlotIconsTest : public ::testing::Test {
protected:
    SlotIconsTest() { SlotIcons::installFallbackTheme(); }

    QString makeDir(const QString& name) {
        QDir(dir.path()).mkpath(name);
        return dir.filePath(name);
    }

    QTemporaryDir dir;
    test::FakeDefaultsDatabase db;
    Defaults defaults{db};
    test::FakeWorkspace workspace;
    test::RecordingLog log;
    std::optional<std::string> customIconAnswer;
    SlotIcons icons{{workspace, defaults, log, [this](const std::string& path) {
                         return path.ends_with("/gio-custom") ? customIconAnswer : std::nullopt;
                     }}};
};

TEST(FolderAcronymTest, FirstCharactersOfSpaceSeparatedPiecesAtMostTwoCaseKept) {
    const std::pair<const char*, const char*> rows[] = {
        {"Project Files", "PF"}, {"photos", "p"},      {"A B C", "AB"},
        {" x y", "xy"},          {"my  projects", "mp"}, {"Ünï Çode", "ÜÇ"},
        {"tab\tseparated", "t"}, {"", ""},
    };
    for (const auto& [name, acronym] : rows) {
        SCOPED_TRACE(name);
        EXPECT_EQ(folderLabel::acronym(QString::fromUtf8(name)), QString::fromUtf8(acronym));
    }
}

TEST_F(SlotIconsTest, InitialsAreDrawnInTheAppearancesBlueCentredBelowTheMiddleOnlyForAcronym) {
    const std::string folder = makeDir("Project Files").toStdString();
    const std::tuple<bool, FolderLabel, QColor> rows[] = {
        {false, FolderLabel::acronym, QColor(65, 151, 218)},
        {true, FolderLabel::acronym, QColor(50, 136, 203)},
        {false, FolderLabel::off, QColor()},
        {false, FolderLabel::truncatedName, QColor()},
    };
    for (const auto& [dark, setting, color] : rows) {
        SCOPED_TRACE(testing::Message() << dark << " " << int(setting));
        defaults.folderLabel.set(setting);
        const QImage image = render(icons.folderLabeled(folder, whiteIcon(), true, dark));
        QRect ink; // the pixels other than the white icon
        for (int y = 0; y < 70; ++y)
            for (int x = 0; x < 70; ++x)
                if (image.pixelColor(x, y) != QColor(Qt::white))
                    ink |= QRect(x, y, 1, 1);
        if (!color.isValid()) {
            EXPECT_TRUE(ink.isNull()) << "only the icon";
            continue;
        }
        int solid = 0;
        for (int y = ink.top(); y <= ink.bottom(); ++y)
            for (int x = ink.left(); x <= ink.right(); ++x)
                solid += image.pixelColor(x, y) == color;
        EXPECT_GT(solid, 40) << "the glyphs' stems are the label colour";
        // Centred horizontally; the text's centre 70 / 2.1 = 33.3 above the bottom edge.
        EXPECT_NEAR((ink.left() + ink.right() + 1) / 2.0, 35.0, 1.0);
        EXPECT_NEAR((ink.top() + ink.bottom() + 1) / 2.0, 70 - 33.3, 1.0);
        EXPECT_GE(ink.height(), 17) << "size 26";
        EXPECT_LE(ink.height(), 22);
    }
}

TEST_F(SlotIconsTest, OnlyFoldersShowingThePlainFolderIconGetInitials) {
    const QString home = makeDir("home");
    QDir(home).mkpath(".config");
    std::ofstream((home + "/.config/user-dirs.dirs").toStdString())
        << "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\nXDG_DOWNLOAD_DIR=\"$HOME/Downloads\"\n";
    ScopedEnv homeEnv("HOME", QFile::encodeName(home));
    ScopedEnv configEnv("XDG_CONFIG_HOME", QFile::encodeName(home + "/.config"));
    const QString iconFile = dir.filePath("custom.png");
    QImage(16, 16, QImage::Format_ARGB32).save(iconFile);
    std::ofstream((makeDir("Dotted") + "/.directory").toStdString())
        << "[Desktop Entry]\nIcon=" << iconFile.toStdString() << "\n";
    makeDir("gio-custom");
    customIconAnswer = iconFile.toStdString();
    std::ofstream(dir.filePath("notes.txt").toStdString()) << "x";
    std::ofstream(dir.filePath("editor.desktop").toStdString())
        << "[Desktop Entry]\nType=Application\nName=Editor\nIcon=" << iconFile.toStdString()
        << "\n";

    const std::pair<QString, bool> rows[] = {
        {makeDir("Plain Folder"), true},
        {makeDir("home/Projects"), true},
        {dir.filePath("Dotted"), false},     // Icon= in its .directory
        {dir.filePath("gio-custom"), false}, // a file manager's custom icon
        {home, false},
        {makeDir("home/Dokumente"), false},
        {makeDir("home/Downloads"), false},
        {dir.filePath("notes.txt"), false},
        {dir.filePath("editor.desktop"), false},
    };
    for (const auto& [path, standard] : rows) {
        SCOPED_TRACE(path.toStdString());
        const auto base = icons.baseIcon(path.toStdString());
        EXPECT_FALSE(base.icon.isNull());
        EXPECT_EQ(base.standardFolder, standard);
        // The label is drawn at paint time: with it switched off only the base icon remains.
        const Action action{path.toStdString(), ActionType::file};
        const QIcon image = icons.icon(action, false);
        defaults.folderLabel.set(FolderLabel::acronym);
        const QImage labelled = render(image);
        defaults.folderLabel.set(FolderLabel::off);
        EXPECT_EQ(labelled != render(image), standard);
    }
}

TEST_F(SlotIconsTest, TagDotsRunRightToLeftFromTheLastTagAtMostSevenLeftmostOnTop) {
    const QString file = dir.filePath("tagged.txt");
    std::ofstream(file.toStdString()) << "x";
    if (!setTags(file, "Red,Green,Project"))
        GTEST_SKIP() << "no user extended attributes in " << dir.path().toStdString();
    const QColor white(Qt::white), red(0xe0, 0x1b, 0x24), green(0x33, 0xd1, 0x7a),
        gray(0x77, 0x76, 0x7b);
    // Dot i is a circle of diameter 10 at x = 8i + 2.5, 6 above the bottom: centre row 59.
    QImage image = render(icons.tagged(file.toStdString(), whiteIcon(), false));
    EXPECT_EQ(image.pixelColor(7, 59), green) << "the last coloured tag leftmost";
    EXPECT_EQ(image.pixelColor(15, 59), red);
    EXPECT_EQ(image.pixelColor(11, 59), green) << "the overlap belongs to the left dot";
    EXPECT_LT(image.pixelColor(13, 59).red(), image.pixelColor(17, 59).red())
        << "the left dot's shadow falls on its right neighbour";
    EXPECT_EQ(image.pixelColor(21, 59), white) << "the rightmost dot casts no shadow";
    EXPECT_EQ(image.pixelColor(7, 50), white) << "nothing above the dots";

    ASSERT_TRUE(setTags(file, "Blue,Purple,Red,Orange,Yellow,Green,Blue,Purple,Gray"));
    image = render(icons.tagged(file.toStdString(), whiteIcon(), false));
    EXPECT_EQ(image.pixelColor(7, 59), gray);
    EXPECT_EQ(image.pixelColor(55, 59), red) << "the seventh dot: the third tag";
    EXPECT_EQ(image.pixelColor(63, 59), white) << "no eighth dot";

    defaults.showTags.set(OptionalBool::userDisabled);
    EXPECT_EQ(render(icons.tagged(file.toStdString(), whiteIcon(), false)).pixelColor(7, 59),
              white);
    defaults.showTags.set(OptionalBool::undefined);
    EXPECT_EQ(render(icons.tagged(file.toStdString(), whiteIcon(), false)).pixelColor(7, 59),
              gray);
    EXPECT_TRUE(log.lines.empty());

    // A file without tags, and one whose tags cannot be read (it is gone).
    std::ofstream(dir.filePath("plain.txt").toStdString()) << "x";
    for (const char* name : {"plain.txt", "gone.txt"})
        EXPECT_EQ(render(icons.tagged(dir.filePath(name).toStdString(), whiteIcon(), false))
                      .pixelColor(7, 59),
                  white);
    ASSERT_EQ(log.lines.size(), 1u) << "only the unreadable file is logged";
    EXPECT_EQ(log.lines[0].level, LogLevel::error);
    EXPECT_EQ(log.lines[0].message, "unable to get tags");
}

TEST_F(SlotIconsTest, CacheKeepsImagesUntilTheBulkRebuildOfTheNearRing) {
    const std::string appPath = dir.filePath("app.desktop").toStdString();
    std::ofstream(appPath) << "[Desktop Entry]\nType=Application\nName=App\nExec=true\n";
    const Action app{"app", ActionType::app}, folder{makeDir("A").toStdString(), ActionType::file};

    EXPECT_TRUE(icons.icon(app, false).isNull()) << "not installed";
    EXPECT_FALSE(icons.isCached(app));
    workspace.installed["app"] = appPath;
    EXPECT_FALSE(icons.icon(app, false).isNull()) << "installed since: found at the next lookup";
    workspace.installed.erase("app");
    EXPECT_FALSE(icons.icon(app, false).isNull()) << "a cached image is never evicted by a lookup";
    EXPECT_TRUE(icons.icon(Action::lastApp(), false).isNull());
    EXPECT_TRUE(icons.icon(Action{"app", ActionType::runningApp}, false).isNull());

    ReticleSpec spec;
    spec.tl = folder, spec.br = app, spec.c = Action{makeDir("C").toStdString(), ActionType::file};
    spec.t = Action::lastApp();
    icons.rebuildIcons(spec, false);
    EXPECT_TRUE(icons.isCached(folder));
    EXPECT_FALSE(icons.isCached(app)) << "uninstalled: the rebuild finds nothing";
    EXPECT_FALSE(icons.isCached(*spec.c)) << "the centre is left to the per-slot lookup";
    EXPECT_FALSE(icons.isCached(Action::lastApp()));
}

} // namespace
} // namespace zentrivo
