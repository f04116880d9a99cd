#pragma once
// The operator's manual, "KV05Manual.rtf", shipped in the program folder.

#include <QString>

class QTextDocument;

namespace korvel
{

inline const QString kManualFile = QStringLiteral("KV05Manual.rtf");

// program folder + "KV05Manual.rtf".
QString manualPath();

// Fills doc with the manual at path. Empty when it worked, else a message for
// the operator saying which file could not be read and why.
QString loadManual(QTextDocument& doc, const QString& path = manualPath());

} // namespace korvel
