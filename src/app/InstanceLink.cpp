#include "app/InstanceLink.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QFileInfo>
#include <QLocalSocket>

#include <unistd.h>

namespace tessel {
namespace {

constexpr int kWaitMs = 2000;

} // namespace

CInstanceLink::CInstanceLink(const QString& settingsPath, QObject* parent) : QObject(parent) {
    // One name per user and settings file, short enough for a socket path.
    const QByteArray key = QFileInfo(settingsPath).absoluteFilePath().toUtf8() + '\0' +
                           QByteArray::number(static_cast<qulonglong>(::getuid()));
    m_name = QStringLiteral("tessel-") +
             QString::fromLatin1(
                 QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(24));
}

bool CInstanceLink::HandOver(const QStringList& files) {
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(kWaitMs))
        return false;
    QByteArray message;
    QDataStream out(&message, QIODevice::WriteOnly);
    out << files;
    socket.write(message);
    const bool sent = socket.waitForBytesWritten(kWaitMs);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(kWaitMs);
    return sent;
}

bool CInstanceLink::Listen(OpenFiles open) {
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
            connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
                QStringList files;
                QDataStream in(socket->readAll());
                in >> files;
                socket->deleteLater();
                if (in.status() == QDataStream::Ok && m_open)
                    m_open(files);
            });
        }
    });
    return true;
}

} // namespace tessel
