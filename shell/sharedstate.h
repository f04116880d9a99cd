#pragma once
// The running state every screen shares, from start-up to exit. Filled by
// start-up and the configuration screen, read by capture, review and
// measurement; never saved as a whole (persistent choices live in Settings).

#include <QString>

#include <cstdint>

namespace korvel
{

struct SharedState {
    QString VideoDir;    // video folder, no trailing separator; also the log folder
    QString LogFileName; // "JumpMeasurementLog" + mmddyy + ".txt"
    QString ResultsFile; // full path of the day's results file
    QString CapturesDir; // folder of saved contact pictures
    QString SetupDir;    // folder of grid parameter files
    QString TournamentName;
    QString SkierNameFile;

    int GridCount = 1;         // configured grids, 1..3
    int CurrentGrid = 1;       // grid in use, 1..3
    bool LoadingGrids = false; // configuration load is reading grid files
    int GridsReady = 0;        // 1 when every configured grid is solved or loaded

    bool RightToLeft = false;
    QString JumpDirection = QStringLiteral("right"); // "left" or "right"
    bool LineControlOff = false;
    QString LineMode = QStringLiteral("line_on");
    QString TournamentType = QStringLiteral("normal"); // "barefoot", "sitski", "normal"
    bool BarefootMode = false;
    bool SitSkiMode = false;
    QString WstimsState = QStringLiteral("WSTIMS OFF");
    QString BuoyMarker = QStringLiteral("circle");
    QString PictureSavePolicy = QStringLiteral("Ask");
    QString VideoSavePolicy = QStringLiteral("Ask");

    QString LastScreen; // tag of the screen that opened the current one
    std::int16_t StartFrame = 0;
    std::int16_t FramesCaptured = 0;
    double CaptureFrameRate = 0;
    QString WstimsSkierName;
    QString ProgramDrive;

    // Fixed picture values the configuration load sets for the picture parts.
    QString PictureExtension = QStringLiteral(".bmp");
    int PictureCounter = 1;
    QString PictureType = QStringLiteral("bmp");
    QString PictureSource = QStringLiteral("Generic");
    QString Separator = QStringLiteral(" ");
    QString CaptureSource = QStringLiteral("external");
};

} // namespace korvel
