#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

namespace tessel {

// The link between starts of the desktop program that share a settings file:
// the first start listens, and a later one hands it the files it was asked
// to open and ends, so that one program (one main window, one writer of the
// settings) serves them all.
class CInstanceLink : public QObject {
    Q_OBJECT

public:
    // The link of the programs that use the settings file at `settingsPath`.
    explicit CInstanceLink(const QString& settingsPath, QObject* parent = nullptr);

    // Hands `files` (absolute paths; none to bring it to the front) to the
    // program that runs already. False when none runs.
    bool HandOver(const QStringList& files);
    // Serves later starts: `open` gets the files of each. False when the
    // link cannot be set up (the program then runs on its own).
    using OpenFiles = std::function<void(const QStringList& files)>;
    bool Listen(OpenFiles open);

    const QString& Name() const { return m_name; }

private:
    QString m_name;
    QLocalServer m_server;
    OpenFiles m_open;
};

} // namespace tessel
