#pragma once
// The measure screen's controls: one enum, one table of objectName, caption
// and initial text. The model keeps its boxes by these ids and the screen
// makes its widgets from the same rows.

#include "shell/controls.h"

namespace korvel
{

enum class MeasureControl {
    // Text boxes the model keeps, up to VerifyDistance.
    Distance,
    DistanceFt,
    SkierName,
    JumpNo,
    Comment,
    BarefootIndicator,
    GridDescription,
    XTwips,
    YTwips,
    XPosition,
    YPosition,
    VerifyDistance,
    SetGrid,
    ShowGrid,
    Verify,
    OutcomeFrame,
    JumpOK,
    Pass,
    Fall,
    OptionalReride,
    MandatoryReride,
    OtherGrid,
    MakeComment,
    Record,
    IwsfLabel,
    AwsaLabel,
    PixelWorthLabel,
    Unfreeze,
    ClipSnapShot,
    ImgSnapShot,
    AutoLoad,
    NextJump,
    FrozenSign,
    Unofficial,
    GridHandle,
    FileName,
    CrossHandle,
    CrossSize,
    AdjustHandle,
    AdjustUp,
    AdjustLeft,
    AdjustRight,
    AdjustDown,
    MaxBuoy,
    MinBuoy,
    MaxBuoyM,
    MinBuoyM,
    LineHorizontal,
    LineVertical,
    LineSplash,
    ProposedTouch,
    SavePicture,
    LoadPicture,
    Paste,
    Results,
    Calibrate,
    CaptureNext,
    ViewLog,
    Exit,
};

inline constexpr ControlRow<MeasureControl> kMeasureControls[] = {
    {MeasureControl::Distance, "distance", nullptr, "M"},
    {MeasureControl::DistanceFt, "distance_ft", nullptr, "FT"},
    {MeasureControl::SkierName, "Skier_name", nullptr, "Skier Name"},
    {MeasureControl::JumpNo, "Jump_no", nullptr, "Jump"},
    {MeasureControl::Comment, "Comment", nullptr, ""},
    {MeasureControl::BarefootIndicator, "barefoot_indicator", nullptr, ""},
    {MeasureControl::GridDescription, "grid_description", nullptr, ""},
    {MeasureControl::XTwips, "xtwips", nullptr, ""},
    {MeasureControl::YTwips, "ytwips", nullptr, ""},
    {MeasureControl::XPosition, "xposition", nullptr, ""},
    {MeasureControl::YPosition, "yposition", nullptr, ""},
    {MeasureControl::VerifyDistance, "VerifyDistance", nullptr, ""},
    {MeasureControl::SetGrid, "Set_grid", "&Grid 1", nullptr},
    {MeasureControl::ShowGrid, "Show_grid", "Show Grid", nullptr},
    {MeasureControl::Verify, "verify", "Verify", nullptr},
    {MeasureControl::OutcomeFrame, "Frame1", nullptr, nullptr},
    {MeasureControl::JumpOK, "optJumpOK", "Jump OK", nullptr},
    {MeasureControl::Pass, "Pass", "Pass", nullptr},
    {MeasureControl::Fall, "Fall", "Fall", nullptr},
    {MeasureControl::OptionalReride, "O_reride", "Opt. reride", nullptr},
    {MeasureControl::MandatoryReride, "M_Reride", "Man. Reride", nullptr},
    {MeasureControl::OtherGrid, "Other_Grid", "Other Grid", nullptr},
    {MeasureControl::MakeComment, "Make_comment", "Comment", nullptr},
    {MeasureControl::Record, "Record", "Record &Jump", nullptr},
    {MeasureControl::IwsfLabel, "IWSFlabel", "IWSF Official Distance", nullptr},
    {MeasureControl::AwsaLabel, "AWSAlabel", "AWSA Official Distance", nullptr},
    {MeasureControl::PixelWorthLabel, "lblPixelWorth", nullptr, nullptr},
    {MeasureControl::Unfreeze, "Unfreeze", "Clear", nullptr},
    {MeasureControl::ClipSnapShot, "ClipSnapShot", nullptr, nullptr},
    {MeasureControl::ImgSnapShot, "ImgSnapShot", nullptr, nullptr},
    {MeasureControl::AutoLoad, "cbAutoLoadClipboard", "Auto Load", nullptr},
    {MeasureControl::NextJump, "btnNextJump", "Capture Next Jump", nullptr},
    {MeasureControl::FrozenSign, "FrozenSign", "FROZEN", nullptr},
    {MeasureControl::Unofficial, "UnofficialJump", "UNOFFICIAL JUMP", nullptr},
    {MeasureControl::GridHandle, "gridlabel", "Grid Description (drag-it)", nullptr},
    {MeasureControl::FileName, "gif_file_name", nullptr, ".gif file name"},
    {MeasureControl::CrossHandle, "CrossLabel", "Adjust Cross Size (drag-it)", nullptr},
    {MeasureControl::CrossSize, "CrossSize", nullptr, nullptr},
    {MeasureControl::AdjustHandle, "AdjustmentLabel", "Micro-Adjust (drag-it)", nullptr},
    {MeasureControl::AdjustUp, "AdjustUp", nullptr, nullptr},
    {MeasureControl::AdjustLeft, "AdjustLeft", nullptr, nullptr},
    {MeasureControl::AdjustRight, "AdjustRight", nullptr, nullptr},
    {MeasureControl::AdjustDown, "AdjustDown", nullptr, nullptr},
    {MeasureControl::MaxBuoy, "maxbuoy", nullptr, nullptr},
    {MeasureControl::MinBuoy, "minbuoy", nullptr, nullptr},
    {MeasureControl::MaxBuoyM, "maxbuoym", nullptr, nullptr},
    {MeasureControl::MinBuoyM, "minbuoym", nullptr, nullptr},
    {MeasureControl::LineHorizontal, "lineHorizontalImpact", nullptr, nullptr},
    {MeasureControl::LineVertical, "lineVerticalImpact", nullptr, nullptr},
    {MeasureControl::LineSplash, "lineSplashIndicator", nullptr, nullptr},
    {MeasureControl::ProposedTouch, "shpProposedTouch", nullptr, nullptr},
    {MeasureControl::SavePicture, "SavePict", "&Save Picture", nullptr},
    {MeasureControl::LoadPicture, "LoadPict", "&Load Picture", nullptr},
    {MeasureControl::Paste, "mnuPaste", "&Paste", nullptr},
    {MeasureControl::Results, "mnuResults", "&Results", nullptr},
    {MeasureControl::Calibrate, "mnuCalibrate", "&Calibrate", nullptr},
    {MeasureControl::CaptureNext, "mnuCapture", "C&apture Next Jump", nullptr},
    {MeasureControl::ViewLog, "mnuViewLog", "&View Log", nullptr},
    {MeasureControl::Exit, "Exit", "E&xit", nullptr},
};
static_assert(controlsInEnumOrder(kMeasureControls));

constexpr std::span<const ControlRow<MeasureControl>> controlTable(MeasureControl)
{
    return kMeasureControls;
}

constexpr bool isMeasureBox(MeasureControl c)
{
    return c <= MeasureControl::VerifyDistance;
}

} // namespace korvel
