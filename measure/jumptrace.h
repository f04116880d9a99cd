#pragma once
// The trace of a recorded result: which video and frame, or which picture,
// on which grid, and where on it the impact was clicked. The results line
// says how far; its trace says from what, so a referee can reopen exactly
// what was measured, also for a video opened by hand or from the command
// line. One line per recorded result in a file beside the results file
// ("<results file>.trace"), written with the results line; the results file
// itself keeps the lines the scoring program and the referees know.

#include "shell/textfile.h"

#include <QPoint>
#include <QString>

#include <optional>

namespace korvel
{

struct JumpTrace {
    QString resultLine; // the results line as written, date and time included
    QString video;      // empty: the picture did not come from a video
    std::optional<qint64> frame;
    QString picture; // the picture file measured, or "clipboard"
    int grid = 0;
    QString gridFile;
    std::optional<QPoint> impactTwips; // none for a fall, a pass, another grid's distance
    // Metres the distance moves for one pixel there, and the grid's check
    // buoy miss carried to the impact.
    std::optional<double> perPixel, check;
    // The frame review proposed as first contact, when it proposed one: the
    // line then says whether the frame measured is that frame.
    std::optional<qint64> proposedFrame;
};

// The exported frame (currentcapture.bmp) is written again for every jump:
// it is never a trace's picture, only its video and frame are.
bool isExportedFrame(const QString& path);

// The trace file of a results file.
QString traceFilePath(const QString& resultsFile);

// Appends the trace of a result to the trace file of resultsFile.
FileResult appendTrace(const QString& resultsFile, const JumpTrace& t);

// The trace line: the results line, then tab-separated "name=value" fields.
// Tabs and line breaks inside values become blanks.
QString traceLine(const JumpTrace& t);
std::optional<JumpTrace> parseTraceLine(const QString& line);

// The trace of a results line, the latest when the line was recorded twice;
// nullopt when the trace file has none (a line from before traces, or from
// another program).
std::optional<JumpTrace> findTrace(const QString& resultsFile, const QString& resultLine);

// What the results viewer says of a line's trace, for the operator.
QString traceSummary(const JumpTrace& t);

} // namespace korvel
