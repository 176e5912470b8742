#include "QtReplacePromptPresenter.h"

#include "MasterReplaceViewController.h"
#include "ReplaceViewController.h"

namespace zentrivo {

QtReplacePromptPresenter::~QtReplacePromptPresenter() {
    delete master.data();
}

void QtReplacePromptPresenter::showReplacePrompt(const std::vector<std::filesystem::path>& items,
                                                 Callback callback) {
    if (items.empty())
        return;
    if (!master) {
        master = new MasterReplaceViewController([this] {
            // Released once control is back in the event loop: the last click is still running.
            if (MasterReplaceViewController* window = master.data()) {
                master.clear();
                window->deleteLater();
            }
        });
    }
    master->add(new ReplaceViewController(*master, items, std::move(callback)));
    master->show();
    master->raise();
    master->activateWindow();
}

} // namespace zentrivo
