#pragma once
// Runs korvel-tool (or another program of the build) and collects what it said.

#include <QProcess>
#include <QString>
#include <QStringList>

namespace korvel::test
{

struct ToolRun {
    int code = -1;
    QString out;
    QString err;
};

inline ToolRun runProgram(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(60000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromLocal8Bit(p.readAllStandardOutput()),
            QString::fromLocal8Bit(p.readAllStandardError())};
}

} // namespace korvel::test
