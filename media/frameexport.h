#pragma once
// Writing the displayed frame as "currentcapture.bmp": the picture grid set-up
// and measurement open next. The file is replaced whole or not at all, and the
// operator hears about every reason it was not, so no one measures the frame
// of an earlier jump believing it is this one.

#include "media/framesource.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace korvel
{

class Prompt;

// "currentcapture.bmp" in the program folder.
QString currentCapturePath();

// The picture as a packed 24-bit bitmap: the 40-byte information header
// followed by the rows bottom-up, each padded to 4 bytes.
QByteArray packedDib(const Picture& picture);

// Decodes frame n of the video and writes it to target. True when the new
// picture is in place. Otherwise the operator was told why and target is as
// it was before.
bool ExportFrame(const QString& videoPath, std::int64_t n, Prompt& prompt,
                 const QString& target = currentCapturePath());

// The same through a video that is already open (the player's), so the frame
// on screen is written without decoding it again.
bool ExportFrame(FrameSource& source, const QString& videoPath, std::int64_t n, Prompt& prompt,
                 const QString& target = currentCapturePath());

// The operator's messages for a video that cannot be opened.
QString openFailureMessage(OpenFailure failure, const QString& videoPath);

} // namespace korvel
