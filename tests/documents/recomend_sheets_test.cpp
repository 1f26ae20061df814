#include "docprinter.h"
#include "recomend_sheets.h"
#include "rtfreader.h"

#include "dialogs.h"
#include "programfolder.h"
#include "reflist.h"

#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextEdit>
#include <QtTest>

using namespace pelorin;
using namespace pelorin::documents;

namespace {

// A program folder with the shipped sheets.
struct Folder
{
    QTemporaryDir dir;
    Folder()
    {
        QDir(dir.path()).mkpath(QStringLiteral("sourses"));
        folder::setRoot(dir.path());
        for (const char *name : {kAtopicSheet, kPsoriasisSheet})
            QFile::copy(QStringLiteral(PELORIN_SOURSES_DIR "/") + QLatin1String(name),
                        folder::sourses() + QLatin1String(name));
    }
    ~Folder() { folder::setRoot(QString()); }

    static void write(const char *name, const QByteArray &bytes)
    {
        QFile f(folder::sourses() + QLatin1String(name));
        QFile::setPermissions(f.fileName(), QFile::ReadOwner | QFile::WriteOwner);
        if (!f.open(QIODevice::WriteOnly))
            qFatal("cannot write %s", name);
        f.write(bytes);
    }
    static QString text(const char *name)
    {
        QFile f(folder::sourses() + QLatin1String(name));
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return decodeTextFile(f.readAll());
    }
};

// The editor's text with paragraphs joined by "\n".
QString plain(const QTextEdit &editor)
{
    return editor.document()->toPlainText();
}

// "Рекомендации" centred and bold, then "Уход за кожей" (a \u character, ANSI bytes), a tab and an
// italic word after a line break, left-aligned; a font table and a generator group to skip.
const QByteArray kRtf = "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}"
                        "{\\*\\generator Riched20 10.0;}\\viewkind4\\uc1\\pard\\qc\\f0\\fs28"
                        "{\\b \\'d0\\'e5\\'ea\\'ee\\'ec\\'e5\\'ed\\'e4\\'e0\\'f6\\'e8\\'e8}\\par\n"
                        "\\pard\\ql\\fs24 \\u1059?\\'f5\\'ee\\'e4 \\'e7\\'e0 \\'ea\\'ee\\'e6\\'e5\\'e9\\tab 1\\line "
                        "\\i \\'ea\\'f3\\'f0\\'f1\\'e8\\'e2\\i0\\par\n}";

} // namespace

class RecomendSheetsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void showSheet_data();
    void showSheet();
    void noChoiceEmptiesTheEditor();
    void missingSheetShowsAMessage();
    void printSheet_data();
    void printSheet();
    void printMissingSheetPrintsNothing();
    void windows1251Sheet();
    void rtfSheet();
    void rtfRecognised_data();
    void rtfRecognised();
};

void RecomendSheetsTest::showSheet_data()
{
    QTest::addColumn<QString>("choice");
    QTest::addColumn<QString>("sheet");
    QTest::newRow("atopic dermatitis") << "RadioSheet0" << QString::fromLatin1(kAtopicSheet);
    QTest::newRow("psoriasis") << "RadioSheet1" << QString::fromLatin1(kPsoriasisSheet);
}

void RecomendSheetsTest::showSheet()
{
    QFETCH(QString, choice);
    QFETCH(QString, sheet);
    ScopedScriptedDialogs dialogs;
    Folder f;
    QTextEdit editor;
    editor.setPlainText(QStringLiteral("прежний текст"));
    editor.setAlignment(Qt::AlignRight);
    DocsRecomendPage page(&editor);
    QCOMPARE(page.findChild<QGroupBox *>(QStringLiteral("RadioGroupSheets"))->title(),
             QStringLiteral("Выберите необходимые рекомендации:"));
    QCOMPARE(page.findChild<QRadioButton *>(QStringLiteral("RadioSheet0"))->text(),
             QStringLiteral("Рекомендации при атопическом дераматите"));
    QCOMPARE(page.findChild<QRadioButton *>(QStringLiteral("RadioSheet1"))->text(),
             QStringLiteral("Рекомендации при псориазе"));
    auto *show = page.findChild<QPushButton *>(QStringLiteral("Button48"));
    QCOMPARE(show->text(), QStringLiteral("Вывести список рекомендаций."));

    page.findChild<QRadioButton *>(choice)->click();
    show->click();
    const QString expected = Folder::text(qPrintable(sheet)).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QCOMPARE(plain(editor), expected);
    for (QTextBlock b = editor.document()->begin(); b.isValid(); b = b.next()) {
        QCOMPARE(b.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
        for (auto it = b.begin(); !it.atEnd(); ++it)
            QCOMPARE(it.fragment().charFormat().fontPointSize(), 12.0);
    }
    QVERIFY(dialogs.transcript.isEmpty());

    if (choice == QLatin1String("RadioSheet1")) {
        page.resize(700, 120);
        QVERIFY(!page.grab().isNull()); // it paints; no picture is left outside the test
        editor.resize(800, 500);
        QVERIFY(!editor.grab().isNull()); // it paints; no picture is left outside the test
    }
}

void RecomendSheetsTest::noChoiceEmptiesTheEditor()
{
    ScopedScriptedDialogs dialogs;
    Folder f;
    QTextEdit editor;
    editor.setPlainText(QStringLiteral("прежний текст"));
    DocsRecomendPage page(&editor);
    page.findChild<QPushButton *>(QStringLiteral("Button48"))->click();
    QVERIFY(plain(editor).isEmpty());
    QVERIFY(dialogs.transcript.isEmpty());
}

void RecomendSheetsTest::missingSheetShowsAMessage()
{
    ScopedScriptedDialogs dialogs;
    Folder f;
    QFile::remove(folder::sourses() + QLatin1String(kPsoriasisSheet));
    QTextEdit editor;
    editor.setPlainText(QStringLiteral("прежний текст"));
    QVERIFY(!showRecommendationSheet(&editor, QString::fromLatin1(kPsoriasisSheet)));
    QCOMPARE(dialogs.transcript.size(), 1);
    QVERIFY(dialogs.transcript.first().startsWith(QStringLiteral("message: Пелорин.: Не удалось открыть файл «")));
    QVERIFY(dialogs.transcript.first().endsWith(QStringLiteral("recom_ps.txt»: файл не найден")));
    QVERIFY(plain(editor).isEmpty());
}

void RecomendSheetsTest::printSheet_data()
{
    QTest::addColumn<QString>("sheet");
    QTest::newRow("atopic dermatitis") << QString::fromLatin1(kAtopicSheet);
    QTest::newRow("psoriasis") << QString::fromLatin1(kPsoriasisSheet);
}

void RecomendSheetsTest::printSheet()
{
    QFETCH(QString, sheet);
    ScopedScriptedDialogs dialogs;
    ScopedRecordingPrinter printer;
    Folder f;
    QTextEdit editor;
    QVERIFY(printRecommendationSheet(&editor, sheet));
    QCOMPARE(printer.jobs.size(), 1);
    QCOMPARE(printer.jobs.first().title, QStringLiteral("BD"));
    QCOMPARE(printer.jobs.first().plainText, plain(editor));
    QVERIFY(plain(editor).startsWith(QStringLiteral("РЕКОМЕНДАЦИИ ПАЦИЕНТУ")));
}

void RecomendSheetsTest::printMissingSheetPrintsNothing()
{
    ScopedScriptedDialogs dialogs;
    ScopedRecordingPrinter printer;
    Folder f;
    QFile::remove(folder::sourses() + QLatin1String(kAtopicSheet));
    QTextEdit editor;
    editor.setPlainText(QStringLiteral("выписка"));
    QVERIFY(!printRecommendationSheet(&editor, QString::fromLatin1(kAtopicSheet)));
    QVERIFY(printer.jobs.isEmpty());
    QCOMPARE(dialogs.transcript.size(), 1);
    QCOMPARE(plain(editor), QStringLiteral("выписка"));
}

void RecomendSheetsTest::windows1251Sheet()
{
    ScopedScriptedDialogs dialogs;
    Folder f;
    QStringEncoder cp1251("windows-1251");
    Folder::write(kAtopicSheet, QByteArray(cp1251(QStringLiteral("Диета.\r\nУход за кожей.\r\n"))));
    QTextEdit editor;
    QVERIFY(showRecommendationSheet(&editor, QString::fromLatin1(kAtopicSheet)));
    QCOMPARE(plain(editor), QStringLiteral("Диета.\nУход за кожей.\n"));
}

void RecomendSheetsTest::rtfSheet()
{
    ScopedScriptedDialogs dialogs;
    Folder f;
    Folder::write(kPsoriasisSheet, kRtf);
    QTextEdit editor;
    QVERIFY(showRecommendationSheet(&editor, QString::fromLatin1(kPsoriasisSheet)));
    // The line break stays inside the second paragraph.
    QCOMPARE(editor.document()->toRawText(), QString(QStringLiteral("Рекомендации") + QChar(QChar::ParagraphSeparator) +
                                                     QStringLiteral("Уход за кожей\t1") + QChar(QChar::LineSeparator) +
                                                     QStringLiteral("курсив") + QChar(QChar::ParagraphSeparator)));
    QCOMPARE(editor.document()->blockCount(), 3);
    const QTextBlock first = editor.document()->begin();
    QCOMPARE(first.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    QTextCursor c(first);
    c.movePosition(QTextCursor::NextCharacter);
    QCOMPARE(c.charFormat().fontWeight(), int(QFont::Bold));
    QCOMPARE(c.charFormat().fontPointSize(), 14.0);
    const QTextBlock second = first.next();
    QCOMPARE(second.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    QTextCursor s(second);
    s.movePosition(QTextCursor::NextCharacter);
    QCOMPARE(s.charFormat().fontWeight(), int(QFont::Normal));
    QCOMPARE(s.charFormat().fontPointSize(), 12.0);
    s.movePosition(QTextCursor::EndOfBlock);
    QVERIFY(s.charFormat().fontItalic());
    QVERIFY(dialogs.transcript.isEmpty());
}

void RecomendSheetsTest::rtfRecognised_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("rtf");
    QTest::newRow("rtf") << QByteArray("{\\rtf1 x}") << true;
    QTest::newRow("rtf after blanks") << QByteArray("\r\n {\\rtf1 x}") << true;
    QTest::newRow("plain") << QByteArray("Рекомендации") << false;
    QTest::newRow("braces only") << QByteArray("{просто скобки}") << false;
}

void RecomendSheetsTest::rtfRecognised()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, rtf);
    QCOMPARE(isRtf(bytes), rtf);
}

QTEST_MAIN(RecomendSheetsTest)
#include "recomend_sheets_test.moc"
