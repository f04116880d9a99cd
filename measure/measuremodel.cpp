#include "measure/measuremodel.h"

#include "grid/gridstate.h"
#include "measure/jumptrace.h"
#include "measure/recordjournal.h"
#include "shell/paths.h"
#include "shell/prompt.h"
#include "shell/settings.h"
#include "shell/textfile.h"
#include "shell/textrules.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace korvel
{

namespace
{

const QString kErrorTitle = QStringLiteral("Error Message");

const QString kFall = QStringLiteral("Fall");
const QString kPass = QStringLiteral("Pass");
const QString kOtherGridComment = QStringLiteral("Distance from other grid");
const QString kOtherGridNoDistance = QStringLiteral("Other Grid - no distance recorded");
const QString kMandatoryReride = QStringLiteral("Mandatory Reride - disregard last jump");
const QString kOptionalReride = QStringLiteral("Optional Reride on previous jump");

const QString kOtherGridTitle = QStringLiteral("Other Grid Measurement");
const QString kOtherGridQuestion =
    QStringLiteral("Is there a distance to be recorded in the other grid?");
const QString kOtherGridMetres = QStringLiteral("Enter distance in meters from other screen");
const QString kOtherGridFeet = QStringLiteral("Enter distance in feet from other screen");
const QString kOtherGridMismatch = QStringLiteral(
    "The meter distance and the foot distance you entered did not match, please enter them again");
const QString kOtherGridNotANumber =
    QStringLiteral("Please enter each distance as a plain number, for example 40.5 and 132.9");

const QString kNoSkier = QStringLiteral(
    "Type the skier's name in the skier name box first; the result needs the skier's name.");
const QString kNoJumpNumber = QStringLiteral(
    "Type the jump number as a whole number (for example 3) first; the result needs it.");
const QString kNoImpact = QStringLiteral("There is no impact point on this picture. Click the "
                                         "skier's impact point, then record the jump.");
const QString kOffTheWater = QStringLiteral("The impact point lies on or beyond the horizon of "
                                            "this grid, so it has no distance on the water. "
                                            "Click the impact point again, then record the jump.");

// One metre in feet, for the cross-check of a distance typed from the other grid.
constexpr double kFeetPerMetre = 3.2808;
constexpr double kOtherGridToleranceFeet = 2;

// A distance typed from the other grid: a plain number, letters after it
// (its unit) ignored; nullopt for anything else, a comma among it.
struct TypedDistance {
    double value = 0;
    QString text; // the number as typed, without the unit
};
std::optional<TypedDistance> distanceTyped(const QString& typed)
{
    static const QRegularExpression pattern(
        QStringLiteral("^\\s*([+-]?(?:\\d+(?:\\.\\d*)?|\\.\\d+))\\s*[A-Za-z]*\\s*$"));
    const QRegularExpressionMatch match = pattern.match(typed);
    if (!match.hasMatch())
        return std::nullopt;
    const auto v = parseNumber(match.captured(1));
    if (!v)
        return std::nullopt;
    return TypedDistance{*v, match.captured(1)};
}

} // namespace

QString measuredJumpText(const JumpDistance& d, bool barefoot, bool verifyMode,
                         const QString& comment)
{
    return jumpResultText(d.distanceText(), d.distanceFtText(), barefoot, verifyMode, comment,
                          impactGroups(d));
}

MeasureModel::MeasureModel(GridState& grids, SharedState& shared, Settings& settings,
                           Prompt& prompt, MeasureListener& screens, Clock clock)
    : m_grids(grids), m_shared(shared), m_settings(settings), m_prompt(prompt),
      m_clock(std::move(clock)), m_screens(screens)
{
    selectGrid(std::clamp(m_shared.CurrentGrid, 1, 3));
}

QString MeasureModel::text(MeasureControl box) const
{
    if (box == MeasureControl::BarefootIndicator)
        return jumpSettings().indicatorText();
    return m_texts[box];
}

void MeasureModel::setText(MeasureControl box, const QString& text)
{
    if (!isMeasureBox(box) || box == MeasureControl::BarefootIndicator ||
        box == MeasureControl::GridDescription)
        return; // shown from the configuration and the grid, not typed
    QString typed = text;
    if (box == MeasureControl::SkierName) {
        // The name goes into the results, the log, the exchange files and the
        // picture's file name alike: made single-byte here, once, and said.
        const SingleByteText single = singleByteText(text);
        if (!single.changes.isEmpty()) {
            typed = single.text;
            m_prompt.message(singleByteNameMessage(typed, single.changes),
                             QStringLiteral("Input Error"));
        }
    }
    const bool newSkier = box == MeasureControl::SkierName && typed != m_texts[box];
    m_texts[box] = typed;
    if (newSkier) {
        m_texts[MeasureControl::JumpNo] = QStringLiteral("1");
        m_texts[MeasureControl::Distance] = QString();
        m_texts[MeasureControl::DistanceFt] = QString();
    }
}

void MeasureModel::Set_grid()
{
    int next = m_grid.number + 1;
    if (next > 3 || (next == 3 && m_shared.GridCount < 3))
        next = 1;
    selectGrid(next);
}

void MeasureModel::selectGrid(int g)
{
    m_shared.CurrentGrid = g;
    m_grid = ActiveGrid::fromRecord(m_grids, g);
    m_texts[MeasureControl::GridDescription] = m_grid.description;
}

void MeasureModel::gridDescriptionSaved(int g, const QString& description)
{
    if (m_grid.number != g)
        return;
    m_grid.description = description;
    m_texts[MeasureControl::GridDescription] = description;
}

JumpSettings MeasureModel::jumpSettings() const
{
    return {m_shared.BarefootMode, m_shared.SitSkiMode, m_shared.RightToLeft};
}

void MeasureModel::setCrossSize(int twips)
{
    twips = std::clamp(twips, kCrossSizeMin, kCrossSizeMax);
    m_crossSize = twips / kCrossSizeStep * kCrossSizeStep;
}

void MeasureModel::clickPicture(double x, double y)
{
    m_texts[MeasureControl::Distance] = QStringLiteral("m");
    m_texts[MeasureControl::DistanceFt] = QStringLiteral("ft");
    m_impact = ScreenPoint{x, y};
    redrawImpact();
}

std::optional<ScreenPoint> MeasureModel::proposedTouch() const
{
    // Only on the very frame proposed, exported from the jump's own video.
    if (!m_traceFrame || m_traceVideo != m_jump.video || !m_jump.proposedPoint ||
        m_jump.proposedFrame != m_traceFrame)
        return std::nullopt;
    return ScreenPoint{m_jump.proposedPoint->x(), m_jump.proposedPoint->y()};
}

void MeasureModel::takeProposedTouch()
{
    // In whole twips, as a click gives them.
    if (const auto p = proposedTouch())
        clickPicture(std::round(p->x), std::round(p->y));
}

void MeasureModel::nudge(NudgeDirection dir)
{
    if (!m_impact)
        return; // the arrows are hidden until the first click
    // From the point last drawn, so repeated clicks add up.
    m_impact = nudged(m_mark.impact, dir);
    redrawImpact();
}

void MeasureModel::redrawImpact()
{
    if (m_impact)
        m_mark = DrawImpactMark(m_grid, jumpSettings(), *m_impact, m_crossSize);
}

void MeasureModel::mouseMove(double x, double y)
{
    const auto r = liveReadout(m_grid, jumpSettings(), x, y);
    if (!r)
        return;
    m_texts[MeasureControl::XTwips] = r->xtwips;
    m_texts[MeasureControl::YTwips] = r->ytwips;
    m_texts[MeasureControl::XPosition] = r->xposition;
    m_texts[MeasureControl::YPosition] = r->yposition;
    m_texts[MeasureControl::VerifyDistance] = r->VerifyDistance;
}

GridOverlay MeasureModel::show_the_grid() const
{
    return korvel::show_the_grid(m_grid, m_shared.BuoyMarker, m_crossSize);
}

QDateTime MeasureModel::now() const
{
    return m_clock ? m_clock() : QDateTime::currentDateTime();
}

bool MeasureModel::appendResults(const QString& line, bool recording)
{
    const FileResult r = appendLines(m_shared.ResultsFile, {line});
    if (!r) {
        QString text = QStringLiteral("The results file could not be written:\n%1\n%2")
                           .arg(m_shared.ResultsFile, r.error);
        if (recording)
            text += QStringLiteral("\nThe jump was not recorded; press Record Jump again once the "
                                   "file can be written.");
        m_prompt.message(text, kErrorTitle, Icon::Exclamation);
        return false;
    }
    return true;
}

bool MeasureModel::writeRerideLine(Outcome option, const QString& comment)
{
    const FileResult r = appendLines(m_shared.ResultsFile, {rerideLine(now(), comment)});
    if (!r) {
        m_prompt.message(QStringLiteral("The results file could not be written:\n%1\n%2")
                             .arg(m_shared.ResultsFile, r.error),
                         kErrorTitle, Icon::Exclamation);
        // Leave the comment and the option showing: nothing was written.
        m_texts[MeasureControl::Comment] = comment;
        m_outcome = option;
        return false;
    }
    return true;
}

void MeasureModel::clickOutcome(Outcome o)
{
    m_outcome = o;
    const MeasureControl comment = MeasureControl::Comment;
    switch (o) {
    case Outcome::JumpOK:
        return;
    case Outcome::Fall:
        m_texts[comment] = kFall;
        m_commentVisible = true;
        return;
    case Outcome::Pass:
        m_texts[comment] = kPass;
        m_commentVisible = true;
        return;
    case Outcome::OtherGrid:
        m_texts[comment] = kOtherGridComment;
        m_commentVisible = true;
        return;
    case Outcome::MandatoryReride:
    case Outcome::OptionalReride: {
        const bool mandatory = o == Outcome::MandatoryReride;
        if (!writeRerideLine(o, mandatory ? kMandatoryReride : kOptionalReride))
            return;
        m_texts[comment] = QString();
        if (!m_frozen)
            m_outcome.reset();
        if (mandatory) {
            // The last jump no longer stands.
            m_texts[MeasureControl::Distance] = QString();
            m_texts[MeasureControl::DistanceFt] = QString();
        }
        return;
    }
    case Outcome::Comment: {
        const auto answer = m_prompt.input(QStringLiteral("What comment would you like to add?"),
                                           QStringLiteral("Input Comment"), {});
        // Cancelled or left empty: there is nothing to note.
        if (!answer || answer->isEmpty()) {
            m_outcome.reset();
            return;
        }
        if (!writeRerideLine(o, *answer))
            return;
        m_texts[comment] = QString();
        m_outcome.reset();
        return;
    }
    }
}

MeasureModel::OtherGridAnswer MeasureModel::askOtherGrid(QString& metres, QString& feet)
{
    for (;;) {
        if (!m_prompt.askYesNo(kOtherGridQuestion, QStringLiteral("Message"), Icon::Question, true))
            return OtherGridAnswer::NoDistance;
        const auto m = m_prompt.input(kOtherGridMetres, kOtherGridTitle, {});
        if (!m)
            return OtherGridAnswer::Cancelled;
        const auto f = m_prompt.input(kOtherGridFeet, kOtherGridTitle, {});
        if (!f)
            return OtherGridAnswer::Cancelled;
        // These texts go to the scoring program between commas: a comma would
        // shift its fields ("40,5"), so only a number passes; a unit typed
        // after it ("40m", "131 ft") is left out of what is written.
        const auto mv = distanceTyped(*m);
        const auto fv = distanceTyped(*f);
        if (!mv || !fv) {
            m_prompt.message(kOtherGridNotANumber, {}, Icon::Exclamation);
            continue;
        }
        if (fv->value > mv->value * kFeetPerMetre + kOtherGridToleranceFeet ||
            fv->value < mv->value * kFeetPerMetre - kOtherGridToleranceFeet) {
            m_prompt.message(kOtherGridMismatch);
            continue;
        }
        metres = mv->text;
        feet = fv->text;
        return OtherGridAnswer::Distance;
    }
}

std::optional<ImpactGroups> MeasureModel::currentFrameGroups() const
{
    if (m_impact) {
        if (const auto d = impactDistance(m_grid, jumpSettings(), *m_impact))
            return impactGroups(*d);
    }
    // Nothing measured on this frame: zeros, never an earlier jump's point.
    return ImpactGroups{};
}

bool MeasureModel::Record()
{
    const MeasureControl distanceBox = MeasureControl::Distance;
    const MeasureControl feetBox = MeasureControl::DistanceFt;

    if (const auto refusal = recordRefusal()) {
        m_prompt.message(*refusal, {}, Icon::Exclamation);
        return false;
    }
    // A second press of Record (a double click, a press after looking away)
    // would give the scoring program the same attempt twice: only when the
    // operator says so, to record a correction.
    const QString skierNow = text(MeasureControl::SkierName).trimmed();
    const QString jumpNow = text(MeasureControl::JumpNo).trimmed();
    if (m_lastRecorded && m_lastRecorded->skier == skierNow && m_lastRecorded->jump == jumpNow &&
        !m_prompt.askYesNo(QStringLiteral("%1 jump %2 is recorded already (%3).\nRecord it again?")
                               .arg(skierNow, jumpNow, m_lastRecorded->result),
                           QStringLiteral("Record Jump"), Icon::Question, false))
        return false;
    bool advance = false;
    const std::optional<Outcome> selected = m_outcome;
    const bool fallOrPass = selected == Outcome::Fall || selected == Outcome::Pass;
    const bool otherGrid = selected == Outcome::OtherGrid;
    QString comment = text(MeasureControl::Comment);
    QString exchangeMetres;
    QString exchangeFeet;
    std::optional<ImpactGroups> groups;
    std::optional<JumpDistance> measured;

    if (fallOrPass) {
        m_texts[distanceBox] = QString();
        m_texts[feetBox] = QString();
        groups = currentFrameGroups();
        advance = !m_frozen;
    } else if (otherGrid) {
        QString metres;
        QString feet;
        switch (askOtherGrid(metres, feet)) {
        case OtherGridAnswer::Cancelled:
            return false;
        case OtherGridAnswer::Distance:
            m_texts[distanceBox] = metres + QStringLiteral("m");
            m_texts[feetBox] = QLatin1Char(' ') + feet + QStringLiteral("ft");
            exchangeMetres = metres;
            exchangeFeet = QLatin1Char(' ') + feet;
            break;
        case OtherGridAnswer::NoDistance:
            comment = kOtherGridNoDistance;
            m_texts[distanceBox] = QString();
            m_texts[feetBox] = QString();
            break;
        }
        advance = !m_frozen;
    } else {
        if (!m_impact) {
            m_prompt.message(kNoImpact, {}, Icon::Exclamation);
            return false;
        }
        if (const auto refusal = pictureSizeRefusal()) {
            m_prompt.message(*refusal, {}, Icon::Exclamation);
            return false;
        }
        const auto d = impactDistance(m_grid, jumpSettings(), *m_impact);
        if (!d) {
            m_prompt.message(kOffTheWater, {}, Icon::Exclamation);
            return false;
        }
        m_texts[distanceBox] = d->distanceText();
        m_texts[feetBox] = d->distanceFtText();
        exchangeMetres = numberText(d->m1);
        exchangeFeet = numberText(d->feet);
        measured = d;
    }

    const QDateTime when = now();
    const QString jumpNo = text(MeasureControl::JumpNo);
    const QString skier = text(MeasureControl::SkierName);
    const bool barefoot = m_shared.BarefootMode;
    const QString line =
        resultLine(when, skier, jumpNo,
                   measured ? measuredJumpText(*measured, barefoot, m_verify, comment)
                            : jumpResultText(text(distanceBox), text(feetBox), barefoot, m_verify,
                                             comment, groups));

    // Every line this Record writes, noted first: a Record cut short is
    // completed at the next start.
    QList<PlannedWrite> writes{{PlannedWrite::Mode::Append, m_shared.ResultsFile, line}};
    const bool wstims = m_shared.WstimsState == WstimsLink::On;
    QString currentPath, rawPath, current, raw;
    if (wstims) {
        // The scoring program learns of a fall or pass from the option chosen,
        // and from a comment that reads exactly "Fall" or "Pass".
        ExchangeOutcome outcome = ExchangeOutcome::Ok;
        if (selected == Outcome::Fall || comment == kFall)
            outcome = ExchangeOutcome::Fall;
        else if (selected == Outcome::Pass || comment == kPass)
            outcome = ExchangeOutcome::Pass;
        const QString folder = exchangeFolder(m_settings);
        currentPath = joinPath(folder, QStringLiteral("kvresult.dst"));
        rawPath = joinPath(folder, QStringLiteral("kvraw.dst"));
        current = exchangeLine(outcome, exchangeMetres, exchangeFeet, jumpNo);
        raw = rawExchangeLine(when.time(), skier, current);
        writes << PlannedWrite{PlannedWrite::Mode::Replace, currentPath, current}
               << PlannedWrite{PlannedWrite::Mode::Append, rawPath, raw};
    }
    const RecordJournal journal(recordJournalFolder(m_settings));
    if (const FileResult j =
            journal.begin(skier + QStringLiteral(" jump ") + jumpNo.trimmed(), writes);
        !j)
        m_prompt.message(QStringLiteral("The record of this jump could not be noted before "
                                        "writing it (%1: %2). It is recorded all the same; "
                                        "should korvel be stopped in the middle, check the "
                                        "scoring program's files.")
                             .arg(journal.path(), j.error),
                         kErrorTitle, Icon::Exclamation);

    // A result that did not reach the file is not recorded: the jump number,
    // the options and the distance stay for another try.
    if (!appendResults(line, true)) {
        journal.end();
        return false;
    }
    if (advance && fallOrPass)
        m_outcome.reset();
    {
        JumpTrace trace;
        trace.resultLine = line;
        trace.video = m_traceVideo;
        trace.frame = m_traceFrame;
        if (m_traceFrame && m_traceVideo == m_jump.video)
            trace.proposedFrame = m_jump.proposedFrame;
        trace.picture = m_pictureSource;
        trace.grid = m_grid.number;
        trace.gridFile = m_grids.gridFile[m_grid.number];
        if (measured && m_impact) {
            trace.impactTwips =
                QPoint(int(std::lround(m_impact->x)), int(std::lround(m_impact->y)));
            if (const auto worth = impactWorth()) {
                trace.perPixel = worth->perPixel;
                trace.check = worth->check;
            }
        }
        if (const FileResult r = appendTrace(m_shared.ResultsFile, trace); !r)
            m_prompt.message(QStringLiteral("The jump is recorded, but its trace (which video, "
                                            "frame, grid and impact) could not be written:\n%1\n%2")
                                 .arg(traceFilePath(m_shared.ResultsFile), r.error),
                             kErrorTitle, Icon::Exclamation);
    }

    if (wstims)
        writeExchange(currentPath, current, rawPath, raw);
    journal.end();

    m_lastRecorded = RecordedJump{skier.trimmed(), jumpNo.trimmed(),
                                  measured || !text(distanceBox).trimmed().isEmpty()
                                      ? text(distanceBox).trimmed() + QStringLiteral(", ") +
                                            text(feetBox).trimmed()
                                  : selected == Outcome::Fall ? QStringLiteral("a fall")
                                  : selected == Outcome::Pass ? QStringLiteral("a pass")
                                                              : QStringLiteral("no distance")};
    m_commentVisible = false;
    if (advance)
        advanceJumpNumber();
    m_advanceOnClear = !advance;
    if (m_outcome == Outcome::OtherGrid)
        m_outcome.reset();
    m_texts[MeasureControl::Comment] = QString();
    clearExchangePictures();
    return true;
}

void MeasureModel::writeExchange(const QString& currentPath, const QString& current,
                                 const QString& rawPath, const QString& raw)
{
    const auto fail = [this](const QString& path, const QString& reason) {
        m_prompt.message(
            QStringLiteral("Error while writing WSTIMS result: %1 (%2)").arg(reason, path));
    };
    // The scoring program polls this file: it is replaced whole, never seen half written.
    if (const FileResult r = writeLines(currentPath, {current}); !r) {
        fail(currentPath, r.error);
        return;
    }
    if (const FileResult r = appendLines(rawPath, {raw}); !r)
        fail(rawPath, r.error);
}

void MeasureModel::clearExchangePictures()
{
    // The picture another program left for us is used up once a jump is
    // done. Only that one: an exchange folder that is also where contact
    // pictures are saved keeps every one of them.
    QDir folder(exchangeFolder(m_settings));
    if (!folder.exists())
        return;
    const QStringList pictures = folder.entryList({QStringLiteral("*.bmp")}, QDir::Files);
    for (const QString& name : pictures) {
        if (name.compare(QLatin1String("snapshot.bmp"), Qt::CaseInsensitive) == 0)
            QFile::remove(folder.filePath(name));
    }
}

void MeasureModel::advanceJumpNumber()
{
    const double next = leadingNumber(text(MeasureControl::JumpNo)) + 1;
    m_texts[MeasureControl::JumpNo] = numberText(next).trimmed();
}

void MeasureModel::takeJump(const Jump& jump)
{
    m_jump = jump;
    m_traceVideo = jump.video;
    m_traceFrame = jump.chosenFrame;
    m_jumpFramePending = true;
    if (jump.knowsSkier()) {
        // A video named elsewhere may carry letters the results files cannot:
        // the name recorded is made single-byte as a typed one is, and said.
        const SingleByteText single = singleByteText(jump.skier);
        if (!single.changes.isEmpty())
            m_prompt.message(singleByteNameMessage(single.text, single.changes),
                             QStringLiteral("Input Error"));
        m_texts[MeasureControl::SkierName] = single.text;
        m_texts[MeasureControl::JumpNo] = jump.attempt;
    } else {
        m_texts[MeasureControl::SkierName] = QString();
        m_texts[MeasureControl::JumpNo] = QStringLiteral("1");
    }
    // A new jump: nothing of the last one is still to move on.
    m_advanceOnClear = false;
}

void MeasureModel::newPicture(const QString& source)
{
    // Only the frame exported from the jump's video is that video's frame;
    // any other picture (the clipboard, a file) is its own source.
    if (!m_jumpFramePending ||
        !source.endsWith(QLatin1String("currentcapture.bmp"), Qt::CaseInsensitive)) {
        m_traceVideo.clear();
        m_traceFrame.reset();
    }
    m_jumpFramePending = false;
    m_pictureSource = source;
    m_frozen = true;
    m_impact.reset();
    m_texts[MeasureControl::Distance] = QString();
    m_texts[MeasureControl::DistanceFt] = QString();
}

std::optional<QString> MeasureModel::pictureSizeRefusal() const
{
    const QSize& grid = m_grid.pictureSize;
    if (!grid.isValid() || !m_pictureSize.isValid() || grid == m_pictureSize)
        return std::nullopt;
    return QStringLiteral("This picture is %1 x %2 pixels, but grid %3 was set up on pictures of "
                          "%4 x %5 pixels: its buoys are not where the grid has them, and a "
                          "distance measured here would be wrong. Measure a picture of %4 x %5 "
                          "from this grid's camera, choose the grid of this camera, or set up a "
                          "grid on pictures of this size.")
        .arg(m_pictureSize.width())
        .arg(m_pictureSize.height())
        .arg(m_grid.number)
        .arg(grid.width())
        .arg(grid.height());
}

std::optional<QString> MeasureModel::recordRefusal() const
{
    // The scoring program reads the skier and the jump number from the
    // result line, and the picture is named after them.
    const QString skier = text(MeasureControl::SkierName).trimmed();
    if (skier.isEmpty() || skier == controlInitial(MeasureControl::SkierName))
        return kNoSkier;
    const QString jump = text(MeasureControl::JumpNo).trimmed();
    const bool whole = !jump.isEmpty() &&
                       std::all_of(jump.begin(), jump.end(), [](QChar c) { return c.isDigit(); });
    if (!whole)
        return kNoJumpNumber;
    return std::nullopt;
}

void MeasureModel::Clear()
{
    m_impact.reset();
    m_texts[MeasureControl::Distance] = QStringLiteral("m");
    m_texts[MeasureControl::DistanceFt] = QStringLiteral("ft");
    // One attempt, one number: a frame cleared without a result, or cleared
    // a second time by leaving the screen, does not skip a jump number.
    if (m_advanceOnClear)
        advanceJumpNumber();
    m_advanceOnClear = false;
    m_outcome = Outcome::JumpOK;
    m_texts[MeasureControl::Comment] = QString();
    m_frozen = false;
    // No picture on show: a fall recorded next was measured from nothing.
    m_pictureSource.clear();
    m_traceVideo.clear();
    m_traceFrame.reset();
    clearExchangePictures();
}

QString pictureFileStem(const QString& skier)
{
    return fileNameStem(skier);
}

QString MeasureModel::picturePath() const
{
    return joinPath(m_shared.CapturesDir,
                    pictureFileStem(text(MeasureControl::SkierName)) + QStringLiteral("jump") +
                        text(MeasureControl::JumpNo).trimmed() + m_shared.PictureExtension);
}

bool MeasureModel::savePicture(const PictureWriter& write)
{
    if (!m_frozen) {
        m_prompt.message(QStringLiteral("There is no picture on the measure screen to save."));
        return false;
    }
    const QString path = picturePath();
    m_prompt.message(path);
    if (QFileInfo::exists(path) &&
        !m_prompt.askYesNo(QStringLiteral("A picture of this skier and jump is already saved:\n%1\n"
                                          "Do you want to replace it?")
                               .arg(path),
                           QString(), Icon::Question, false))
        return false;
    if (const QString error = write(path); !error.isEmpty()) {
        m_prompt.message(QStringLiteral("The picture could not be saved:\n%1\n%2").arg(path, error),
                         kErrorTitle, Icon::Exclamation);
        return false;
    }
    pictureSaved(path);
    return true;
}

bool MeasureModel::leave(Leaving how, const PictureWriter& write)
{
    const QString question = QStringLiteral("Do you want to save this picture?");
    const bool fromFrameSelection = m_shared.LastScreen == ScreenTag::SelectFrame;
    // Without a picture there is nothing to save or lose.
    if (fromFrameSelection) {
        if (m_frozen) {
            const SavePolicy policy = m_shared.PictureSavePolicy;
            const bool save = policy == SavePolicy::Save ||
                              (policy == SavePolicy::Ask &&
                               m_prompt.askYesNo(question, QString(), Icon::Question, true));
            if (save && !savePicture(write))
                return false;
        }
        return true;
    }
    if (how == Leaving::Exit)
        return true;
    if (m_frozen && m_prompt.askYesNo(question, QString(), Icon::Question, true) &&
        !savePicture(write))
        return false;
    return !m_prompt.askYesNo(QStringLiteral("Do you want to remain on this form?"), QString(),
                              Icon::Question, true);
}

bool MeasureModel::clipFlagReady() const
{
    const auto lines =
        readLines(joinPath(exchangeFolder(m_settings), QStringLiteral("clipflag.txt")));
    if (!lines || lines->isEmpty())
        return false;
    // The flag is the file's first value: up to a comma, blanks and quotes around it ignored.
    QString value = lines->constFirst().section(QLatin1Char(','), 0, 0).trimmed();
    if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
        value = value.mid(1, value.size() - 2);
    return value == QLatin1String("Ready");
}

void MeasureModel::consumeClipFlag()
{
    // A flag that cannot be rewritten is left to the other program.
    (void)writeLines(joinPath(exchangeFolder(m_settings), QStringLiteral("clipflag.txt")),
                     {QStringLiteral("  ")});
}

QString MeasureModel::snapshotPath() const
{
    return joinPath(exchangeFolder(m_settings), QStringLiteral("snapshot.bmp"));
}

bool MeasureModel::pictureSaved(const QString& path)
{
    const QDateTime when = now();
    const QString skier = text(MeasureControl::SkierName);
    const QString jumpNo = text(MeasureControl::JumpNo).trimmed();
    bool ok = appendResults(pictureLine(when, PictureEvent::Saved, path));

    const QString info = path + QStringLiteral(".info");
    if (const FileResult r = writeLines(info, {pictureInfoLine(path, skier, jumpNo)}); !r) {
        m_prompt.message(
            QStringLiteral("The picture information file could not be written:\n%1\n%2")
                .arg(info, r.error),
            kErrorTitle, Icon::Exclamation);
        ok = false;
    }

    const QString log = joinPath(m_shared.VideoDir, m_shared.LogFileName);
    const QString logLine =
        pictureLogLine(when, skier, jumpNo, text(MeasureControl::Distance), path);
    if (const FileResult r = appendLines(log, {logLine}); !r) {
        m_prompt.message(
            QStringLiteral("The measurement log could not be written:\n%1\n%2").arg(log, r.error),
            kErrorTitle, Icon::Exclamation);
        ok = false;
    }
    return ok;
}

bool MeasureModel::pictureLoaded(const QString& path)
{
    return appendResults(pictureLine(now(), PictureEvent::Loaded, path));
}

} // namespace korvel
