#include "CloudImportMessageBox.h"

#include <QMessageBox>
#include <QPushButton>

namespace zentrivo {

bool CloudImportMessageBox::askToImportExisting() {
    QMessageBox box;
    box.setIcon(QMessageBox::Warning);
    box.setText(QStringLiteral("Existing iCloud Configuration"));
    box.setInformativeText(
        QStringLiteral("Do you want to import your existing iCloud configuration?"));
    QPushButton* yes = box.addButton(QStringLiteral("Yes"), QMessageBox::AcceptRole);
    box.addButton(QStringLiteral("No, upload my current configuration"), QMessageBox::RejectRole);
    box.setDefaultButton(yes);
    box.exec();
    return box.clickedButton() == yes;
}

} // namespace zentrivo
