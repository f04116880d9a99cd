#pragma once
// The running state every screen shares, from start-up to exit. Filled by
// start-up and the configuration screen, read by capture, review and
// measurement; never saved as a whole (persistent choices live in Settings).

#include "shell/nametable.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <span>

namespace korvel
{

// The screen that handed over to the one now shown; the next screen decides
// on arrival what to do from it. None is the empty tag (the main screen).
enum class ScreenTag {
    None,
    Setup,
    Capture,
    CaptureGoToTimer,
    Timer,
    SelectFrame,
    View,
    Measure,
    PictureLoadMenu,
    PictureLog,
};
// Whether results also go to the scoring program through the exchange folder.
enum class WstimsLink { Off, On };
// What happens to a contact picture or a captured video when the operator
// moves on. Settings store "Ask", "Save" or "NoSave"; empty means Ask.
enum class SavePolicy { Ask, Save, NoSave };
enum class Direction { Right, Left };
enum class Tournament { Normal, Barefoot, SitSki };
// Settings store "cross" or "circle"; any other value means circle.
enum class MarkerStyle { Circle, Cross };
enum class LineControl { On, Off };

// The texts each value is written as ("SelectFrame", "WSTIMS ON", "NoSave",
// "line_off" ...): one table per enum, found by the enum's type.
std::span<const NameRow<ScreenTag>> names(ScreenTag);
std::span<const NameRow<WstimsLink>> names(WstimsLink);
std::span<const NameRow<SavePolicy>> names(SavePolicy);
std::span<const NameRow<Direction>> names(Direction);
std::span<const NameRow<Tournament>> names(Tournament);
std::span<const NameRow<MarkerStyle>> names(MarkerStyle);
std::span<const NameRow<LineControl>> names(LineControl);

template <class E> QString nameOf(E value)
{
    return nameOf(names(E{}), value);
}
// Exactly as written (letter case counts); nullopt for any other text.
template <class E> std::optional<E> parseName(QStringView text)
{
    return parseName(names(E{}), text);
}

// The readers of settings that have their own rule for empty or unknown
// values: a picture or video policy that is empty is Ask, one that is not
// known is nullopt (the current policy stays); a marker style is Cross only
// for "cross".
std::optional<SavePolicy> savePolicyFromSetting(QStringView text);
MarkerStyle markerStyleFromSetting(QStringView text);

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
    Direction JumpDirection = Direction::Right;
    bool LineControlOff = false;
    LineControl LineMode = LineControl::On;
    Tournament TournamentType = Tournament::Normal;
    bool BarefootMode = false;
    bool SitSkiMode = false;
    WstimsLink WstimsState = WstimsLink::Off;
    MarkerStyle BuoyMarker = MarkerStyle::Circle;
    SavePolicy PictureSavePolicy = SavePolicy::Ask;
    SavePolicy VideoSavePolicy = SavePolicy::Ask;

    ScreenTag LastScreen = ScreenTag::None; // the screen that opened the current one
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
