#include "WelcomeWindow.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace zentrivo {

WelcomeWindow::WelcomeWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("WelcomeWindowController"));
    setWindowTitle(tr("Welcome to Zentrivo"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 20);
    layout->setSpacing(12);

    auto* title = new QLabel(tr("Welcome to Zentrivo"), this);
    QFont font = title->font();
    font.setPointSizeF(font.pointSizeF() * 1.4);
    font.setBold(true);
    title->setFont(font);
    layout->addWidget(title);

    auto* text = new QLabel(this);
    text->setObjectName(QStringLiteral("welcomeText"));
    text->setWordWrap(true);
    text->setTextFormat(Qt::PlainText);
    text->setText(
        tr("Hold Super+Alt: the reticle appears under your pointer.\n\n"
           "Keep holding them and move the pointer toward a slot to select it; move further out "
           "to reach the far slots.\n\n"
           "Release the keys to open the selected application, file or folder. Release without "
           "selecting anything to do nothing.\n\n"
           "Choose what each slot holds, the keys and the distances in the preferences: open "
           "Zentrivo again from your applications, or use its tray icon."));
    text->setMinimumWidth(380);
    layout->addWidget(text);

    auto* button = new QPushButton(tr("Open &Preferences"), this);
    button->setObjectName(QStringLiteral("openPreferencesButton"));
    button->setDefault(true);
    button->setAccessibleName(tr("Open Preferences"));
    connect(button, &QPushButton::clicked, this, &QWidget::close);
    layout->addWidget(button, 0, Qt::AlignRight);
    setAccessibleName(windowTitle());
}

void WelcomeWindow::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (event->isAccepted())
        Q_EMIT closed();
}

void WelcomeWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace zentrivo
