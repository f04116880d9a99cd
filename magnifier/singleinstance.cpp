#include "magnifier/singleinstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QThread>

namespace lensor
{

namespace
{
const QByteArray kQuery = "multiple?\n";

QString lockPath(const QString& name)
{
    if (QDir::isAbsolutePath(name))
        return name + QStringLiteral(".lock");
    return QDir::tempPath() + QLatin1Char('/') + name + QStringLiteral(".lock");
}
} // namespace

SingleInstance::SingleInstance(QString name, QObject* parent)
    : QObject(parent), m_name(std::move(name))
{
}

SingleInstance::~SingleInstance()
{
    // The socket goes before the lock, so a copy that finds the lock free
    // finds no answer left behind either.
    delete m_server;
    m_server = nullptr;
}

QString SingleInstance::defaultName()
{
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty())
        return runtime + QStringLiteral("/lensor.socket");
    // No runtime folder (Windows, or a bare session): one name per user.
    const QString user = qEnvironmentVariable("USER", qEnvironmentVariable("USERNAME"));
    return QStringLiteral("lensor-") + user;
}

SingleInstance::Claim SingleInstance::claim(int timeoutMs)
{
    m_lock = std::make_unique<QLockFile>(lockPath(m_name));
    // Held as long as this copy runs, however long that is; a lock left by a
    // copy that died is taken over.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0)) {
        // A socket left by a copy that died answers nobody: this copy owns the name.
        QLocalServer::removeServer(m_name);
        listen();
        return Claim::First;
    }
    const bool lockedByOther = m_lock->error() == QLockFile::LockFailedError;
    m_lock.reset();
    const std::optional<bool> multiple = askRunningCopy(timeoutMs, lockedByOther);
    if (multiple)
        return *multiple ? Claim::OthersAllowed : Claim::Refused;
    if (!lockedByOther && listen()) // no lock file to be had here: the socket alone
        return Claim::First;
    // A copy holds the lock but does not answer (stopped, or far too busy):
    // this one runs beside it rather than not at all.
    return Claim::OthersAllowed;
}

std::optional<bool> SingleInstance::askRunningCopy(int timeoutMs, bool surelyRunning) const
{
    const QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    // A copy that holds the lock listens a moment after it took it.
    for (;;) {
        socket.connectToServer(m_name);
        if (socket.waitForConnected(int(std::max<qint64>(deadline.remainingTime(), 0))))
            break;
        if (!surelyRunning || deadline.hasExpired())
            return std::nullopt;
        socket.abort();
        QThread::msleep(10);
    }
    socket.write(kQuery);
    socket.flush();
    while (!socket.canReadLine()) {
        if (deadline.hasExpired() ||
            !socket.waitForReadyRead(int(std::max<qint64>(deadline.remainingTime(), 1))))
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
        delete server;
        return false;
    }
    m_server = server;
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::answer);
    return true;
}

void SingleInstance::answer()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        const auto reply = [this, socket] {
            if (!socket->canReadLine())
                return;
            socket->readAll();
            socket->write(m_multiple ? "1\n" : "0\n");
            socket->flush();
            if (!m_multiple)
                emit restoreRequested();
        };
        connect(socket, &QLocalSocket::readyRead, this, reply);
        // The question may have come with the connection.
        reply();
    }
}

} // namespace lensor
