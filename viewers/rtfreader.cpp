#include "viewers/rtfreader.h"

#include "shell/textfile.h"

#include <QStringDecoder>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace korvel
{

namespace
{

// Nesting deeper than this is read as if it were at this depth: real files
// stay far below it, and a file of nothing but "{" costs no memory.
constexpr std::size_t kMaxDepth = 256;
// Control words are at most 32 letters; a longer run of letters is one word
// cut to this length.
constexpr int kMaxWordLength = 32;
// Numeric parameters are 16- or 32-bit in practice; longer digit runs are
// read to their end and held at this bound.
constexpr std::int64_t kMaxParam = 2147483647;

// Default size: 12 pt, in the half points of \fs.
constexpr int kDefaultHalfPoints = 24;

struct CharState {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool hidden = false; // \v: text the writer keeps out of sight
    int halfPoints = kDefaultHalfPoints;
    bool operator==(const CharState&) const = default;
};

struct ParState {
    Qt::Alignment align = Qt::AlignLeft;
    // Twips: 1440 to the inch, 15 to the pixel.
    int left = 0;
    int right = 0;
    int first = 0;
    int before = 0;
    int after = 0;
};

struct GroupState {
    CharState ch;
    ParState par;
    int uc = 1;        // characters that stand in for each \u character
    bool skip = false; // a destination whose text is not shown
};

// Destinations that hold no text of the document: tables, descriptions,
// pictures and objects, field instructions, headers and footers, revision
// and list bookkeeping.
bool isSkippedDestination(const QByteArray& word)
{
    static const QByteArray kSkipped[] = {
        "fonttbl",
        "colortbl",
        "stylesheet",
        "info",
        "pict",
        "object",
        "objdata",
        "fldinst",
        "header",
        "headerl",
        "headerr",
        "headerf",
        "footer",
        "footerl",
        "footerr",
        "footerf",
        "footnote",
        "listtable",
        "listoverridetable",
        "rsidtbl",
        "generator",
        "themedata",
        "colorschememapping",
        "latentstyles",
        "datastore",
        "xmlnstbl",
        "filetbl",
        "revtbl",
        "pgdsctbl",
        "nonshppict",
        "comment",
        "annotation",
        "atnid",
        "atnauthor",
        "bkmkstart",
        "bkmkend",
        "xe",
        "tc",
        "txe",
        "rxe",
        "template",
        "docvar",
        "fontemb",
        "fontfile",
        "mmathPr",
        "ftnsep",
        "ftnsepc",
        "ftncn",
        "aftnsep",
        "aftnsepc",
        "aftncn",
        "userprops",
        "private",
        "pn",
        "shpinst",
        "sp",
        "sn",
        "sv",
    };
    return std::find(std::begin(kSkipped), std::end(kSkipped), word) != std::end(kSkipped);
}

int clampTwips(std::int64_t v)
{
    // Indents and spacing beyond 22 inches are damage, not layout.
    return static_cast<int>(std::clamp<std::int64_t>(v, -31680, 31680));
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

class RtfReader
{
public:
    RtfReader(const QByteArray& bytes, QTextDocument* doc)
        : m_p(bytes.constData()), m_end(bytes.constData() + bytes.size()), m_doc(doc)
    {
        if (m_doc) {
            m_doc->clear();
            m_cursor = QTextCursor(m_doc);
        }
    }

    QString read()
    {
        // Everything before the opening brace is not part of the document.
        while (m_p < m_end && *m_p != '{')
            ++m_p;
        while (m_p < m_end && !m_done) {
            const char c = *m_p++;
            switch (c) {
            case '{':
                openGroup();
                break;
            case '}':
                closeGroup();
                break;
            case '\\':
                controlSequence();
                break;
            case '\r':
            case '\n':
                break; // line ends in the file carry no meaning
            default:
                byte(static_cast<unsigned char>(c));
                break;
            }
        }
        endParagraph(false);
        return m_plain;
    }

private:
    void openGroup()
    {
        m_pendingSkip = 0;
        if (m_stack.size() < kMaxDepth)
            m_stack.push_back(m_state);
        else
            ++m_overflow;
    }

    void closeGroup()
    {
        m_pendingSkip = 0;
        if (m_overflow > 0) {
            --m_overflow;
            return;
        }
        if (m_stack.empty()) {
            m_done = true;
            return;
        }
        m_state = m_stack.back();
        m_stack.pop_back();
        // The outermost group closed: the document ends here, whatever follows.
        if (m_stack.empty())
            m_done = true;
    }

    // A character that stands in for the \u character just read is dropped.
    bool consumedAsFallback()
    {
        if (m_pendingSkip > 0) {
            --m_pendingSkip;
            return true;
        }
        return false;
    }

    void byte(unsigned char b)
    {
        if (consumedAsFallback() || m_state.skip)
            return;
        if (b == '\t') {
            character(QChar(u'\t'));
            return;
        }
        if (b < 0x20 || b == 0x7F)
            return; // other control bytes are not text
        character(fromSingleByte(QByteArray(1, static_cast<char>(b))).at(0));
    }

    void controlSequence()
    {
        if (m_p >= m_end)
            return;
        const char c = *m_p;
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
            controlWord();
            return;
        }
        ++m_p;
        if (c == '\'') {
            int value = 0;
            int digits = 0;
            while (digits < 2 && m_p < m_end && hexValue(*m_p) >= 0) {
                value = value * 16 + hexValue(*m_p++);
                ++digits;
            }
            if (digits == 0)
                return;
            if (consumedAsFallback() || m_state.skip)
                return;
            if (value == '\t')
                character(QChar(u'\t'));
            else if (value >= 0x20)
                character(fromSingleByte(QByteArray(1, static_cast<char>(value))).at(0));
            return;
        }
        if (consumedAsFallback())
            return;
        switch (c) {
        case '*':
            // An optional destination: shown only by readers that know it.
            m_state.skip = true;
            return;
        case '{':
        case '}':
        case '\\':
            if (!m_state.skip)
                character(QChar::fromLatin1(c));
            return;
        case '~':
            if (!m_state.skip)
                character(QChar(0x00A0));
            return;
        case '_':
            if (!m_state.skip)
                character(QChar(u'-'));
            return;
        case '\r':
        case '\n':
            if (!m_state.skip)
                endParagraph(true);
            return;
        default:
            return; // optional hyphen, index marks and the like
        }
    }

    void controlWord()
    {
        QByteArray word;
        while (m_p < m_end && ((*m_p >= 'a' && *m_p <= 'z') || (*m_p >= 'A' && *m_p <= 'Z'))) {
            if (word.size() < kMaxWordLength)
                word.append(*m_p);
            ++m_p;
        }
        bool hasParam = false;
        bool negative = false;
        std::int64_t param = 0;
        if (m_p < m_end && *m_p == '-' && m_p + 1 < m_end && m_p[1] >= '0' && m_p[1] <= '9') {
            negative = true;
            ++m_p;
        }
        while (m_p < m_end && *m_p >= '0' && *m_p <= '9') {
            hasParam = true;
            param = std::min(param * 10 + (*m_p - '0'), kMaxParam);
            ++m_p;
        }
        if (negative)
            param = -param;
        if (m_p < m_end && *m_p == ' ')
            ++m_p; // the blank that ends a control word belongs to it

        if (word == "bin") {
            // Binary data of the given length follows; it may hold any byte.
            const std::int64_t left = m_end - m_p;
            m_p += std::clamp<std::int64_t>(param, 0, left);
            return;
        }
        if (consumedAsFallback() || m_state.skip)
            return;
        if (isSkippedDestination(word)) {
            m_state.skip = true;
            return;
        }
        apply(word, hasParam, param);
    }

    void apply(const QByteArray& w, bool hasParam, std::int64_t param)
    {
        const bool on = !hasParam || param != 0;
        CharState& ch = m_state.ch;
        ParState& par = m_state.par;
        if (w == "par" || w == "sect" || w == "page" || w == "row")
            endParagraph(true);
        else if (w == "line")
            lineBreak();
        else if (w == "tab" || w == "cell")
            character(QChar(u'\t'));
        else if (w == "b")
            ch.bold = on;
        else if (w == "i")
            ch.italic = on;
        else if (w == "ul" || w == "uld" || w == "uldb" || w == "ulw" || w == "uldash" ||
                 w == "ulth" || w == "ulwave")
            ch.underline = on;
        else if (w == "ulnone")
            ch.underline = false;
        else if (w == "v")
            ch.hidden = on;
        else if (w == "plain")
            ch = CharState{};
        else if (w == "fs") {
            if (hasParam && param > 0)
                ch.halfPoints = static_cast<int>(std::clamp<std::int64_t>(param, 8, 144));
        } else if (w == "pard")
            par = ParState{};
        else if (w == "ql")
            par.align = Qt::AlignLeft;
        else if (w == "qc")
            par.align = Qt::AlignHCenter;
        else if (w == "qr")
            par.align = Qt::AlignRight;
        else if (w == "qj")
            par.align = Qt::AlignJustify;
        else if (w == "li")
            par.left = clampTwips(param);
        else if (w == "ri")
            par.right = clampTwips(param);
        else if (w == "fi")
            par.first = clampTwips(param);
        else if (w == "sb")
            par.before = clampTwips(param);
        else if (w == "sa")
            par.after = clampTwips(param);
        else if (w == "uc")
            m_state.uc = static_cast<int>(std::clamp<std::int64_t>(param, 0, 16));
        else if (w == "u")
            unicode(param);
        else if (w == "emdash")
            character(QChar(0x2014));
        else if (w == "endash")
            character(QChar(0x2013));
        else if (w == "bullet")
            character(QChar(0x2022));
        else if (w == "lquote")
            character(QChar(0x2018));
        else if (w == "rquote")
            character(QChar(0x2019));
        else if (w == "ldblquote")
            character(QChar(0x201C));
        else if (w == "rdblquote")
            character(QChar(0x201D));
        else if (w == "emspace" || w == "enspace" || w == "qmspace")
            character(QChar(u' '));
    }

    void unicode(std::int64_t param)
    {
        // Signed 16-bit: characters above 32767 are written negative.
        if (param < 0)
            param += 65536;
        if (param > 0 && param <= 0xFFFF) {
            const QChar c(static_cast<char16_t>(param));
            if (c == u'\t' || c.unicode() >= 0x20)
                character(c);
        }
        m_pendingSkip = m_state.uc;
    }

    void character(QChar c)
    {
        if (m_state.ch.hidden)
            return;
        if (m_doc && !(m_state.ch == m_runFormat)) {
            flushRun();
            m_runFormat = m_state.ch;
        }
        m_run.append(c);
        m_plain.append(c);
    }

    void lineBreak()
    {
        if (m_state.ch.hidden)
            return;
        if (m_doc && !(m_state.ch == m_runFormat)) {
            flushRun();
            m_runFormat = m_state.ch;
        }
        m_run.append(QChar::LineSeparator);
        m_plain.append(u'\n');
    }

    void flushRun()
    {
        if (!m_doc || m_run.isEmpty()) {
            m_run.clear();
            return;
        }
        QTextCharFormat f;
        f.setFontWeight(m_runFormat.bold ? QFont::Bold : QFont::Normal);
        f.setFontItalic(m_runFormat.italic);
        f.setFontUnderline(m_runFormat.underline);
        f.setFontPointSize(m_runFormat.halfPoints / 2.0);
        m_cursor.insertText(m_run, f);
        m_run.clear();
    }

    // Ends the paragraph with the paragraph settings in force at its end, as
    // word processors do; a new one starts when `more` is set.
    void endParagraph(bool more)
    {
        if (m_doc) {
            flushRun();
            const ParState& par = m_state.par;
            QTextBlockFormat b;
            b.setAlignment(par.align);
            // Twips to pixels: 15 to one.
            b.setLeftMargin(par.left / 15.0);
            b.setRightMargin(par.right / 15.0);
            b.setTextIndent(par.first / 15.0);
            b.setTopMargin(par.before / 15.0);
            b.setBottomMargin(par.after / 15.0);
            m_cursor.setBlockFormat(b);
            if (more)
                m_cursor.insertBlock();
        }
        if (more)
            m_plain.append(u'\n');
    }

    const char* m_p;
    const char* m_end;
    QTextDocument* m_doc;
    QTextCursor m_cursor;
    std::vector<GroupState> m_stack;
    std::size_t m_overflow = 0;
    GroupState m_state;
    int m_pendingSkip = 0;
    bool m_done = false;
    CharState m_runFormat;
    QString m_run;
    QString m_plain;
};

} // namespace

bool looksLikeRtf(const QByteArray& bytes)
{
    qsizetype i = 0;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        i = 3;
    while (i < bytes.size() &&
           (bytes[i] == ' ' || bytes[i] == '\t' || bytes[i] == '\r' || bytes[i] == '\n'))
        ++i;
    return bytes.mid(i, 5) == "{\\rtf";
}

QString plainTextFromBytes(const QByteArray& bytes)
{
    QByteArrayView view(bytes);
    if (view.startsWith("\xEF\xBB\xBF"))
        view = view.sliced(3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(view);
    if (utf8.hasError())
        text = fromSingleByte(view.toByteArray());
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

QString readRichText(const QByteArray& bytes, QTextDocument* doc)
{
    if (!looksLikeRtf(bytes)) {
        const QString text = plainTextFromBytes(bytes);
        if (doc)
            doc->setPlainText(text);
        return text;
    }
    return RtfReader(bytes, doc).read();
}

} // namespace korvel
