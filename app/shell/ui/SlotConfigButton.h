#pragma once

#include "app/model/Action.h"
#include "app/model/InstalledApp.h"

#include <QAction>
#include <QFileDialog>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <functional>
#include <optional>
#include <string>
#include <vector>

Q_DECLARE_METATYPE(zentrivo::InstalledApp)

namespace zentrivo {

class BookmarkManager;
class InstalledApps;
class PlatformProfile;
class SlotIcons;
class Workspace;

/// One slot of the preferences window: shows the slot's action as its icon, offers a menu of
/// choices on a click ("-", a file or folder, the last frontmost application, every installed
/// application) and takes one application dropped on it. Every choice is reported through
/// `selectionComplete`; a chosen file or folder keeps a bookmark under the button's bookmark id.
class SlotConfigButton final : public QPushButton {
    Q_OBJECT
public:
    struct Collaborators {
        InstalledApps& installedApps;
        const Workspace& workspace;
        SlotIcons& icons;
        BookmarkManager& bookmarks;
        const PlatformProfile& profile;
    };

    /// The action the button shows: a string value (none: an empty slot) and its type.
    struct SelectedAction {
        std::optional<std::string> stringValue;
        ActionType type = ActionType::app;
        bool operator==(const SelectedAction&) const = default;
    };

    /// Which picture the button shows.
    enum class Image { placeholder, app, file, lastApp };

    using SelectionComplete =
        std::function<void(int tag, std::optional<std::string> stringValue, ActionType type)>;

    /// `tag` is the raw value of the slot's position (1 to 8).
    SlotConfigButton(const Collaborators& collaborators, int tag, QWidget* parent = nullptr);

    int tag() const noexcept { return slotTag; }
    /// The bookmark slot: far buttons get their own ids; without one the tag serves.
    void setId(int newId) { slotId = newId; }
    std::optional<int> id() const noexcept { return slotId; }
    int bookmarkId() const;

    /// Called after every choice with the tag, the chosen value (none empties the slot) and the
    /// type.
    SelectionComplete selectionComplete;

    /// Shows an action the slot holds without reporting it.
    void showAction(const std::optional<std::string>& stringValue, ActionType type);
    /// Sets the slot to `app` (none empties it). A choice whose identifier cannot be saved is
    /// refused with a message, and nothing changes; returns whether it was taken.
    bool chooseApplication(const std::optional<InstalledApp>& app);
    void chooseLastApplication();
    /// Sets the slot to the file or folder at `path` and bookmarks it. A path that cannot be
    /// saved in the panel (not UTF-8) is refused with a message, and nothing changes; returns
    /// whether it was taken.
    bool chooseFile(const std::string& path);
    /// Checks `app` in the menu, adding an item for it when the menu has none. Nothing before the
    /// menu was first opened.
    void markApplication(const InstalledApp& app);

    /// Reads the names of the slot for assistive technologies: "Top left slot" becomes
    /// "Top left slot: Files".
    void setSlotName(const QString& name);

    const SelectedAction& selectedAction() const noexcept { return selected; }
    Image image() const noexcept { return shownImage; }
    bool isReceivingDrag() const noexcept { return receivingDrag; }
    /// The choice menu; null until the first click.
    QMenu* slotMenu() const { return choiceMenu; }
    /// The extra item (the current file, or an application the installed list lacks).
    QAction* additionalMenuItem() const { return extraItem; }
    /// The open-file dialog while it is open.
    QFileDialog* fileDialog() const { return openPanel; }

    /// The file paths a drag carries (local file URLs only).
    static std::vector<std::string> filePaths(const QMimeData& data);
    /// The pictures of an empty slot and of a last-application slot.
    static QIcon placeholderIcon();
    static QIcon lastAppIcon();

protected:
    void paintEvent(QPaintEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void handleAction();
    void buildMenu();
    void handleAppSelection(QAction* sender);
    void handleFileSelection();
    void handleLastAppSelection(QAction* sender);
    QAction* makeAppItem(const InstalledApp& app);
    QAction* makeFileItem(const std::string& path);
    void insertExtraItem(QAction* item);
    void removeAdditionalMenuItem();
    void setAllItemsOff();
    void setImage(Image kind, const QIcon& icon);
    bool refuseUnstorable(const Action& action);
    void updateAccessibleName();
    bool isDark() const;
    QString describe() const;

    Collaborators c;
    int slotTag;
    std::optional<int> slotId;
    SelectedAction selected;
    Image shownImage = Image::placeholder;
    QMenu* choiceMenu = nullptr;
    QAction* extraItem = nullptr;
    QPointer<QFileDialog> openPanel;
    bool receivingDrag = false;
    QString slotName;
};

} // namespace zentrivo
