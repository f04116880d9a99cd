#pragma once
// File names on the command line as the system's bytes. Qt holds a file name
// as text, and a name that is not valid UTF-8 (a Latin-1 "Müller.avi" from an
// old camera card or a Windows share) would come back from that text as
// another name: the file would not be found, or the picture written under a
// name with a replacement character while success was reported.
//
// Such a name reaches korvel's readers and writers through a stand-in path
// of plain ASCII: its folder opened by its bytes and named through
// /proc/self/fd; a file's own name that is not UTF-8 is a link to the real
// file for reading, or a file written beside it and renamed to the real name
// by its bytes once the command has succeeded.

#include <QByteArray>
#include <QList>
#include <QString>

namespace korvel::tool
{

class SystemNames
{
public:
    SystemNames() = default;
    ~SystemNames();
    SystemNames(const SystemNames&) = delete;
    SystemNames& operator=(const SystemNames&) = delete;

    // The argument as text: itself when its bytes are UTF-8, else a stand-in.
    QString input(const QByteArray& raw);
    QString output(const QByteArray& raw);
    QString folder(const QByteArray& raw); // a folder the command writes into

    // Gives the files written under stand-in names their real names. False,
    // with the reason in *error, when one of them could not be renamed.
    bool finish(QString* error);

    // The text with every stand-in shown as the name it stands for.
    QString shown(const QString& text) const;

    static bool isUtf8(const QByteArray& raw);

private:
    int openFolder(const QByteArray& folder);
    void remember(const QString& standIn, const QByteArray& raw);

    struct Output {
        int scratch = -1; // folder of the stand-in, beside the real file
        int parent = -1;  // the real file's folder
        QByteArray name;  // the real file's own name
        QByteArray scratchName;
        QByteArray standIn; // the stand-in's own name in the scratch folder
    };
    QList<int> m_fds;
    QList<Output> m_outputs;
    QByteArray m_links;                     // private folder of input links, made when first needed
    QList<QPair<QString, QString>> m_shown; // stand-in, name as text
};

} // namespace korvel::tool
