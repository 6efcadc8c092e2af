#pragma once

#include <QString>
#include <QStringList>

namespace tessel {

// Where the user's guide (the README) may be, in the order to look: where
// the install puts it for the program at `executablePath`, whatever the
// prefix (bin/tessel finds share/doc/tessel/README.md), then the source
// tree's, for a program run from its build tree.
QStringList UserGuidePlaces(const QString& executablePath);

// The first of `places` that is a file; empty when none is.
QString FindUserGuide(const QStringList& places);

} // namespace tessel
