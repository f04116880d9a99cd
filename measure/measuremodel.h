#pragma once
// The measure screen without its widgets: its text boxes by control name, the
// impact and its marks, the outcome options, verify mode, and the commands
// that record a jump, clear the frame and note saved or loaded pictures. The
// screen binds its controls to this model and draws what it describes; tests
// and korvel-tool drive it directly.

#include "measure/impact.h"
#include "measure/measurecontrols.h"
#include "measure/resultlines.h"
#include "shell/jump.h"
#include "shell/sharedstate.h"

#include <QDateTime>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace korvel
{

class Prompt;
class Settings;
struct GridState;

// The option group Frame1.
enum class Outcome {
    JumpOK,          // optJumpOK
    Pass,            // Pass
    Fall,            // Fall
    OptionalReride,  // O_reride
    MandatoryReride, // M_Reride
    OtherGrid,       // Other_Grid
    Comment,         // Make_comment
};

// What the measure screen hands over to the screens around it. In the
// program the hub takes every hand-over; a screen tested on its own gets a
// recorder.
class MeasureListener
{
public:
    virtual ~MeasureListener() = default;
    // "E&xit": the main screen takes over.
    virtual void showMainScreen() = 0;
    // "Capture Next Jump": the capture screen takes over for the next attempt.
    virtual void showCapture() = 0;
    // "&View Log": the picture-log viewer over the measure screen.
    virtual void openPictureLog() = 0;
    // "&Calibrate": the calibration line tool over the measure screen.
    virtual void openCalibration() = 0;
    // The results viewer reopens the video a result was measured from, at
    // its frame. False when it could not (the operator was told why).
    virtual bool reviewMeasuredVideo(const QString& /*video*/, std::optional<qint64> /*frame*/)
    {
        return false;
    }
};

// The skier's name as it may stand in a picture file name: a path separator,
// a drive colon, ".." or a control character becomes a blank, so a typed name
// never places a picture outside the picture folder.
QString pictureFileStem(const QString& skier);

// The part of a measured jump's results line after " - ": the distance texts,
// the barefoot and verify-mode marks, the comment and the bracketed groups.
// Record and korvel-tool's measure both write it through here.
QString measuredJumpText(const JumpDistance& d, bool barefoot, bool verifyMode,
                         const QString& comment);
inline ImpactGroups impactGroups(const JumpDistance& d)
{
    return {d.point, d.impact, d.m4};
}

class MeasureModel
{
public:
    using Clock = std::function<QDateTime()>;

    MeasureModel(GridState& grids, SharedState& shared, Settings& settings, Prompt& prompt,
                 MeasureListener& screens, Clock clock = {});

    // The text boxes (isMeasureBox): distance, skier and jump, comment, the
    // barefoot indicator, the grid description and the verify read-outs.
    QString text(MeasureControl box) const;
    // An edit by the operator or another screen. A new skier starts at jump 1
    // with the distance boxes emptied.
    void setText(MeasureControl box, const QString& text);

    // The grid: Set_grid cycles through the configured grids.
    bool setGridVisible() const { return m_shared.GridCount > 1; }
    QString setGridCaption() const { return QStringLiteral("&Grid %1").arg(m_grid.number); }
    void Set_grid();
    // Copies grid g's record into the active grid.
    void selectGrid(int g);
    // Grid g was saved under a new description: grid_description says so
    // when g is the grid in use here.
    void gridDescriptionSaved(int g, const QString& description);
    const ActiveGrid& activeGrid() const { return m_grid; }

    JumpSettings jumpSettings() const;

    // CrossSize, the marker half-length in twips (15..120 in steps of 15).
    int crossSize() const { return m_crossSize; }
    void setCrossSize(int twips);

    // A click on the picture (twips): clears the shown distance, marks the
    // impact there and shows the nudge arrows.
    void clickPicture(double x, double y);
    // AdjustLeft / AdjustRight / AdjustUp / AdjustDown, one pixel each.
    void nudge(NudgeDirection dir);
    // The impact clicked on the current frame, if any.
    std::optional<ScreenPoint> impact() const { return m_impact; }
    // What one pixel is worth at the impact on the grid in use, beside the
    // distance: the operator sees how much a click a pixel off would change.
    std::optional<PixelWorth> impactWorth() const
    {
        return m_impact ? pixelWorth(m_grid, *m_impact) : std::nullopt;
    }
    // The marks as last drawn; shown while impactLinesVisible().
    const ImpactMark& impactMark() const { return m_mark; }
    bool impactLinesVisible() const { return m_impact.has_value(); }
    bool nudgeArrowsVisible() const { return m_impact.has_value(); }
    // Redraws the impact mark (after a CrossSize change or a repaint).
    void redrawImpact();
    // Where review's proposed first contact puts the touch-down (twips), while
    // the picture on show is the frame review proposed; the operator may take
    // it as the impact or ignore it.
    std::optional<ScreenPoint> proposedTouch() const;
    // The T key: the proposed touch point becomes the impact, as a click
    // there would make it. Nothing without a proposed touch point.
    void takeProposedTouch();

    // Mouse move over the picture: the read-outs follow it. A point off the
    // water leaves them as they were.
    void mouseMove(double x, double y);
    // The read-outs and the UNOFFICIAL JUMP label are shown in verify mode.
    bool readoutsVisible() const { return m_verify; }

    GridOverlay show_the_grid() const;
    bool barefootIndicatorVisible() const { return jumpSettings().indicatorShown(); }

    // The outcome options. Fall, Pass and Other_Grid put their text into the
    // comment; the rerides and Make_comment write their line at once.
    std::optional<Outcome> outcome() const { return m_outcome; }
    void clickOutcome(Outcome o);
    bool commentVisible() const { return m_commentVisible; }

    // verify: the caption reads "Verify off" while verify mode is on.
    bool verifyMode() const { return m_verify; }
    QString verifyCaption() const
    {
        return m_verify ? QStringLiteral("Verify off") : QStringLiteral("Verify");
    }
    void toggleVerify() { m_verify = !m_verify; }

    bool frozen() const { return m_frozen; }
    void setFrozen(bool on) { m_frozen = on; }
    // A new picture becomes the frozen frame: it starts with no impact (an
    // earlier picture's point would be recorded as this jump's) and empty
    // distance boxes; the skier, the jump number and the options stay.
    // source: where it came from (a file's path, or the clipboard), for the
    // trace of what is recorded from it. The exported frame of the jump
    // taken from review keeps that jump's video and frame in the trace.
    void newPicture(const QString& source = {});
    // The frame chosen on review arrives with its jump: the result is
    // recorded under the skier and attempt of the video as it stands (a name
    // fixed on review included). A video whose name does not tell the skier
    // leaves the skier's box empty for the operator to fill, never the
    // previous skier's name.
    void takeJump(const Jump& jump);
    // The size of the picture on show, in pixels.
    void setPictureSize(const QSize& size) { m_pictureSize = size; }
    // Why the picture on show cannot be measured on the grid in use: it is
    // not of the size the grid was set up on. nullopt when it fits, or when
    // either size is not known.
    std::optional<QString> pictureSizeRefusal() const;
    const Jump& jump() const { return m_jump; }
    // A result's video opened again on review, from the results viewer.
    bool reviewMeasuredVideo(const QString& video, std::optional<qint64> frame)
    {
        return m_screens.reviewMeasuredVideo(video, frame);
    }

    // Record Jump. True when the result reached the results file; false when
    // it was refused or could not be written (the operator was told why, the
    // jump number stayed and the distance is still shown for another try).
    bool Record();
    // Why Record (and Save Picture) must wait: no skier's name yet, or a jump
    // number that is not a whole number. nullopt when both are filled in.
    std::optional<QString> recordRefusal() const;

    // Clear (Unfreeze): the frame is done; the jump number moves on.
    void Clear();

    // The screens the measure screen hands over to.
    MeasureListener& screens() const { return m_screens; }

    // Where Save Picture writes: picture folder + skier + "jump" + jump +
    // extension, the skier's name made safe for a file name.
    QString picturePath() const;

    // Writes the screen's picture to a path: empty when it worked, else the reason.
    using PictureWriter = std::function<QString(const QString& path)>;
    // "&Save Picture": shows the path, asks before replacing a picture of the
    // same skier and jump, writes the picture and notes it (line P, side file,
    // log line L). False when nothing was saved; a picture that could not be
    // written is reported and leaves no line behind.
    bool savePicture(const PictureWriter& write);

    // Leaving by "E&xit" or "Capture Next Jump": the picture policy and the
    // operator's answers. False when the screen stays: the operator chose to
    // remain, or a picture that was to be saved could not be (it would be lost
    // by the Clear that follows).
    enum class Leaving { Exit, NextJump };
    bool leave(Leaving how, const PictureWriter& write);

    // Auto Load: the program that leaves pictures on the clipboard writes
    // "Ready" into clipflag.txt of the exchange folder. True when it says so.
    bool clipFlagReady() const;
    // After the clipboard picture was taken: the flag becomes two blanks, so
    // the same picture is not loaded twice.
    void consumeClipFlag();
    // The picture the scoring side leaves in the exchange folder.
    QString snapshotPath() const;
    // After the screen wrote the picture: results line P, the side file and
    // log line L, which name the skier and jump on this screen: the ones the
    // result is recorded under. False when one of them could not be written
    // (each failure is reported).
    bool pictureSaved(const QString& path);
    // After Load Picture: results line P only.
    bool pictureLoaded(const QString& path);

private:
    QDateTime now() const;
    bool appendResults(const QString& line, bool recording = false);
    void writeExchange(const QString& currentPath, const QString& current, const QString& rawPath,
                       const QString& raw);
    void clearExchangePictures();
    void advanceJumpNumber();
    std::optional<ImpactGroups> currentFrameGroups() const;
    bool writeRerideLine(Outcome option, const QString& comment);
    enum class OtherGridAnswer { Distance, NoDistance, Cancelled };
    OtherGridAnswer askOtherGrid(QString& metres, QString& feet);

    GridState& m_grids;
    SharedState& m_shared;
    Settings& m_settings;
    Prompt& m_prompt;
    Clock m_clock;
    MeasureListener& m_screens;

    ControlTexts<MeasureControl> m_texts;
    ActiveGrid m_grid;
    int m_crossSize = kCrossSizeInitial;
    std::optional<ScreenPoint> m_impact;
    ImpactMark m_mark;
    std::optional<Outcome> m_outcome = Outcome::JumpOK;
    bool m_commentVisible = true;
    bool m_verify = false;
    bool m_frozen = false;
    // A jump recorded on a frozen frame whose number has not moved on yet:
    // Clear moves it on once, whether the operator clears before leaving
    // or leaving clears.
    bool m_advanceOnClear = false;
    // The last jump Record wrote, to ask before the same skier's same
    // attempt is written a second time.
    struct RecordedJump {
        QString skier, jump, result;
    };
    std::optional<RecordedJump> m_lastRecorded;
    // What the picture on show was measured from, for the jump's trace.
    QString m_pictureSource;
    QString m_traceVideo;
    std::optional<qint64> m_traceFrame;
    bool m_jumpFramePending = false; // takeJump came; its exported frame is next
    QSize m_pictureSize;
    Jump m_jump;
};

} // namespace korvel
