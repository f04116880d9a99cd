#pragma once
// The three places the Setup page can put the program: the applications menu,
// the desktop and the session's autostart folder, each as a freedesktop
// .desktop entry.

#include <QImage>
#include <QString>

#include <optional>

namespace lensor
{

enum class ShellEntry { Programs, Desktop, Startup };

QString shellEntryPath(ShellEntry e);
bool shellEntryExists(ShellEntry e);
// The entry's text for the program at executable.
QByteArray desktopEntryText(const QString& executable);

// Writes the entry whole or not at all (and the program's icon beside the
// user's icons); returns the operator's message when it failed.
std::optional<QString> createShellEntry(ShellEntry e, const QString& executable,
                                        const QImage& icon);
std::optional<QString> removeShellEntry(ShellEntry e);

} // namespace lensor
