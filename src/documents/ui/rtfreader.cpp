#include "rtfreader.h"

#include <QSet>
#include <QStringDecoder>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QVector>
#include <memory>

namespace pelorin::documents {

namespace {

// Groups whose content is not text of the document.
const QSet<QByteArray> &skippedDestinations()
{
    static const QSet<QByteArray> names = {
        "fonttbl",   "colortbl",          "stylesheet", "info",      "pict",     "object",    "header",
        "headerl",   "headerr",           "headerf",    "footer",    "footerl",  "footerr",   "footerf",
        "listtable", "listoverridetable", "rsidtbl",    "generator", "xmlnstbl", "themedata", "colorschememapping",
        "datastore", "latentstyles",      "fldinst",    "filetbl",   "revtbl",   "pgdsctbl",  "footnote",
        "bkmkstart", "bkmkend",           "nonshppict", "shp",
    };
    return names;
}

class Reader
{
public:
    Reader(QTextCursor &cursor, const QByteArray &in) : m_cursor(cursor), m_in(in) { setCodePage(1251); }

    void run()
    {
        m_base = m_cursor.charFormat();
        m_state.chr = m_base;
        m_state.blk = m_cursor.blockFormat();
        while (m_pos < m_in.size()) {
            const char c = m_in.at(m_pos++);
            switch (c) {
            case '{':
                flush();
                m_stack.push_back(m_state);
                break;
            case '}':
                flush();
                if (!m_stack.isEmpty()) {
                    m_state = m_stack.takeLast();
                    m_cursor.setCharFormat(m_state.chr);
                }
                break;
            case '\\':
                controlSequence();
                break;
            case '\r':
            case '\n':
                break;
            default:
                addByte(c);
                break;
            }
        }
        flush();
    }

private:
    struct State
    {
        QTextCharFormat chr;
        QTextBlockFormat blk;
        bool skip = false;
        int uc = 1;
    };

    void setCodePage(int page)
    {
        const QByteArray name = QByteArray("windows-") + QByteArray::number(page);
        auto decoder = std::make_unique<QStringDecoder>(name.constData(), QStringConverter::Flag::Stateless);
        if (decoder->isValid())
            m_decoder = std::move(decoder);
    }

    void addByte(char c)
    {
        if (m_skipChars > 0) {
            --m_skipChars;
            return;
        }
        if (!m_state.skip)
            m_bytes += c;
    }

    void addChar(QChar c)
    {
        if (m_state.skip)
            return;
        flushBytes();
        m_text += c;
    }

    void flushBytes()
    {
        if (m_bytes.isEmpty())
            return;
        m_text += m_decoder->decode(m_bytes);
        m_bytes.clear();
    }

    void flush()
    {
        flushBytes();
        if (m_text.isEmpty())
            return;
        m_cursor.insertText(m_text, m_state.chr);
        m_text.clear();
    }

    void controlSequence()
    {
        if (m_pos >= m_in.size())
            return;
        const char c = m_in.at(m_pos);
        if (!isLetter(c)) {
            ++m_pos;
            controlSymbol(c);
            return;
        }
        const qsizetype start = m_pos;
        while (m_pos < m_in.size() && isLetter(m_in.at(m_pos)))
            ++m_pos;
        const QByteArray word = m_in.mid(start, m_pos - start);
        bool hasParam = false;
        int param = 0;
        const qsizetype numberStart = m_pos;
        if (m_pos < m_in.size() && (m_in.at(m_pos) == '-' || isDigit(m_in.at(m_pos)))) {
            ++m_pos;
            while (m_pos < m_in.size() && isDigit(m_in.at(m_pos)))
                ++m_pos;
            param = m_in.mid(numberStart, m_pos - numberStart).toInt(&hasParam);
        }
        if (m_pos < m_in.size() && m_in.at(m_pos) == ' ')
            ++m_pos;
        controlWord(word, hasParam, param);
    }

    void controlSymbol(char c)
    {
        switch (c) {
        case '\'': {
            const QByteArray hex = m_in.mid(m_pos, 2);
            m_pos += 2;
            bool ok = false;
            const int byte = hex.toInt(&ok, 16);
            if (ok)
                addByte(char(byte));
            break;
        }
        case '\\':
        case '{':
        case '}':
            addByte(c);
            break;
        case '~':
            addChar(QChar(0x00A0));
            break;
        case '_':
            addChar(QChar(0x2011));
            break;
        case '*':
            m_state.skip = true;
            break;
        case '\r':
        case '\n':
            paragraph();
            break;
        default: // "\-" (optional hyphen) and anything unknown
            break;
        }
    }

    void paragraph()
    {
        if (m_state.skip)
            return;
        flush();
        m_cursor.insertBlock(m_state.blk, m_state.chr);
    }

    void setAlignment(Qt::Alignment alignment)
    {
        m_state.blk.setAlignment(alignment);
        if (!m_state.skip)
            m_cursor.mergeBlockFormat(m_state.blk);
    }

    void controlWord(const QByteArray &word, bool hasParam, int param)
    {
        if (skippedDestinations().contains(word)) {
            m_state.skip = true;
            return;
        }
        // Character formatting applies from here on: the text before it goes out first.
        const bool on = !hasParam || param != 0;
        if (word == "par") {
            paragraph();
        } else if (word == "line") {
            addChar(QChar::LineSeparator);
        } else if (word == "tab") {
            addChar(QLatin1Char('\t'));
        } else if (word == "emdash") {
            addChar(QChar(0x2014));
        } else if (word == "endash") {
            addChar(QChar(0x2013));
        } else if (word == "bullet") {
            addChar(QChar(0x2022));
        } else if (word == "lquote") {
            addChar(QChar(0x2018));
        } else if (word == "rquote") {
            addChar(QChar(0x2019));
        } else if (word == "ldblquote") {
            addChar(QChar(0x201C));
        } else if (word == "rdblquote") {
            addChar(QChar(0x201D));
        } else if (word == "u" && hasParam) {
            addChar(QChar(char16_t(param < 0 ? param + 65536 : param)));
            m_skipChars = m_state.uc;
        } else if (word == "uc" && hasParam) {
            m_state.uc = param;
        } else if (word == "ansicpg" && hasParam) {
            flushBytes();
            setCodePage(param);
        } else if (word == "b") {
            flush();
            m_state.chr.setFontWeight(on ? QFont::Bold : QFont::Normal);
        } else if (word == "i") {
            flush();
            m_state.chr.setFontItalic(on);
        } else if (word == "ul") {
            flush();
            m_state.chr.setFontUnderline(on);
        } else if (word == "ulnone") {
            flush();
            m_state.chr.setFontUnderline(false);
        } else if (word == "strike") {
            flush();
            m_state.chr.setFontStrikeOut(on);
        } else if (word == "fs" && hasParam && param > 0) {
            flush();
            m_state.chr.setFontPointSize(param / 2.0);
        } else if (word == "plain") {
            flush();
            m_state.chr = m_base;
        } else if (word == "pard") {
            m_state.blk = QTextBlockFormat();
            if (!m_state.skip)
                m_cursor.setBlockFormat(m_state.blk);
        } else if (word == "qc") {
            setAlignment(Qt::AlignHCenter);
        } else if (word == "qr") {
            setAlignment(Qt::AlignRight);
        } else if (word == "qj") {
            setAlignment(Qt::AlignJustify);
        } else if (word == "ql") {
            setAlignment(Qt::AlignLeft);
        }
    }

    static bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
    static bool isDigit(char c) { return c >= '0' && c <= '9'; }

    QTextCursor &m_cursor;
    const QByteArray m_in;
    qsizetype m_pos = 0;
    std::unique_ptr<QStringDecoder> m_decoder;
    QTextCharFormat m_base;
    State m_state;
    QVector<State> m_stack;
    QByteArray m_bytes;
    QString m_text;
    int m_skipChars = 0;
};

} // namespace

bool isRtf(const QByteArray &bytes)
{
    return bytes.trimmed().startsWith("{\\rtf");
}

bool insertRtf(QTextCursor &cursor, const QByteArray &rtf)
{
    if (!isRtf(rtf))
        return false;
    cursor.beginEditBlock();
    Reader(cursor, rtf.trimmed()).run();
    cursor.endEditBlock();
    return true;
}

} // namespace pelorin::documents
