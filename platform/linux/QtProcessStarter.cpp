#include "QtProcessStarter.h"

#include <QProcess>
#include <QStringList>

namespace zentrivo::platform {

bool QtProcessStarter::start(const std::filesystem::path& program,
                             const std::vector<std::string>& arguments) {
    QStringList list;
    for (const auto& argument : arguments)
        list << QString::fromStdString(argument);
    // Detached: the started program must outlive this one, which often quits right after.
    return QProcess::startDetached(QString::fromStdString(program.string()), list);
}

} // namespace zentrivo::platform
