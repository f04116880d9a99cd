#pragma once
// Folders and paths: the program folder, the exchange folder of the scoring
// program, and joining folder and name the one way the whole program does.

#include <QList>
#include <QString>

#include <utility>

namespace korvel
{

class Settings;

enum class PathKind { File = 0, Folder = 1, Drive = 2 };

// Whether a file, a folder, or the drive (the filesystem root) of path exists.
bool PathExists(const QString& path, PathKind kind);

// Drops one trailing separator ("/", or "\" as older settings may hold).
QString StripTrailingBackslash(const QString& path);

// folder + separator + name, after dropping one trailing separator of folder.
QString joinPath(const QString& folder, const QString& name);

// A skier name made safe as the start of a file name in its folder, by the
// same rule as the name box below (without its comma and letter mending):
// path separators, ":", ".." and control characters become blanks, so no
// picture or video named after a skier lands outside its folder.
QString fileNameStem(const QString& skier);

// A skier name as typed, made safe for a file name in the video folder: a
// comma, a path separator, ":", ".." or a control character is replaced by a
// blank, and a letter outside the single-byte code page becomes its base
// letter (singleByteText); the message says which the operator typed and
// what the name became. Empty message: the name was fine. The capture
// screen's name box and the fix of a name after a duplicate recording both go
// through here, so the video's name and the skier's name never differ.
struct SkierNameCheck {
    QString name;
    QString message; // everything to tell, the letters mended included
    QString rules;   // a refused character alone ("," "/" ".." a control)
    QList<std::pair<QString, QString>> letters; // letters mended, as singleByteText
};
SkierNameCheck checkSkierName(const QString& text);

// What the operator is told when a typed name was made single-byte: the name
// kept and each letter changed (the changes of singleByteText).
QString singleByteNameMessage(const QString& name,
                              const QList<std::pair<QString, QString>>& changes);

// The user's own folder of korvel's files (~/.local/share/korvel): the first
// run's sample tournament, and the program folder of an installed copy.
QString userDataFolder();

// The folder korvel writes its working files in (currentcapture.bmp,
// SkierNames.txt): KORVEL_HOME when that is set; else the folder of the
// executable, as in a build tree or a copied folder; else, for an installed
// copy (bin/ beside share/korvel/) or a folder the operator cannot write,
// the user's data folder, made when first asked for.
QString programFolder();

// A file shipped with the program (the manual, the grid state pictures): in
// the program folder when it is there, else where the build or the
// installation put it: beside the executable, or in share/korvel/ of an
// installed copy. So a program folder moved elsewhere with KORVEL_HOME still
// finds what ships with korvel.
QString shippedFile(const QString& name);

// The program's drive: empty on systems with one filesystem tree, so the
// exchange folder sits at "/kvio".
QString programDrive();

// The exchange folder of the scoring program: the kviodir setting when set
// (the scoring program often runs under a Windows layer with its own drive
// mapping), else the program's drive + "/kvio".
QString exchangeFolder(const Settings& settings);

} // namespace korvel
