#pragma once
// The operator's manual, "KV05Manual.rtf", shipped in the program folder.

#include "shell/controls.h"

#include <QString>

#include <span>

class QTextDocument;

namespace korvel
{

inline const QString kManualFile = QStringLiteral("KV05Manual.rtf");

// "Korvel 2005 Manual" (frmManual).
enum class ManualControl {
    Text, // the manual
    Title,
    Done,
};
inline constexpr ControlRow<ManualControl> kManualControls[] = {
    {ManualControl::Text, "RichTextBox1"},
    {ManualControl::Title, "Label1", "Korvel 2005 Manual"},
    {ManualControl::Done, "cmdDone", "Done"},
};
static_assert(controlsInEnumOrder(kManualControls));
constexpr std::span<const ControlRow<ManualControl>> controlTable(ManualControl)
{
    return kManualControls;
}

// "KV05Manual.rtf" in the program folder (else beside the executable).
QString manualPath();

// Fills doc with the manual at path. Empty when it worked, else a message for
// the operator saying which file could not be read and why.
QString loadManual(QTextDocument& doc, const QString& path = manualPath());

} // namespace korvel
