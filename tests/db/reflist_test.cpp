#include "programfolder.h"
#include "reflist.h"

#include <QtTest>

using namespace pelorin;

namespace {

// Written byte by byte rather than with Qt's encoder, so the decoder is not checked against itself.
QByteArray utf16(const QString &text, bool bigEndian)
{
    QByteArray bytes;
    for (QChar c : text) {
        const char high = char(c.unicode() >> 8);
        const char low = char(c.unicode() & 0xff);
        bytes.append(bigEndian ? high : low);
        bytes.append(bigEndian ? low : high);
    }
    return bytes;
}

} // namespace

class ReflistTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cleanup();

    void decode_data();
    void decode();
    void writtenBackInTheCodePageUnlessItCannotHoldTheText();
    void splitLines_data();
    void splitLines();
    void readFile_data();
    void readFile();
    void missingFileNamesIt();
    void folderIsNoFile();
    void folderLayout();
    void toFileSystem_data();
    void toFileSystem();
    void readFromSourses();
};

void ReflistTest::cleanup()
{
    folder::setRoot(QString());
}

void ReflistTest::decode_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("encoding");

    const QString word = QStringLiteral("Москва");
    const int ansi = int(TextEncoding::Windows1251);
    const int utf8 = int(TextEncoding::Utf8);
    QTest::newRow("utf-8 mark") << QByteArray("\xEF\xBB\xBF") + word.toUtf8() << word
                                << int(TextEncoding::Utf8WithMark);
    QTest::newRow("utf-16le mark") << QByteArray("\xFF\xFE") + utf16(word, false) << word
                                   << int(TextEncoding::Utf16LE);
    QTest::newRow("utf-16be mark") << QByteArray("\xFE\xFF") + utf16(word, true) << word
                                   << int(TextEncoding::Utf16BE);
    // "Москва" in the Russian ANSI code page.
    QTest::newRow("windows-1251") << QByteArray("\xCC\xEE\xF1\xEA\xE2\xE0") << word << ansi;
    QTest::newRow("windows-1251 yo and quotes")
        << QByteArray("\xA8\xEB\xEA\xE0 \xAB\xE1\xBB \xB9") << QStringLiteral("Ёлка «б» №") << ansi;
    QTest::newRow("ascii") << QByteArray("PUVA-1000") << QStringLiteral("PUVA-1000") << utf8;
    // What Linux editors save.
    QTest::newRow("utf-8 without mark") << QByteArray("\xD0\x9C") << QStringLiteral("М") << utf8;
    QTest::newRow("utf-8 letterhead without mark")
        << QStringLiteral("ООО «Клиника» №1\r\nЁлки-Палки").toUtf8() << QStringLiteral("ООО «Клиника» №1\r\nЁлки-Палки")
        << utf8;
    // A cut UTF-8 sequence is no UTF-8: the code page reads it.
    QTest::newRow("broken utf-8 is ansi") << QByteArray("\xD0") << QStringLiteral("Р") << ansi;
    QTest::newRow("only the mark") << QByteArray("\xEF\xBB\xBF") << QString() << int(TextEncoding::Utf8WithMark);
    QTest::newRow("second mark is text") << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF") + "a" << QStringLiteral("\uFEFFa")
                                         << int(TextEncoding::Utf8WithMark);
    QTest::newRow("empty") << QByteArray() << QString() << utf8;
}

void ReflistTest::decode()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    QFETCH(int, encoding);

    TextEncoding found = TextEncoding::Utf16BE;
    QCOMPARE(decodeTextFile(bytes, &found), expected);
    QCOMPARE(int(found), encoding);
    // Written back, the file keeps its bytes.
    QCOMPARE(encodeTextFile(expected, found), bytes);
}

void ReflistTest::writtenBackInTheCodePageUnlessItCannotHoldTheText()
{
    QCOMPARE(encodeTextFile(QStringLiteral("Ёлка"), TextEncoding::Windows1251), QByteArray("\xA8\xEB\xEA\xE0"));
    // A sign the code page lacks is not turned into a question mark.
    const QString text = QStringLiteral("Ёлка ≥ 5");
    QCOMPARE(encodeTextFile(text, TextEncoding::Windows1251), QByteArray("\xEF\xBB\xBF") + text.toUtf8());
}

void ReflistTest::splitLines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("cr lf with final") << QStringLiteral("a\r\nb\r\n") << QStringList{"a", "b"};
    QTest::newRow("cr lf without final") << QStringLiteral("a\r\nb") << QStringList{"a", "b"};
    QTest::newRow("empty line kept") << QStringLiteral("a\r\n\r\nb") << QStringList{"a", "", "b"};
    QTest::newRow("bare lf") << QStringLiteral("a\nb") << QStringList{"a", "b"};
    QTest::newRow("mixed") << QStringLiteral("a\r\nb\nc\r\n") << QStringList{"a", "b", "c"};
    QTest::newRow("empty first line") << QStringLiteral("\r\nМосква\r\n") << QStringList{"", "Москва"};
    QTest::newRow("empty text") << QString() << QStringList();
    QTest::newRow("only a terminator") << QStringLiteral("\r\n") << QStringList{""};
    QTest::newRow("two terminators") << QStringLiteral("\n\n") << QStringList{"", ""};
    QTest::newRow("lone cr is text") << QStringLiteral("a\rb\r\nc") << QStringList{"a\rb", "c"};
    QTest::newRow("cr at the end is text") << QStringLiteral("a\r") << QStringList{"a\r"};
    QTest::newRow("blanks kept") << QStringLiteral(" a \r\n") << QStringList{" a "};
}

void ReflistTest::splitLines()
{
    QFETCH(QString, text);
    QFETCH(QStringList, expected);

    QCOMPARE(pelorin::splitLines(text), expected);
}

void ReflistTest::readFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("expected");

    const QStringList regions = {QStringLiteral("Москва"), QStringLiteral("Тверь")};
    const QString crlf = QStringLiteral("Москва\r\nТверь\r\n");
    QTest::newRow("utf-8 mark, cr lf") << QByteArray("\xEF\xBB\xBF") + crlf.toUtf8() << regions;
    QTest::newRow("utf-16le mark, cr lf") << QByteArray("\xFF\xFE") + utf16(crlf, false) << regions;
    QTest::newRow("utf-16be mark, cr lf") << QByteArray("\xFE\xFF") + utf16(crlf, true) << regions;
    QTest::newRow("windows-1251, cr lf") << QByteArray("\xCC\xEE\xF1\xEA\xE2\xE0\r\n\xD2\xE2\xE5\xF0\xFC\r\n")
                                         << regions;
    QTest::newRow("windows-1251, lf") << QByteArray("\xCC\xEE\xF1\xEA\xE2\xE0\n\xD2\xE2\xE5\xF0\xFC") << regions;
    QTest::newRow("utf-16le, lf") << QByteArray("\xFF\xFE") + utf16(QStringLiteral("Москва\nТверь"), false) << regions;
    QTest::newRow("empty first line") << QByteArray("\r\n\xCC\xEE\xF1\xEA\xE2\xE0\r\n")
                                      << QStringList{QString(), QStringLiteral("Москва")};
    QTest::newRow("empty line between") << QByteArray("\xEF\xBB\xBF") +
                                               QStringLiteral("Москва\r\n\r\nТверь\r\n").toUtf8()
                                        << QStringList{QStringLiteral("Москва"), QString(), QStringLiteral("Тверь")};
    QTest::newRow("empty file") << QByteArray() << QStringList();
}

void ReflistTest::readFile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, expected);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("region.txt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();

    QStringList items = {QStringLiteral("заглушка из формы")};
    QString error = QStringLiteral("старая ошибка");
    QVERIFY(readReferenceList(path, &items, &error));
    QCOMPARE(items, expected);
    QVERIFY(error.isEmpty());
}

void ReflistTest::missingFileNamesIt()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("region.txt"));

    QStringList items = {QStringLiteral("Москва")};
    QString error;
    QVERIFY(!readReferenceList(path, &items, &error));
    QCOMPARE(error, QStringLiteral("Не удалось открыть файл «") + QDir::toNativeSeparators(path) +
                        QStringLiteral("»: файл не найден"));
    QCOMPARE(items, QStringList{QStringLiteral("Москва")});
    QVERIFY(!readReferenceList(path, nullptr, nullptr));
}

void ReflistTest::folderIsNoFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QString error;
    QStringList items;
    QVERIFY(!readReferenceList(dir.path(), &items, &error));
    QVERIFY2(error.startsWith(QStringLiteral("Не удалось открыть файл «") + QDir::toNativeSeparators(dir.path()) +
                              QStringLiteral("»: ")),
             qPrintable(error));
}

void ReflistTest::folderLayout()
{
    // Without setRoot the folder is the executable's own.
    QCOMPARE(folder::root(), QCoreApplication::applicationDirPath() + QLatin1Char('/'));

    folder::setRoot(QStringLiteral("/opt/pelorin"));
    QCOMPARE(folder::root(), QStringLiteral("/opt/pelorin/"));
    QCOMPARE(folder::sourses(), QStringLiteral("/opt/pelorin/sourses/"));
    QCOMPARE(folder::soursesReports(), QStringLiteral("/opt/pelorin/sourses/reports/"));
    QCOMPARE(folder::foto(), QStringLiteral("/opt/pelorin/foto/"));
    QCOMPARE(folder::reports(), QStringLiteral("/opt/pelorin/reports/"));

    folder::setRoot(QStringLiteral("/opt/pelorin/"));
    QCOMPARE(folder::root(), QStringLiteral("/opt/pelorin/"));

    folder::setRoot(QString());
    QCOMPARE(folder::root(), QCoreApplication::applicationDirPath() + QLatin1Char('/'));
}

void ReflistTest::toFileSystem_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("expected");

    QTest::newRow("photo") << QStringLiteral("foto\\1234\\a.jpg") << QStringLiteral("/opt/pelorin/foto/1234/a.jpg");
    QTest::newRow("russian name") << QStringLiteral("foto\\1234\\осмотр1-фото2.jpg")
                                  << QStringLiteral("/opt/pelorin/foto/1234/осмотр1-фото2.jpg");
    QTest::newRow("leading backslash") << QStringLiteral("\\foto\\7\\b.jpg")
                                       << QStringLiteral("/opt/pelorin/foto/7/b.jpg");
    QTest::newRow("forward slashes") << QStringLiteral("reports/karta.xls")
                                     << QStringLiteral("/opt/pelorin/reports/karta.xls");
    QTest::newRow("empty") << QString() << QStringLiteral("/opt/pelorin/");
}

void ReflistTest::toFileSystem()
{
    QFETCH(QString, stored);
    QFETCH(QString, expected);

    folder::setRoot(QStringLiteral("/opt/pelorin"));
    QCOMPARE(folder::toFileSystem(stored), expected);
}

void ReflistTest::readFromSourses()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    folder::setRoot(dir.path());
    QVERIFY(QDir().mkpath(folder::sourses()));
    QFile file(folder::sourses() + QStringLiteral("vrach.txt"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("\xC8\xE2\xE0\xED\xEE\xE2 \xC8. \xC8.\r\n"); // "Иванов И. И." in Windows-1251
    file.close();

    QStringList items;
    QString error;
    QVERIFY2(readReferenceList(folder::sourses() + QStringLiteral("vrach.txt"), &items, &error), qPrintable(error));
    QCOMPARE(items, QStringList{QStringLiteral("Иванов И. И.")});
}

QTEST_GUILESS_MAIN(ReflistTest)
#include "reflist_test.moc"
