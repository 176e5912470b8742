#include "MasterReplaceViewController.h"

#include "ReplaceViewController.h"

#include <QCloseEvent>
#include <QFrame>
#include <QVBoxLayout>

namespace zentrivo {
namespace {

bool isSeparator(QLayoutItem* item) {
    auto* frame = item ? qobject_cast<QFrame*>(item->widget()) : nullptr;
    return frame && frame->frameShape() == QFrame::HLine;
}

void removeAt(QVBoxLayout* layout, int index) {
    if (QLayoutItem* item = layout->takeAt(index)) {
        if (QWidget* widget = item->widget()) {
            widget->hide();
            widget->deleteLater();
        }
        delete item;
    }
}

} // namespace

MasterReplaceViewController::MasterReplaceViewController(std::function<void()> lastPromptRemoved)
    : lastPromptRemoved(std::move(lastPromptRemoved)) {
    setObjectName(QStringLiteral("MasterReplaceWindowController"));
    setWindowTitle(QString::fromUtf8(title));
    stackView = new QVBoxLayout(this);
    stackView->setContentsMargins(0, 0, 0, 0);
    stackView->setSpacing(0);
    stackView->setAlignment(Qt::AlignTop);
    // The window is exactly as large as its prompts, growing and shrinking with them.
    stackView->setSizeConstraint(QLayout::SetFixedSize);
}

void MasterReplaceViewController::add(ReplaceViewController* prompt) {
    if (!prompts.empty()) {
        auto* separator = new QFrame(this);
        separator->setFrameShape(QFrame::HLine);
        separator->setFrameShadow(QFrame::Sunken);
        stackView->addWidget(separator);
        separator->show();
    }
    prompt->setParent(this);
    stackView->addWidget(prompt);
    prompt->show();
    prompts.push_back(prompt);
}

void MasterReplaceViewController::remove(ReplaceViewController* prompt) {
    const auto found = std::find(prompts.begin(), prompts.end(), prompt);
    if (found == prompts.end())
        return;
    prompts.erase(found);
    const int index = stackView->indexOf(prompt);
    // Separators stay only between prompts: drop the one above, or below for the top prompt.
    if (index > 0 && isSeparator(stackView->itemAt(index - 1))) {
        removeAt(stackView, index);
        removeAt(stackView, index - 1);
    } else {
        removeAt(stackView, index);
        if (isSeparator(stackView->itemAt(index)))
            removeAt(stackView, index);
    }
    if (prompts.empty()) {
        hide();
        if (lastPromptRemoved)
            lastPromptRemoved();
    }
}

void MasterReplaceViewController::closeEvent(QCloseEvent* event) {
    // Closing the window answers every prompt in it with Stop.
    const auto open = prompts;
    for (ReplaceViewController* prompt : open)
        prompt->stop();
    event->accept();
}

} // namespace zentrivo
