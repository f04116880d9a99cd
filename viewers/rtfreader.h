#pragma once
// Rich text as word processors save it: the manual korvel ships, and names
// files that a tournament office typed in a word processor. The reader knows
// the common subset (groups, paragraphs and line breaks, tabs, bold, italic,
// underline, font size, alignment and indents, Windows-1252 and Unicode
// characters) and passes over what it does not show (font and colour tables,
// style sheets, document information, pictures, field instructions, hidden
// text).
//
// A file that is not rich text is taken as plain text. A damaged file gives
// the text that could be read; the reader never loops or recurses on its
// input, so nothing in a file can hang or crash the program.

#include <QByteArray>
#include <QString>

class QTextDocument;

namespace korvel
{

// True when the bytes start (after blanks or a byte-order mark) with "{\rtf".
bool looksLikeRtf(const QByteArray& bytes);

// The text of rich or plain text bytes. Paragraphs and line breaks end with
// "\n"; plain text comes back as it was, its line ends made "\n".
// When doc is given it is cleared and filled with the formatted text.
QString readRichText(const QByteArray& bytes, QTextDocument* doc = nullptr);

// Plain text bytes as text: UTF-8 when they are valid UTF-8 (a byte-order
// mark dropped), else Windows-1252, the code page of files written on the
// lake's Windows machines. CR LF and lone CR become "\n".
QString plainTextFromBytes(const QByteArray& bytes);

} // namespace korvel
