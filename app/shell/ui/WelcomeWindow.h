#pragma once

#include <QWidget>

namespace zentrivo {

/// The first-run window: how to summon the reticle, steer it and let go, and where the
/// preferences are. Closing it emits `closed`, on which the program opens the preferences.
class WelcomeWindow final : public QWidget {
    Q_OBJECT
public:
    explicit WelcomeWindow(QWidget* parent = nullptr);

Q_SIGNALS:
    /// The user closed the window (its close button, Escape, or "Open Preferences").
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace zentrivo
