#pragma once
// The two log viewers without their widgets. The measurement log of a day
// holds a line for every program start, every measured video and every saved
// contact picture; a line that names a file ends with "File: " and the path.
// The video log lists the measured videos and opens one for review; the
// picture log lists the saved pictures and opens one on the measure screen.
// Neither changes the log.

#include "shell/controls.h"

#include <QString>
#include <QStringList>

#include <span>

namespace korvel
{

class Prompt;
struct SharedState;

enum class LogKind {
    Video,   // "Log Viewer": lines ending "avi"
    Picture, // "Contact Picture Log": lines ending "bmp"
};

// "Log Viewer" (LogView): the measured videos of a log.
enum class LogViewControl {
    LogFile,       // path of the log shown
    SelectLogFile, // another day's log
    Lines,         // the video lines
    Hint,
    LogFileLabel,
    FileToView, // path taken from the selected line
    View,
    Dismiss,
};
inline constexpr ControlRow<LogViewControl> kLogViewControls[] = {
    {LogViewControl::LogFile, "txtLogFile"},
    {LogViewControl::SelectLogFile, "cmdSelectLogFile", "Select Different Log File"},
    {LogViewControl::Lines, "lstLog"},
    {LogViewControl::Hint, "Label2",
     "Click to Select and use View Selected File button to View or Double Click to view"},
    {LogViewControl::LogFileLabel, "Label1", "Log File to View"},
    {LogViewControl::FileToView, "txtFileToView"},
    {LogViewControl::View, "cmdView", "View Selected File"},
    {LogViewControl::Dismiss, "cmdDismiss", "Exit Log Viewer"},
};
static_assert(controlsInEnumOrder(kLogViewControls));
constexpr std::span<const ControlRow<LogViewControl>> controlTable(LogViewControl)
{
    return kLogViewControls;
}

// "Contact Picture Log" (PictureLogView): the saved contact pictures of a log.
enum class PictureLogControl {
    SelectLogFile,
    LogFile,    // path of the log shown
    Lines,      // the picture lines
    FileToView, // path taken from the selected line
    View,
};
inline constexpr ControlRow<PictureLogControl> kPictureLogControls[] = {
    {PictureLogControl::SelectLogFile, "cmdSelPicLog", "Select a Log File"},
    {PictureLogControl::LogFile, "txtPicLogToView"},
    {PictureLogControl::Lines, "lstPicLog"},
    {PictureLogControl::FileToView, "txtPictureToView"},
    {PictureLogControl::View, "cmdViewPicLog", "View Picture"},
};
static_assert(controlsInEnumOrder(kPictureLogControls));
constexpr std::span<const ControlRow<PictureLogControl>> controlTable(PictureLogControl)
{
    return kPictureLogControls;
}

// Whether the viewer of that kind lists the line: its last three characters,
// exactly ("AVI" is not "avi").
bool listsLine(LogKind kind, const QString& line);

// The path a log line names: everything after the last "File: " to the end
// of the line; empty when the line names no file.
QString fileNamedIn(const QString& line);

// Where the viewers hand over: in the program the hub, to the review and
// measure screens.
class ViewerListener
{
public:
    virtual ~ViewerListener() = default;
    // The review screen opens the video to be viewed. False when it could not
    // (it has told the operator why); the log viewer then stays open.
    virtual bool viewVideo(const QString& path) = 0;
    // The measure screen shows the picture file, or only itself for an empty
    // path. False when the picture could not be shown (the measure screen has
    // said why); the picture log then stays open for another choice.
    virtual bool showPictureOnMeasure(const QString& path) = 0;
};

class LogViewerModel
{
public:
    LogViewerModel(LogKind kind, SharedState& shared, Prompt& prompt, ViewerListener& screens);

    LogKind kind() const { return m_kind; }

    // The day's log: video folder + LogFileName.
    QString defaultLogPath() const;

    // Opening the viewer: the day's log when it exists; otherwise the list
    // is only emptied.
    void open();
    // "Select Different Log File" / "Select a Log File": a file dialog in the
    // video folder. Cancelling leaves the viewer as it was.
    void selectLogFile();
    // Shows the log at path (the path box), or an empty list for an empty
    // path. A log that exists but cannot be read is reported.
    void showLog(const QString& path);

    QString logPath() const { return m_logPath; }
    const QStringList& lines() const { return m_lines; }

    // The file box (txtFileToView / txtPictureToView); the operator may type in it.
    QString fileToView() const { return m_fileToView; }
    void setFileToView(const QString& path) { m_fileToView = path; }

    // The two boxes by control, for the screens' binders: the path box shows
    // the log (a path put there is shown as the log), the file box the file
    // to view.
    QString text(LogViewControl c) const;
    void setText(LogViewControl c, const QString& text);
    QString text(PictureLogControl c) const;
    void setText(PictureLogControl c, const QString& text);

    // A click on a line: the file box takes the path the line names.
    void select(int row);
    // "View Selected File" / "View Picture": hands the file box's path over.
    // True when the viewer is to close.
    bool view();
    // A double click on a line: select, then view. On the picture log a line
    // naming no file still closes the viewer and shows the measure screen.
    bool activate(int row);

private:
    bool handOver(const QString& path);

    LogKind m_kind;
    SharedState& m_shared;
    Prompt& m_prompt;
    ViewerListener& m_screens;
    QString m_logPath;
    QStringList m_lines;
    QString m_fileToView;
};

} // namespace korvel
