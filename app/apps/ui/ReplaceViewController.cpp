#include "ReplaceViewController.h"

#include "MasterReplaceViewController.h"
#include "app/apps/FileUtil.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace zentrivo {
namespace {

/// Buttons of one size at fixed places, so that each stays where the hand expects it (and where
/// a script finds it), whatever the font makes of the texts.
QPushButton* button(const char* text, const char* objectName, QWidget* parent) {
    auto* b = new QPushButton(QString::fromUtf8(text), parent);
    b->setObjectName(QString::fromUtf8(objectName));
    b->setAccessibleName(QString::fromUtf8(text));
    b->setAutoDefault(false);
    b->setFixedSize(110, 30);
    return b;
}

} // namespace

ReplaceViewController::ReplaceViewController(MasterReplaceViewController& master,
                                             std::vector<std::filesystem::path> fileUrls,
                                             ReplacePromptPresenter::Callback callback)
    : master(master), fileUrls(std::move(fileUrls)), callback(std::move(callback)) {
    setObjectName(QStringLiteral("ReplaceViewController"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->setSpacing(12);

    auto* message = new QHBoxLayout;
    message->setSpacing(12);
    auto* icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(48, 48));
    icon->setAlignment(Qt::AlignTop);
    message->addWidget(icon);
    textField = new QLabel(this);
    textField->setObjectName(QStringLiteral("textField"));
    // A file name is text to show, never markup to interpret.
    textField->setTextFormat(Qt::PlainText);
    textField->setWordWrap(true);
    textField->setFixedWidth(360);
    textField->setTextInteractionFlags(Qt::TextSelectableByMouse);
    message->addWidget(textField, 1);
    layout->addLayout(message);

    applyAllButton = new QCheckBox(QStringLiteral("Apply to All"), this);
    applyAllButton->setObjectName(QStringLiteral("applyAllButton"));
    applyAllButton->setAccessibleName(QStringLiteral("Apply to All"));
    layout->addWidget(applyAllButton);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(12);
    keepBothButton = button("Keep Both", "keepBothButton", this);
    stopButton = button("Stop", "stopButton", this);
    replaceButton = button("Replace", "replaceButton", this);
    buttons->addWidget(keepBothButton);
    buttons->addStretch(1);
    buttons->addWidget(stopButton);
    buttons->addWidget(replaceButton);
    layout->addLayout(buttons);

    connect(keepBothButton, &QPushButton::clicked, this, [this] { keepBoth(); });
    connect(stopButton, &QPushButton::clicked, this, [this] { stop(); });
    connect(replaceButton, &QPushButton::clicked, this, [this] { replace(); });
    showFirstItem();
}

QString ReplaceViewController::question(const std::filesystem::path& name) {
    return QStringLiteral("An item named \"") +
           QString::fromStdString(FileUtil::displayName(name)) +
           QStringLiteral("\" already exists in this location. Do you want to replace it with the "
                          "one you're moving?");
}

void ReplaceViewController::showFirstItem() {
    if (fileUrls.empty()) {
        master.remove(this);
        return;
    }
    applyAllButton->setVisible(fileUrls.size() != 1);
    textField->setText(question(fileUrls.front().filename()));
}

void ReplaceViewController::keepBoth() {
    decide(ReplaceResponse::keepBoth);
}
void ReplaceViewController::replace() {
    decide(ReplaceResponse::replace);
}

void ReplaceViewController::stop() {
    if (callback)
        callback(ReplaceResponse::stop, {});
    master.remove(this);
}

void ReplaceViewController::decide(ReplaceResponse response) {
    if (fileUrls.empty())
        return;
    const bool all = applyAllButton->isVisible() && applyAllButton->isChecked();
    std::vector<std::filesystem::path> chosen;
    if (all) {
        chosen = fileUrls;
    } else {
        chosen.push_back(fileUrls.front());
        fileUrls.erase(fileUrls.begin());
    }
    if (callback)
        callback(response, chosen);
    if (!all && !fileUrls.empty())
        showFirstItem();
    else
        master.remove(this);
}

} // namespace zentrivo
