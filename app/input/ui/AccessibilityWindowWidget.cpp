#include "AccessibilityWindowWidget.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <utility>

namespace zentrivo {
namespace {

QIcon iconFor(const std::optional<std::string>& icon) {
    if (!icon)
        return QGuiApplication::windowIcon();
    const QString name = QString::fromStdString(*icon);
    return QFile::exists(name) ? QIcon(name) : QIcon::fromTheme(name);
}

QString nameFor(const std::optional<std::string>& appName) {
    return appName ? QString::fromStdString(*appName) : QGuiApplication::applicationDisplayName();
}

/// Wraps `label`'s text (in its final font) at `width`. The column's layout would otherwise size
/// the label's height for the column's wider width and cut off the lines beyond.
void wrapAt(QLabel* label, int width) {
    label->setWordWrap(true);
    label->setFixedWidth(width);
    label->setMinimumHeight(label->heightForWidth(width));
}

void makeSecondary(QLabel* label) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, palette.color(QPalette::PlaceholderText));
    label->setPalette(palette);
}

} // namespace

AccessibilityWindowWidget::AccessibilityWindowWidget(const AccessibilityPromptContent& content,
                                                     std::function<void()> quit, QWidget* parent)
    : QWidget(parent, Qt::Window), behavior(content.closeBehavior), quit(std::move(quit)) {
    Qt::WindowFlags flags =
        Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowMinimizeButtonHint;
    if (behavior != CloseBehavior::notClosable)
        flags |= Qt::WindowCloseButtonHint;
    setWindowFlags(flags);
    // The window speaks through its content; the title bar stays empty.
    setWindowTitle(QString());

    auto* outer = new QVBoxLayout(this);
    outer->setSpacing(20);
    outer->setContentsMargins(0, 30, 0, 0);
    outer->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    setMinimumWidth(minimumContentWidth);

    auto* inner = new QVBoxLayout;
    inner->setContentsMargins(20, 0, 20, 10);
    inner->setSpacing(14);
    inner->setAlignment(Qt::AlignHCenter);
    outer->addLayout(inner);

    const QIcon icon = iconFor(content.icon);
    if (!icon.isNull()) {
        auto* image = new QLabel(this);
        image->setObjectName("icon");
        image->setFixedSize(iconSize, iconSize);
        // Small sources are scaled up: the image always fills its 80 × 80 box.
        image->setPixmap(
            icon.pixmap(iconSize, iconSize)
                .scaled(iconSize, iconSize, Qt::KeepAspectRatio, Qt::SmoothTransformation));
        image->setAlignment(Qt::AlignCenter);
        inner->addWidget(image, 0, Qt::AlignHCenter);
    }

    const QString name = nameFor(content.appName);
    if (!name.isEmpty()) {
        QLabel* title = addLabel(QStringLiteral("Authorize ") + name, "title");
        QFont font = title->font();
        font.setPointSize(titleFontSize);
        title->setFont(font);
        inner->addWidget(title, 0, Qt::AlignHCenter);
    }

    QLabel* message = addLabel(QString::fromStdString(content.message), "message");
    wrapAt(message, messageWidth);
    makeSecondary(message);
    inner->addWidget(message, 0, Qt::AlignHCenter);

    QLabel* instruction = addLabel(QString::fromUtf8(instructionText), "instruction");
    QFont small = instruction->font();
    small.setPointSize(instructionFontSize);
    instruction->setFont(small);
    wrapAt(instruction, instructionWidth);
    makeSecondary(instruction);
    inner->addWidget(instruction, 0, Qt::AlignHCenter);

    QLabel* commandLabel = addLabel(QString::fromUtf8(command), "command");
    commandLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    commandLabel->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // Wrapped for reading only: selecting or copying it gives the one-line command.
    wrapAt(commandLabel, messageWidth);
    inner->addWidget(commandLabel, 0, Qt::AlignHCenter);

    auto* copy = new QPushButton(QString::fromUtf8(copyButtonTitle), this);
    copy->setObjectName("copyCommand");
    connect(copy, &QPushButton::clicked, this,
            [] { QGuiApplication::clipboard()->setText(QString::fromUtf8(command)); });
    inner->addWidget(copy, 0, Qt::AlignHCenter);

    if (!name.isEmpty())
        inner->addWidget(addLabel(QStringLiteral("Enable ") + name, "enable"), 0, Qt::AlignHCenter);

    auto* gap = new QWidget(this);
    gap->setObjectName("bottomGap");
    gap->setFixedHeight(5);
    inner->addWidget(gap);
}

QLabel* AccessibilityWindowWidget::addLabel(const QString& text, const char* objectName) {
    auto* label = new QLabel(text, this);
    label->setObjectName(QString::fromUtf8(objectName));
    label->setAlignment(Qt::AlignCenter);
    return label;
}

void AccessibilityWindowWidget::present() {
    closingForGood = false;
    adjustSize();
    centreOnScreen();
    show();
    // The window manager's frame is known only once shown: centre again with it.
    centreOnScreen();
    raise();
    activateWindow();
}

void AccessibilityWindowWidget::centreOnScreen() {
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}

void AccessibilityWindowWidget::closeForGood() {
    closingForGood = true;
    close();
}

void AccessibilityWindowWidget::closeEvent(QCloseEvent* event) {
    if (closingForGood || behavior == CloseBehavior::closable) {
        event->accept();
        return;
    }
    // No close button under notClosable, but the window manager may still ask to close.
    event->ignore();
    if (behavior == CloseBehavior::closeWillQuit && quit)
        quit();
}

} // namespace zentrivo
