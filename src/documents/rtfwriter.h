#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class QTextDocument;

// Rich-text (RTF) files of the documents text area, for "Сохранить как файл" and the command line's
// --rtf. Word and LibreOffice open them alike: Cyrillic goes out as \uN escapes, each followed by its
// Windows-1251 byte, so that an old reader that knows no Unicode still shows Russian.
namespace pelorin::documents {

struct RtfRun
{
    QString text; // line breaks inside a paragraph as '\n' or U+2028
    bool bold = false;
    bool italic = false;
    bool underline = false;
    qreal pointSize = 0; // 0: the document's default size
};

struct RtfParagraph
{
    enum class Align { Left, Centre, Right, Justify };
    Align align = Align::Left;
    // In points, as the text area's paragraph settings are given.
    qreal firstLineIndent = 0;
    qreal leftIndent = 0;
    qreal rightIndent = 0;
    QList<RtfRun> runs;
};

struct RtfDocument
{
    QString fontFamily; // empty: Times New Roman
    qreal defaultPointSize = 12;
    QList<RtfParagraph> paragraphs;
};

// The paragraphs, runs and paragraph settings of a rich-text document. Block margins and the first-line
// indent are read as points.
RtfDocument rtfDocument(const QTextDocument &document);
// Plain text, one paragraph per line, left-aligned at the default size.
RtfDocument rtfDocument(const QStringList &paragraphs, qreal pointSize = 12);

QByteArray writeRtf(const RtfDocument &document);
inline QByteArray writeRtf(const QTextDocument &document)
{
    return writeRtf(rtfDocument(document));
}

// The text as RTF source: control characters escaped, everything beyond ASCII as \uN with its
// Windows-1251 byte (or '?') for readers without Unicode.
QByteArray rtfEscaped(const QString &text);

// Writes the bytes to the file, replacing it; on failure *error gets the Russian message naming it.
bool saveRtfFile(const QString &path, const QByteArray &rtf, QString *error = nullptr);

} // namespace pelorin::documents
