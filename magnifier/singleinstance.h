#pragma once
// One running copy per user unless the operator allows several: a new copy asks
// the running one over a local socket whether more copies are allowed; when
// they are not, the running copy comes forward and the new one ends.

#include <QObject>
#include <QString>

#include <optional>

class QLocalServer;

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

    // The running copy's "multiple" option, or nothing when no copy answers.
    std::optional<bool> askRunningCopy(int timeoutMs = 1000) const;

    // Answers further copies from now on; false when another copy already does.
    bool listen();
    void setMultiple(bool multiple) { m_multiple = multiple; }

signals:
    // A further copy started while copies are not allowed.
    void restoreRequested();

private:
    void answer();

    QString m_name;
    QLocalServer* m_server = nullptr;
    bool m_multiple = false;
};

} // namespace lensor
