#pragma once
// The small pictures that tell an operator at a glance whether a grid may be
// used: a smiling face for a solved or loaded grid, a warning sign for one that
// must be set up again. They ship beside the program ("face02.ico",
// "msgbox03.ico", "SmallSmiley.jpg", "SmallCaution.jpg"); when a file is
// missing the same picture is drawn in place.

#include <QImage>
#include <QString>

namespace korvel
{

enum class StatePicture { Valid, Invalid, SmallSmiley, SmallCaution };

QString statePictureFile(StatePicture which);
QImage drawStatePicture(StatePicture which);
// The shipped file from the program folder, or the drawn picture.
QImage statePicture(StatePicture which);

} // namespace korvel
