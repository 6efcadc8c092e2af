#include "app/InstanceLink.h"

#include "sys/Platform.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>

namespace tessel {
namespace {

// The whole hand-over, from connecting to the answer: a running program
// answers at once, and a start that gets no answer by then runs on its own.
constexpr int kWaitMs = 2000;
// What the running program says when a later start connects, and once it
// has taken the files.
constexpr char kGreeting[] = "tessel-link 1\n";
constexpr char kTook[] = "took\n";
// A list of files longer than this is no later start's.
constexpr qint64 kMaxMessage = 1 << 20;

// Waits until `socket` has said `expected`, within `deadline`.
bool Heard(QLocalSocket& socket, const QByteArray& expected, const QDeadlineTimer& deadline) {
    while (socket.bytesAvailable() < expected.size())
        if (deadline.hasExpired() ||
            !socket.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
            return false;
    return socket.read(expected.size()) == expected;
}

bool FromThisUser(const QLocalSocket& socket) {
    return sys::PeerIsThisUser(static_cast<int>(socket.socketDescriptor()));
}

} // namespace

InstanceLink::InstanceLink(const QString& settingsPath, QObject* parent) : QObject(parent) {
    // Where no other user can reach it; without such a place, no link.
    const std::string folder = sys::PrivateRuntimeFolder();
    if (folder.empty())
        return;
    // One name per user and settings file.
    const QByteArray key = QFileInfo(settingsPath).absoluteFilePath().toUtf8() + '\0' +
                           QByteArray::number(sys::UserId());
    m_name = QFile::decodeName(folder.c_str()) + QStringLiteral("/tessel-") +
             QString::fromLatin1(
                 QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(24));
}

bool InstanceLink::HandOver(const QStringList& files) {
    if (m_name.isEmpty())
        return false;
    const QDeadlineTimer deadline(kWaitMs);
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(static_cast<int>(deadline.remainingTime())))
        return false;
    // Only a program of this user's that speaks the link's language hears
    // which files: whatever else listens there learns nothing.
    if (!FromThisUser(socket) || !Heard(socket, QByteArray(kGreeting), deadline)) {
        socket.abort();
        return false;
    }
    QByteArray message;
    QDataStream out(&message, QIODevice::WriteOnly);
    out << files;
    socket.write(message);
    // Taken only once it says so; else this start opens them itself.
    const bool took = socket.waitForBytesWritten(static_cast<int>(deadline.remainingTime())) &&
                      Heard(socket, QByteArray(kTook), deadline);
    socket.abort();
    return took;
}

bool InstanceLink::Listen(OpenFiles open) {
    if (m_name.isEmpty())
        return false;
    m_open = std::move(open);
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server.listen(m_name)) {
        // A socket left by a program that is gone: nobody took a hand-over.
        QLocalServer::removeServer(m_name);
        if (!m_server.listen(m_name))
            return false;
    }
    connect(&m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server.nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            if (!FromThisUser(*socket)) {
                socket->abort();
                socket->deleteLater();
                continue;
            }
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] { Receive(*socket); });
            socket->write(kGreeting);
        }
    });
    return true;
}

void InstanceLink::Receive(QLocalSocket& socket) {
    QStringList files;
    QDataStream in(&socket);
    in.startTransaction();
    in >> files;
    if (!in.commitTransaction()) {
        // Not all there yet, unless it is no list of files at all.
        if (in.status() == QDataStream::ReadCorruptData || socket.bytesAvailable() > kMaxMessage)
            socket.abort();
        return;
    }
    socket.write(kTook);
    socket.disconnectFromServer();
    if (m_open)
        m_open(files);
}

} // namespace tessel
