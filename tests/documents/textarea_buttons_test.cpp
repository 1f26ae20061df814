#include "dialogs.h"
#include "docprinter.h"
#include "documentviewer.h"
#include "programfolder.h"
#include "report_files.h"
#include "rtfreader.h"
#include "textarea_buttons.h"
#include "worddocument.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QTextEdit>

using namespace pelorin;
using namespace pelorin::documents;

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// The documents section in small: six pages, the chart fifth, and the text area under them.
struct Section
{
    QTabWidget pages;
    QTextEdit text;
    TextAreaButtons buttons{&text, &pages};
    int chartPrints = 0;

    Section()
    {
        for (int i = 0; i < 6; ++i)
            pages.addTab(new QWidget, QString::number(i));
        text.setPlainText(QStringLiteral("СПРАВКА\nДана пациенту Иванову И. И."));
        buttons.setChartPrinter([this](QPrinter &printer) {
            ++chartPrints;
            QPainter painter;
            if (!painter.begin(&printer))
                return false;
            painter.drawLine(0, 0, 100, 100);
            return true;
        });
    }
};

} // namespace

class TextAreaButtonsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void captionsUnderTheTextArea()
    {
        Section s;
        QCOMPARE(s.buttons.printButton()->text(), QStringLiteral("Отправить на печать"));
        QCOMPARE(s.buttons.saveButton()->text(), QStringLiteral("Сохранить как файл"));
        QCOMPARE(s.buttons.wordButton()->text(), QStringLiteral("Отправить содержимое в Word"));
    }

    void printsTheTextAreaAsJobBD()
    {
        Section s;
        ScopedRecordingPrinter printer;
        ScopedScriptedDialogs dialogs;
        QTest::mouseClick(s.buttons.printButton(), Qt::LeftButton);
        QCOMPARE(printer.jobs.size(), 1);
        QCOMPARE(printer.jobs.at(0).title, QStringLiteral("BD"));
        QCOMPARE(printer.jobs.at(0).plainText, s.text.toPlainText());
        QVERIFY(!printer.jobs.at(0).picture);
        QVERIFY(dialogs.transcript.isEmpty()); // no print dialog, no question
        QCOMPARE(s.chartPrints, 0);
    }

    void chartPagePrintsTheChart()
    {
        Section s;
        s.pages.setCurrentIndex(TextAreaButtons::kChartPage);
        ScopedRecordingPrinter printer;
        QVERIFY(s.buttons.printDocument());
        QCOMPARE(printer.jobs.size(), 1);
        QCOMPARE(printer.jobs.at(0).title, QStringLiteral("BD"));
        QVERIFY(printer.jobs.at(0).picture);
        QVERIFY(printer.jobs.at(0).pdf.startsWith("%PDF"));
        QCOMPARE(s.chartPrints, 1);
    }

    void withoutPrinterOffersPdf_data()
    {
        QTest::addColumn<int>("page");
        QTest::newRow("text area") << 0;
        QTest::newRow("chart") << TextAreaButtons::kChartPage;
    }
    void withoutPrinterOffersPdf()
    {
        QFETCH(int, page);
        QTemporaryDir dir;
        Section s;
        s.pages.setCurrentIndex(page);
        ScopedRecordingPrinter printer;
        printer.printerPresent = false;
        ScopedScriptedDialogs dialogs;
        dialogs.answers = {QStringLiteral("yes"), dir.filePath(QStringLiteral("справка"))};
        QVERIFY(s.buttons.printDocument());
        QVERIFY(printer.jobs.isEmpty());
        QVERIFY(dialogs.transcript.at(0).startsWith(QStringLiteral("ask: Внимание!: На этом компьютере не "
                                                                    "установлен принтер.")));
        QVERIFY(readAll(dir.filePath(QStringLiteral("справка.pdf"))).startsWith("%PDF"));
        QCOMPARE(s.chartPrints, page == TextAreaButtons::kChartPage ? 1 : 0);
    }

    void withoutPrinterRefusedPdfSaysSo()
    {
        Section s;
        ScopedRecordingPrinter printer;
        printer.printerPresent = false;
        ScopedScriptedDialogs dialogs;
        dialogs.answers = {QStringLiteral("no")};
        QVERIFY(!s.buttons.printDocument());
        QCOMPARE(dialogs.transcript.size(), 1); // the question itself: never a silent no-op
    }

    void saveNames_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("existing");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("written");
        QTest::addColumn<bool>("asked");
        QTest::newRow("new name without extension") << "справка" << "" << "" << "справка.rtf" << false;
        QTest::newRow("new name .rtf") << "справка.rtf" << "" << "" << "справка.rtf" << false;
        QTest::newRow("new name .RTF") << "справка.RTF" << "" << "" << "справка.RTF" << false;
        QTest::newRow("new name other extension") << "справка.txt" << "" << "" << "справка.txt.rtf" << false;
        QTest::newRow("existing .txt, yes") << "старое.txt" << "старое.txt" << "yes" << "старое.txt" << true;
        QTest::newRow("existing .txt, no") << "старое.txt" << "старое.txt" << "no" << "" << true;
        QTest::newRow("existing without extension") << "старое" << "старое" << "yes" << "старое" << true;
        QTest::newRow("new name, its .rtf exists, no") << "справка" << "справка.rtf" << "no" << "" << true;
        QTest::newRow("new name, its .rtf exists, yes")
            << "справка" << "справка.rtf" << "yes" << "справка.rtf" << true;
    }
    void saveNames()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, existing);
        QFETCH(QString, answer);
        QFETCH(QString, written);
        QFETCH(bool, asked);
        QTemporaryDir dir;
        const QByteArray old("старый файл");
        if (!existing.isEmpty())
            writeFile(dir.filePath(existing), old);
        Section s;
        ScopedScriptedDialogs dialogs;
        dialogs.answers << dir.filePath(chosen);
        if (!answer.isEmpty())
            dialogs.answers << answer;
        QCOMPARE(s.buttons.saveAsFile(), !written.isEmpty());
        QCOMPARE(dialogs.transcript.at(0), QStringLiteral("save: Сохранить как"));
        QCOMPARE(dialogs.transcript.size() > 1 && dialogs.transcript.at(1).startsWith(QStringLiteral("ask: ")), asked);
        QStringList files = QDir(dir.path()).entryList(QDir::Files);
        if (written.isEmpty()) {
            // Nothing written: only the file that was there, untouched.
            QCOMPARE(files, existing.isEmpty() ? QStringList() : QStringList{existing});
            if (!existing.isEmpty())
                QCOMPARE(readAll(dir.filePath(existing)), old);
            return;
        }
        QVERIFY(files.contains(written));
        const QByteArray rtf = readAll(dir.filePath(written));
        QVERIFY(isRtf(rtf));
        QTextDocument back;
        QTextCursor cursor(&back);
        QVERIFY(insertRtf(cursor, rtf));
        QCOMPARE(back.toPlainText(), s.text.toPlainText());
    }

    void saveCancelledOrOnChartPageWritesNothing()
    {
        QTemporaryDir dir;
        Section s;
        ScopedScriptedDialogs dialogs;
        QVERIFY(!s.buttons.saveAsFile()); // no answer: the dialog was cancelled
        s.pages.setCurrentIndex(TextAreaButtons::kChartPage);
        dialogs.answers << dir.filePath(QStringLiteral("x"));
        QVERIFY(!s.buttons.saveAsFile());
        QCOMPARE(dialogs.transcript, QStringList{QStringLiteral("save: Сохранить как")});
        QVERIFY(QDir(dir.path()).entryList(QDir::Files).isEmpty());
    }

    void wordFillsACopyNeverTheTemplate_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("text") << QStringLiteral("СПРАВКА\nДана пациенту Иванову И. И.");
        QTest::newRow("empty text area") << QString();
    }
    void wordFillsACopyNeverTheTemplate()
    {
        QFETCH(QString, text);
        QTemporaryDir root;
        QDir().mkpath(root.filePath(QStringLiteral("sourses/reports")));
        const QString templ = root.filePath(QStringLiteral("sourses/reports/vipiska.docx"));
        QVERIFY(QFile::copy(QStringLiteral(PELORIN_SOURSES_DIR "/reports/vipiska.docx"), templ));
        const QByteArray before = readAll(templ);
        folder::setRoot(root.path());

        Section s;
        s.text.setPlainText(text);
        int draws = 0;
        s.buttons.setDrawNumber([&draws] { return 7 + draws++; });
        // A copy of an earlier press keeps its number.
        QDir().mkpath(root.filePath(QStringLiteral("reports")));
        writeFile(root.filePath(QStringLiteral("reports/vipiska_7.docx")), "earlier");
        office::ScopedRecordingDocumentViewer viewer;
        ScopedScriptedDialogs dialogs;
        QTest::mouseClick(s.buttons.wordButton(), Qt::LeftButton);
        folder::setRoot(QString());

        const QString copy = QDir(root.filePath(QStringLiteral("reports"))).absoluteFilePath(QStringLiteral("vipiska_8.docx"));
        QCOMPARE(QFileInfo(s.buttons.lastWordCopy()).absoluteFilePath(), copy);
        QCOMPARE(viewer.opened.size(), 1);
        QCOMPARE(QFileInfo(viewer.opened.at(0)).absoluteFilePath(), copy);
        QCOMPARE(readAll(templ), before);
        QCOMPARE(readAll(root.filePath(QStringLiteral("reports/vipiska_7.docx"))), QByteArray("earlier"));
        QVERIFY(dialogs.transcript.isEmpty());

        office::WordDocument filled;
        QVERIFY(filled.open(copy));
        const QString body = filled.bodyText();
        QVERIFY(!body.contains(kSummaryPlaceholder));
        if (!text.isEmpty())
            QVERIFY(body.contains(QStringLiteral("Дана пациенту Иванову И. И.")));
        office::WordDocument original;
        QVERIFY(original.open(templ));
        QVERIFY(original.bodyText().contains(kSummaryPlaceholder));
    }

    void wordWithoutTemplateSaysSo()
    {
        QTemporaryDir root;
        folder::setRoot(root.path());
        Section s;
        office::ScopedRecordingDocumentViewer viewer;
        ScopedScriptedDialogs dialogs;
        QVERIFY(!s.buttons.sendToWord());
        folder::setRoot(QString());
        QCOMPARE(dialogs.transcript.size(), 1);
        QVERIFY(dialogs.transcript.at(0).startsWith(QStringLiteral("message: ")));
        QVERIFY(viewer.opened.isEmpty());
    }
};

QTEST_MAIN(TextAreaButtonsTest)
#include "textarea_buttons_test.moc"
