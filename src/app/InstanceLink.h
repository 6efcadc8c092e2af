#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QLocalSocket;

namespace tessel {

// The link between starts of the desktop program that share a settings file:
// the first start listens, and a later one hands it the files it was asked
// to open and ends, so that one program (one main window, one writer of the
// settings) serves them all. The link is a local socket in a folder that
// only the user can reach (sys::PrivateRuntimeFolder), and a later start
// hands its files only to a program of the same user's that greets it and
// then says it took them.
class InstanceLink : public QObject {
    Q_OBJECT

public:
    // The link of the programs that use the settings file at `settingsPath`.
    explicit InstanceLink(const QString& settingsPath, QObject* parent = nullptr);

    // Hands `files` (absolute paths; none to bring it to the front) to the
    // program that runs already, within two seconds. False when none runs,
    // when what listens is no program of this user's or does not answer as
    // one, and when there is no private folder for the link.
    bool HandOver(const QStringList& files);
    // Serves later starts: `open` gets the files of each. False when the
    // link cannot be set up (the program then runs on its own).
    using OpenFiles = std::function<void(const QStringList& files)>;
    bool Listen(OpenFiles open);

    // The socket's path; empty when there is no link.
    const QString& Name() const { return m_name; }

private:
    // A later start's list of files, as it arrives on `socket`.
    void Receive(QLocalSocket& socket);

    QString m_name;
    QLocalServer m_server;
    OpenFiles m_open;
};

} // namespace tessel
