#pragma once
// The grid parameter file (".ipt") and its check buoy file (".ipt.cb"): the
// form in which a calibrated camera view travels between set-up, the event and
// the homologator's desk. Files from the field must stay readable, so the
// layout is fixed line by line.

#include "grid/gridmapping.h"
#include "shell/textfile.h"

#include <QSize>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <variant>

namespace korvel
{

struct GridBuoy {
    double x = 0, y = 0; // screen, twips
    double X = 0, Y = 0; // survey, metres
};

struct GridFileData {
    QString path; // as written on line 1
    QString description;
    std::array<GridBuoy, 5> buoys{}; // slots 1..4: upper right, lower right, upper left, lower left
    Coefficients c;
    SurveyPoint jump;
    double ten = 10, two = 2;
    double gridNumber = 1;
    // The size of the pictures the grid was set up on, in pixels; not valid
    // when the file does not say (files from before it was written).
    QSize pictureSize;

    bool hasCheckBuoy = false;
    ScreenPoint checkScreen;
    // The survey boxes as the operator typed them (written as text) and their values.
    QString checkSurveyXText, checkSurveyYText;
    SurveyPoint checkSurvey;

    // What the read found of a save cut short and finished (empty: nothing).
    QString finishedSave;
};

QString checkBuoyFilePath(const QString& iptPath);

// The texts of both files, CR LF lines.
QStringList parameterFileLines(const GridFileData& d);
QStringList checkBuoyFileLines(const GridFileData& d);

// Writes both files together: both are replaced or neither is. On failure
// the error names the file that could not be written.
FileResult writeGridFiles(const QString& iptPath, const GridFileData& d);

struct GridFileError {
    QString message; // names the file and the line
};

// Nineteen lines of numbers and two texts: far less than this. A larger
// file, or one that is no plain file (a pipe, /dev/zero), is refused unread.
inline constexpr qint64 kGridFileLimit = qint64{1024} * 1024;

// Reads the parameter file and, when present, its check buoy file, into a
// fresh record: nothing is taken from a file that does not parse whole.
std::variant<GridFileData, GridFileError> readGridFiles(const QString& iptPath);

// What makes a grid that parses unfit to measure with: coefficients that no
// longer map its buoys onto their survey positions.
std::optional<GridFileError> gridFileProblem(const QString& iptPath, const GridFileData& d);

// A grid as every reader of grid files must take it: both files parse whole,
// the grid number is 1, 2 or 3 and the stored coefficients belong to the
// buoys. The set-up screen's load and every korvel-tool command read grids
// through here, so none of them measures with a grid another refuses.
std::variant<GridFileData, GridFileError> loadGridFile(const QString& iptPath);

// Fields of one line: a field ends at a comma or the end of the line, blanks
// around it are ignored, and a field that starts with a double quote runs to
// the closing quote.
QStringList splitFields(const QString& line);

// The line after the grid number that names the pictures' size
// ("Picture size: 640 x 480 pixels"), and its reading; readers that know only
// the nineteen lines before it pass over it.
QString pictureSizeLine(const QSize& size);
QSize pictureSizeFromLine(const QString& line);

// Line breaks become blanks: a text field is one line of its file.
QString oneLine(const QString& text);

// A text written as a field: on one line, and quoted when it holds a comma,
// so the reader gets it back whole (a double quote inside becomes an
// apostrophe).
QString textField(const QString& text);

// The largest distance, in metres, between a buoy's survey position and where
// the coefficients map its screen position; nullopt when one maps onto the
// horizon. A grid whose coefficients belong to its buoys stays within a few
// millimetres.
std::optional<double> coefficientMismatch(const GridFileData& d);
constexpr double kCoefficientTolerance = 0.01;

} // namespace korvel
