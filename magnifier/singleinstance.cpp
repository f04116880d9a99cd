#include "magnifier/singleinstance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

namespace lensor
{

namespace
{
const QByteArray kQuery = "multiple?\n";
}

SingleInstance::SingleInstance(QString name, QObject* parent)
    : QObject(parent), m_name(std::move(name))
{
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::defaultName()
{
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty())
        return runtime + QStringLiteral("/lensor.socket");
    // No runtime folder (Windows, or a bare session): one name per user.
    const QString user = qEnvironmentVariable("USER", qEnvironmentVariable("USERNAME"));
    return QStringLiteral("lensor-") + user;
}

std::optional<bool> SingleInstance::askRunningCopy(int timeoutMs) const
{
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(timeoutMs))
        return std::nullopt;
    socket.write(kQuery);
    socket.flush();
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(timeoutMs))
            return std::nullopt;
    }
    return socket.readLine().trimmed() == "1";
}

bool SingleInstance::listen()
{
    if (m_server)
        return true;
    auto* server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(m_name)) {
        // A socket left behind by a copy that crashed: nobody answers on it.
        if (askRunningCopy(200)) {
            delete server;
            return false;
        }
        QLocalServer::removeServer(m_name);
        if (!server->listen(m_name)) {
            delete server;
            return false;
        }
    }
    m_server = server;
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::answer);
    return true;
}

void SingleInstance::answer()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine())
                return;
            socket->readAll();
            socket->write(m_multiple ? "1\n" : "0\n");
            socket->flush();
            if (!m_multiple)
                emit restoreRequested();
        });
    }
}

} // namespace lensor
