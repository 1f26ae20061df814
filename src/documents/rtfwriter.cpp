#include "rtfwriter.h"

#include "safefile.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>

#include <cmath>

namespace pelorin::documents {

namespace {

// Unicode → Windows-1251 byte, built by reading the code page backwards, so that the fallback bytes are
// whatever the decoder of the rest of the program (reference lists, recommendation sheets) reads.
const QHash<char16_t, char> &cp1251()
{
    static const QHash<char16_t, char> table = [] {
        QHash<char16_t, char> t;
        QStringDecoder decoder("windows-1251", QStringConverter::Flag::Stateless);
        if (!decoder.isValid())
            return t;
        for (int b = 0x80; b <= 0xff; ++b) {
            const char byte = char(b);
            const QString s = decoder.decode(QByteArrayView(&byte, 1));
            if (s.size() == 1 && s.at(0) != QChar::ReplacementCharacter)
                t.insert(s.at(0).unicode(), byte);
        }
        return t;
    }();
    return table;
}

int twips(qreal points)
{
    return int(std::lround(points * 20));
}

int halfPoints(qreal points)
{
    return int(std::lround(points * 2));
}

RtfParagraph::Align alignOf(Qt::Alignment a)
{
    if (a & Qt::AlignHCenter)
        return RtfParagraph::Align::Centre;
    if (a & Qt::AlignJustify)
        return RtfParagraph::Align::Justify;
    // Right-to-left text never reaches the text area, so "trailing" is simply right.
    if (a & (Qt::AlignRight | Qt::AlignTrailing))
        return RtfParagraph::Align::Right;
    return RtfParagraph::Align::Left;
}

bool isBold(const QTextCharFormat &f)
{
    return f.hasProperty(QTextFormat::FontWeight) && f.fontWeight() >= QFont::DemiBold;
}

} // namespace

RtfDocument rtfDocument(const QTextDocument &document)
{
    RtfDocument out;
    const QFont font = document.defaultFont();
    // The generic names of a Linux desktop mean nothing to Word; those files get the default face.
    static const QStringList generic{QStringLiteral("Sans Serif"), QStringLiteral("Sans"), QStringLiteral("Serif"),
                                     QStringLiteral("Monospace"), QStringLiteral("Helvetica")};
    if (!generic.contains(font.family(), Qt::CaseInsensitive))
        out.fontFamily = font.family();
    out.defaultPointSize = font.pointSizeF() > 0 ? font.pointSizeF() : 12;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QTextBlockFormat bf = block.blockFormat();
        RtfParagraph p;
        p.align = alignOf(bf.alignment());
        p.firstLineIndent = bf.textIndent();
        p.leftIndent = bf.leftMargin() + bf.indent() * document.indentWidth();
        p.rightIndent = bf.rightMargin();
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid())
                continue;
            const QTextCharFormat cf = fragment.charFormat();
            RtfRun run;
            run.text = fragment.text();
            run.text.remove(QChar::ObjectReplacementCharacter); // pictures are not kept
            run.bold = isBold(cf);
            run.italic = cf.fontItalic();
            run.underline = cf.fontUnderline();
            run.pointSize = cf.fontPointSize();
            if (!run.text.isEmpty())
                p.runs << run;
        }
        // An empty paragraph still has the height of its own size; keep it as a run without text.
        if (p.runs.isEmpty()) {
            RtfRun mark;
            mark.pointSize = block.charFormat().fontPointSize();
            mark.bold = isBold(block.charFormat());
            p.runs << mark;
        }
        out.paragraphs << p;
    }
    return out;
}

RtfDocument rtfDocument(const QStringList &paragraphs, qreal pointSize)
{
    RtfDocument out;
    out.defaultPointSize = pointSize;
    for (const QString &text : paragraphs) {
        RtfParagraph p;
        p.runs << RtfRun{text};
        out.paragraphs << p;
    }
    return out;
}

QByteArray rtfEscaped(const QString &text)
{
    QByteArray out;
    out.reserve(text.size() * 2);
    const QHash<char16_t, char> &ansi = cp1251();
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == '\\' || u == '{' || u == '}') {
            out += '\\';
            out += char(u);
        } else if (u == '\t') {
            out += "\\tab ";
        } else if (u == '\n' || u == 0x2028) {
            out += "\\line ";
        } else if (u < 0x20) {
            continue; // stray control characters have no meaning in a paragraph
        } else if (u < 0x7f) {
            out += char(u);
        } else {
            // \u takes a signed 16-bit number; \uc1 in the header says one fallback character follows.
            out += "\\u" + QByteArray::number(int(qint16(u)));
            const auto hit = ansi.constFind(u);
            if (hit == ansi.constEnd())
                out += '?';
            else
                out += "\\'" + QByteArray::number(uchar(*hit), 16).rightJustified(2, '0');
        }
    }
    return out;
}

QByteArray writeRtf(const RtfDocument &document)
{
    const qreal defaultSize = document.defaultPointSize > 0 ? document.defaultPointSize : 12;
    const QString family = document.fontFamily.isEmpty() ? QStringLiteral("Times New Roman") : document.fontFamily;
    QByteArray out;
    // \fcharset204 and \lang1049: Cyrillic font and Russian language, so that spelling and hyphenation
    // of the word processor take the text for Russian.
    out += "{\\rtf1\\ansi\\ansicpg1251\\deff0\\uc1\\deflang1049";
    out += "{\\fonttbl{\\f0\\fnil\\fcharset204 " + rtfEscaped(family) + ";}}";
    out += "\\viewkind4\\f0\\fs" + QByteArray::number(halfPoints(defaultSize)) + "\n";
    for (qsizetype i = 0; i < document.paragraphs.size(); ++i) {
        const RtfParagraph &p = document.paragraphs.at(i);
        out += "\\pard";
        switch (p.align) {
        case RtfParagraph::Align::Left:
            out += "\\ql";
            break;
        case RtfParagraph::Align::Centre:
            out += "\\qc";
            break;
        case RtfParagraph::Align::Right:
            out += "\\qr";
            break;
        case RtfParagraph::Align::Justify:
            out += "\\qj";
            break;
        }
        if (p.firstLineIndent != 0)
            out += "\\fi" + QByteArray::number(twips(p.firstLineIndent));
        if (p.leftIndent != 0)
            out += "\\li" + QByteArray::number(twips(p.leftIndent));
        if (p.rightIndent != 0)
            out += "\\ri" + QByteArray::number(twips(p.rightIndent));
        // The paragraph mark takes the size of the paragraph's last run, as the empty lines of a
        // certificate keep the height they had on the screen.
        const qreal markSize = p.runs.isEmpty() || p.runs.last().pointSize <= 0 ? defaultSize
                                                                                 : p.runs.last().pointSize;
        out += "\\plain\\lang1049\\fs" + QByteArray::number(halfPoints(markSize));
        for (const RtfRun &run : p.runs) {
            if (run.text.isEmpty())
                continue;
            out += "{";
            if (run.bold)
                out += "\\b";
            if (run.italic)
                out += "\\i";
            if (run.underline)
                out += "\\ul";
            out += "\\fs" + QByteArray::number(halfPoints(run.pointSize > 0 ? run.pointSize : defaultSize));
            out += ' ';
            out += rtfEscaped(run.text);
            out += "}";
        }
        // Every paragraph but the last ends with \par: a final \par would add an empty paragraph.
        if (i + 1 < document.paragraphs.size())
            out += "\\par";
        out += '\n';
    }
    out += "}\n";
    return out;
}

bool saveRtfFile(const QString &path, const QByteArray &rtf, QString *error)
{
    QString reason;
    if (!safefile::write(path, rtf, &reason)) {
        if (error)
            *error = QStringLiteral("Не удалось записать файл «%1»: %2.")
                         .arg(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()), reason);
        return false;
    }
    return true;
}

} // namespace pelorin::documents
