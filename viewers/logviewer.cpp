#include "viewers/logviewer.h"

#include "shell/paths.h"
#include "shell/prompt.h"
#include "shell/sharedstate.h"
#include "shell/textfile.h"

namespace korvel
{

bool listsLine(LogKind kind, const QString& line)
{
    return line.endsWith(kind == LogKind::Video ? QStringLiteral("avi") : QStringLiteral("bmp"),
                         Qt::CaseSensitive);
}

QString fileNamedIn(const QString& line)
{
    // The path is the line's last item: a skier named "File:" comes before it.
    const qsizetype at = line.lastIndexOf(QStringLiteral("File:"));
    if (at < 0)
        return {};
    return line.mid(at + 6);
}

LogViewerModel::LogViewerModel(LogKind kind, SharedState& shared, Prompt& prompt,
                               ViewerListener& screens)
    : m_kind(kind), m_shared(shared), m_prompt(prompt), m_screens(screens)
{
}

QString LogViewerModel::defaultLogPath() const
{
    if (m_shared.LogFileName.isEmpty())
        return {};
    return joinPath(m_shared.VideoDir, m_shared.LogFileName);
}

void LogViewerModel::open()
{
    const QString path = defaultLogPath();
    if (PathExists(path, PathKind::File)) {
        showLog(path);
        return;
    }
    m_lines.clear();
}

void LogViewerModel::selectLogFile()
{
    const std::optional<QString> chosen =
        m_prompt.openFile(QStringLiteral("Select a Log File"),
                          QStringLiteral("*.txt|JumpMeasurementLog*.txt"), m_shared.VideoDir);
    if (!chosen)
        return;
    showLog(*chosen);
}

void LogViewerModel::showLog(const QString& path)
{
    m_logPath = path;
    m_lines.clear();
    if (path.isEmpty())
        return;
    QString error;
    const std::optional<QStringList> lines = readLines(path, &error);
    if (!lines) {
        m_prompt.message(QStringLiteral("The log file %1 could not be read: %2").arg(path, error));
        return;
    }
    for (const QString& line : *lines)
        if (listsLine(m_kind, line))
            m_lines << line;
}

QString LogViewerModel::text(LogViewControl c) const
{
    switch (c) {
    case LogViewControl::LogFile:
        return m_logPath;
    case LogViewControl::FileToView:
        return m_fileToView;
    default:
        return controlInitial(c);
    }
}

void LogViewerModel::setText(LogViewControl c, const QString& text)
{
    if (c == LogViewControl::LogFile)
        showLog(text);
    else if (c == LogViewControl::FileToView)
        m_fileToView = text;
}

QString LogViewerModel::text(PictureLogControl c) const
{
    switch (c) {
    case PictureLogControl::LogFile:
        return m_logPath;
    case PictureLogControl::FileToView:
        return m_fileToView;
    default:
        return controlInitial(c);
    }
}

void LogViewerModel::setText(PictureLogControl c, const QString& text)
{
    if (c == PictureLogControl::LogFile)
        showLog(text);
    else if (c == PictureLogControl::FileToView)
        m_fileToView = text;
}

void LogViewerModel::select(int row)
{
    if (row < 0 || row >= m_lines.size())
        return;
    m_fileToView = fileNamedIn(m_lines[row]);
}

bool LogViewerModel::view()
{
    if (m_fileToView.isEmpty())
        return false;
    return handOver(m_fileToView);
}

bool LogViewerModel::activate(int row)
{
    if (row < 0 || row >= m_lines.size())
        return false;
    select(row);
    if (m_kind == LogKind::Picture && m_fileToView.isEmpty())
        return handOver({});
    return view();
}

bool LogViewerModel::handOver(const QString& path)
{
    // The screen taking over decides on arrival from where it was opened.
    if (m_kind == LogKind::Video) {
        m_shared.LastScreen = ScreenTag::View;
        return m_screens.viewVideo(path);
    }
    m_shared.LastScreen = ScreenTag::PictureLog;
    return m_screens.showPictureOnMeasure(path);
}

} // namespace korvel
