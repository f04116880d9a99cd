#pragma once
// Reading a file that comes from elsewhere (a grid from another laptop, a
// log, a names file, a path from a hand-edited setting). Only a plain file is
// read: a pipe would keep korvel waiting for a writer that never comes, and a
// device such as /dev/zero never ends. And only as much as a valid file of
// its kind can hold, so a wrong file named by mistake is refused at once
// instead of filling the memory.

#include <QByteArray>
#include <QString>

#include <optional>

namespace korvel
{

// The whole file, when it is a plain file of at most maxBytes; nullopt with
// the reason in *error otherwise.
std::optional<QByteArray> readPlainFile(const QString& path, qint64 maxBytes,
                                        QString* error = nullptr);

// Empty when path names a plain file or nothing at all; otherwise why it is
// not to be opened (a folder, a pipe, a device). For readers that open the
// file through a library of their own (FFmpeg, the picture readers).
QString notAPlainFile(const QString& path);

// The system's words for an errno value ("No space left on device").
QString errnoText(int e);

} // namespace korvel
