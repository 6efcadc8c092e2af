#include "app/UserGuide.h"

#include <QDir>
#include <QFileInfo>

namespace tessel {

QStringList UserGuidePlaces(const QString& executablePath) {
    // TESSEL_GUIDE_FROM_BIN: the documentation folder as seen from the
    // programs' folder in the installed tree.
    const QString folder = QFileInfo(executablePath).absolutePath();
    return {QDir::cleanPath(folder + QStringLiteral("/" TESSEL_GUIDE_FROM_BIN "/README.md")),
            QStringLiteral(TESSEL_SOURCE_README)};
}

QString FindUserGuide(const QStringList& places) {
    for (const QString& place : places)
        if (QFileInfo(place).isFile())
            return place;
    return {};
}

} // namespace tessel
