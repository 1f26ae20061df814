#include "rtfreader.h"
#include "rtfwriter.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

using namespace pelorin::documents;

namespace {

// A certificate-like document: a centred letterhead line, a bold larger title, an indented body
// paragraph, an empty paragraph and a right-aligned signature.
void composeCertificate(QTextDocument &doc)
{
    QFont font = doc.defaultFont();
    font.setPointSize(12);
    doc.setDefaultFont(font);
    QTextCursor c(&doc);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    c.setBlockFormat(centred);
    c.insertText(QStringLiteral("Клиника «Пелорин» № 1"));
    c.insertBlock(centred);
    QTextCharFormat title;
    title.setFontWeight(QFont::Bold);
    title.setFontPointSize(16);
    c.insertText(QStringLiteral("СПРАВКА"), title);
    QTextBlockFormat body;
    body.setAlignment(Qt::AlignLeft);
    body.setTextIndent(20);
    body.setLeftMargin(20);
    body.setRightMargin(20);
    c.insertBlock(body, QTextCharFormat());
    c.insertText(QStringLiteral(" Дана пациенту Ёлкину Ивану Петровичу, 1970 года рождения {в том}, что он\\она здоров."));
    c.insertBlock(body);
    QTextBlockFormat right;
    right.setAlignment(Qt::AlignRight);
    right.setTextIndent(20);
    c.insertBlock(right);
    c.insertText(QStringLiteral("Врач - Иванова А. А."));
}

} // namespace

class RtfWriterTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void escapes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("rtf");
        QTest::newRow("ascii") << QStringLiteral("abc 123.") << QByteArray("abc 123.");
        QTest::newRow("braces and backslash") << QStringLiteral("{a}\\b") << QByteArray("\\{a\\}\\\\b");
        QTest::newRow("cyrillic with 1251 byte") << QStringLiteral("Да") << QByteArray("\\u1044\\'c4\\u1072\\'e0");
        QTest::newRow("yo") << QStringLiteral("Ёё") << QByteArray("\\u1025\\'a8\\u1105\\'b8");
        QTest::newRow("numero and quotes") << QStringLiteral("№«»") << QByteArray("\\u8470\\'b9\\u171\\'ab\\u187\\'bb");
        QTest::newRow("no 1251 byte") << QStringLiteral("€✓") << QByteArray("\\u8364\\'88\\u10003?");
        QTest::newRow("above 32767 is negative") << QString(QChar(0xFB01)) << QByteArray("\\u-1279?");
        QTest::newRow("tab and line break") << QStringLiteral("a\tb\nc") << QByteArray("a\\tab b\\line c");
    }
    void escapes()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, rtf);
        QCOMPARE(rtfEscaped(text), rtf);
    }

    void headerNamesCyrillicCodePage()
    {
        const QByteArray rtf = writeRtf(rtfDocument(QStringList{QStringLiteral("x")}));
        QVERIFY(rtf.startsWith("{\\rtf1\\ansi\\ansicpg1251"));
        QVERIFY(rtf.contains("\\uc1"));
        QVERIFY(rtf.contains("\\fcharset204"));
        QVERIFY(rtf.trimmed().endsWith('}'));
        // Pure ASCII: the file is readable by any 8-bit reader.
        for (const char ch : rtf)
            QVERIFY(uchar(ch) < 0x80);
    }

    void paragraphSettingsKept()
    {
        QTextDocument doc;
        composeCertificate(doc);
        const QByteArray rtf = writeRtf(doc);
        const QList<QByteArray> pars = rtf.split('\n');
        // Header line, five paragraphs, closing brace.
        QCOMPARE(pars.size(), 1 + 5 + 2);
        QVERIFY(pars.at(1).startsWith("\\pard\\qc"));
        QVERIFY(pars.at(2).startsWith("\\pard\\qc"));
        QVERIFY(pars.at(2).contains("{\\b\\fs32 "));
        QVERIFY(pars.at(3).startsWith("\\pard\\ql\\fi400\\li400\\ri400"));
        QVERIFY(pars.at(3).contains("{\\fs24 "));
        QVERIFY(pars.at(4).startsWith("\\pard\\ql\\fi400\\li400\\ri400"));
        QVERIFY(pars.at(5).startsWith("\\pard\\qr\\fi400"));
        QVERIFY(!pars.at(5).contains("\\par\n") && !pars.at(5).endsWith("\\par"));
        QVERIFY(pars.at(1).endsWith("\\par"));
    }

    void roundTripThroughReader()
    {
        QTextDocument doc;
        composeCertificate(doc);
        QTextDocument back;
        QTextCursor cursor(&back);
        QVERIFY(insertRtf(cursor, writeRtf(doc)));
        QCOMPARE(back.toPlainText(), doc.toPlainText());
        QCOMPARE(back.blockCount(), doc.blockCount());
        const QTextBlock title = back.findBlockByNumber(1);
        QCOMPARE(title.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
        const QTextCharFormat titleFormat = title.begin().fragment().charFormat();
        QVERIFY(titleFormat.fontWeight() >= QFont::Bold);
        QCOMPARE(titleFormat.fontPointSize(), 16.0);
        const QTextBlock body = back.findBlockByNumber(2);
        QVERIFY(body.begin().fragment().charFormat().fontWeight() < QFont::DemiBold);
        QCOMPARE(back.findBlockByNumber(4).blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    }

    void plainParagraphsOfTheCommandLine()
    {
        const QStringList lines{QStringLiteral("Выписка"), QString(), QStringLiteral("Итого")};
        const QByteArray rtf = writeRtf(rtfDocument(lines));
        QTextDocument back;
        QTextCursor cursor(&back);
        QVERIFY(insertRtf(cursor, rtf));
        QCOMPARE(back.toPlainText(), lines.join(QLatin1Char('\n')));
    }

    void savesAndReplaces()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("справка.rtf"));
        QVERIFY(saveRtfFile(path, "{\\rtf1 old}"));
        QVERIFY(saveRtfFile(path, "{\\rtf1 new}"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("{\\rtf1 new}"));
        QString error;
        QVERIFY(!saveRtfFile(dir.filePath(QStringLiteral("нет/такой/папки.rtf")), "x", &error));
        QVERIFY(error.startsWith(QStringLiteral("Не удалось записать файл")));
    }
};

QTEST_MAIN(RtfWriterTest)
#include "rtfwriter_test.moc"
