#include "FolderLabel.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFontMetricsF>
#include <QPainter>
#include <QStandardPaths>
#include <QTextStream>
#include <array>

namespace zentrivo::folderLabel {

QString acronym(const QString& folderName) {
    QString initials;
    for (const QString& piece : folderName.split(QLatin1Char(' '))) {
        if (!piece.isEmpty())
            initials += piece.front();
    }
    return initials.left(2);
}

QColor textColor(bool dark) {
    return dark ? QColor::fromRgbF(0.19607843f, 0.53333333f, 0.79607843f)
                : QColor::fromRgbF(0.25490196f, 0.59215686f, 0.85490196f);
}

void draw(QPainter& painter, const QString& text, bool dark) {
    constexpr double side = 70.0;
    QFont font = QApplication::font();
    font.setPixelSize(26);
    font.setWeight(QFont::DemiBold);
    const QFontMetricsF metrics(font);
    const double textWidth = metrics.horizontalAdvance(text);
    const double textHeight = metrics.height();
    // The text's box, its centre at side / 2.1 above the bottom edge.
    const double x = side * 0.5 - textWidth * 0.5;
    const double top = side - (side / 2.1 - textHeight * 0.5) - textHeight;
    painter.save();
    painter.setFont(font);
    painter.setPen(textColor(dark));
    painter.drawText(QPointF(x, top + metrics.ascent()), text);
    painter.restore();
}

QString specialFolderIconName(const QString& path) {
    const QString clean = QDir::cleanPath(path);
    if (clean == QDir::cleanPath(QDir::homePath()))
        return QStringLiteral("user-home");
    static constexpr std::array<std::pair<QStandardPaths::StandardLocation, const char*>, 8>
        folders{{
            {QStandardPaths::DesktopLocation, "user-desktop"},
            {QStandardPaths::DocumentsLocation, "folder-documents"},
            {QStandardPaths::DownloadLocation, "folder-download"},
            {QStandardPaths::MusicLocation, "folder-music"},
            {QStandardPaths::PicturesLocation, "folder-pictures"},
            {QStandardPaths::MoviesLocation, "folder-videos"},
            {QStandardPaths::TemplatesLocation, "folder-templates"},
            {QStandardPaths::PublicShareLocation, "folder-publicshare"},
        }};
    for (const auto& [location, icon] : folders) {
        const QString special = QStandardPaths::writableLocation(location);
        // An unset user folder falls back to the home folder, which has its own icon above.
        if (!special.isEmpty() && QDir::cleanPath(special) == clean &&
            clean != QDir::cleanPath(QDir::homePath()))
            return QLatin1String(icon);
    }
    return {};
}

QString directoryFileIcon(const QString& folder) {
    QFile file(QDir(folder).filePath(QStringLiteral(".directory")));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QTextStream in(&file);
    bool inEntry = false;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inEntry = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        if (inEntry && line.startsWith(QLatin1String("Icon"))) {
            const auto equals = line.indexOf(QLatin1Char('='));
            if (equals > 0 && line.left(equals).trimmed() == QLatin1String("Icon"))
                return line.mid(equals + 1).trimmed();
        }
    }
    return {};
}

} // namespace zentrivo::folderLabel
