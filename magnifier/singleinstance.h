#pragma once
// One running copy per user unless the operator allows several. The first copy
// claims a lock file before it shows anything and answers later copies over a
// local socket; a later copy asks it whether more copies are allowed. When they
// are not, the running copy comes forward and the new one ends, however close
// together the two were started.

#include <QObject>
#include <QString>

#include <memory>
#include <optional>

class QLocalServer;
class QLockFile;

namespace lensor
{

class SingleInstance : public QObject
{
    Q_OBJECT
public:
    explicit SingleInstance(QString name = defaultName(), QObject* parent = nullptr);
    ~SingleInstance() override;
    // Per user: in the user's runtime folder when there is one.
    static QString defaultName();

    enum class Claim {
        First,         // no other copy runs: this one answers later copies
        OthersAllowed, // another copy runs and allows more
        Refused,       // another copy runs, allows no more, and has come forward
    };
    // Claims the instance; a later copy waits up to timeoutMs for the running
    // one's answer (it answers once its event loop runs).
    Claim claim(int timeoutMs = 10000);
    // The answer given to later copies (First only).
    void setMultiple(bool multiple) { m_multiple = multiple; }

signals:
    // A further copy started while copies are not allowed.
    void restoreRequested();

private:
    // The running copy's "multiple" option, or nothing when no copy answers;
    // surelyRunning keeps trying to connect until the time is up.
    std::optional<bool> askRunningCopy(int timeoutMs, bool surelyRunning) const;
    bool listen();
    void answer();

    QString m_name;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer* m_server = nullptr;
    bool m_multiple = false;
};

} // namespace lensor
