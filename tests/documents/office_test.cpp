// The office layer writes files that other programs read, so every check here reads the written
// file back on its own (QuaZip and pugixml), never through the writer's memory.

#include "documentviewer.h"
#include "worddocument.h"
#include "workbook.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <pugixml.hpp>
#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipnewinfo.h>

using namespace pelorin::office;

namespace {

using Parts = QList<std::pair<QString, QByteArray>>;

QString templatePath(const QString &name)
{
    return QStringLiteral(PELORIN_SOURSES_DIR "/reports/") + name;
}

Parts readZip(const QString &path)
{
    Parts parts;
    QuaZip zip(path);
    if (!zip.open(QuaZip::mdUnzip))
        return parts;
    for (bool more = zip.goToFirstFile(); more; more = zip.goToNextFile()) {
        QuaZipFile file(&zip);
        file.open(QIODevice::ReadOnly);
        parts.append({zip.getCurrentFileName(), file.readAll()});
    }
    return parts;
}

QByteArray readPart(const QString &path, const QString &name)
{
    for (const auto &[partName, data] : readZip(path)) {
        if (partName == name)
            return data;
    }
    return {};
}

void writeZip(const QString &path, const Parts &parts)
{
    QuaZip zip(path);
    QVERIFY(zip.open(QuaZip::mdCreate));
    for (const auto &[name, data] : parts) {
        QuaZipFile file(&zip);
        QVERIFY(file.open(QIODevice::WriteOnly, QuaZipNewInfo(name)));
        file.write(data);
        file.close();
    }
    zip.close();
}

// Parses a part strictly enough to catch what another program would refuse.
bool parse(pugi::xml_document &doc, const QByteArray &data)
{
    return doc.load_buffer(data.constData(), size_t(data.size()), pugi::parse_default | pugi::parse_ws_pcdata,
                           pugi::encoding_utf8);
}

QString text(pugi::xml_node node)
{
    return QString::fromUtf8(node.text().get());
}

QString decodeEscapes(const QString &value)
{
    static const QRegularExpression escape(QStringLiteral("_x([0-9A-Fa-f]{4})_"));
    QString result;
    qsizetype from = 0;
    for (const QRegularExpressionMatch &m : escape.globalMatch(value)) {
        result += value.mid(from, m.capturedStart() - from) + QChar(char16_t(m.captured(1).toUShort(nullptr, 16)));
        from = m.capturedEnd();
    }
    return result + value.mid(from);
}

pugi::xml_node nth(pugi::xml_node parent, const char *name, int index)
{
    for (pugi::xml_node child : parent.children(name)) {
        if (index-- == 0)
            return child;
    }
    return {};
}

// One cell of a written workbook, as a spreadsheet program would read it.
struct FileCell
{
    bool exists = false;
    QString type;
    QString value;
    bool wraps = false;
};

QString sheetPart(int sheet)
{
    return QStringLiteral("xl/worksheets/sheet%1.xml").arg(sheet);
}

FileCell readCell(const QString &path, int sheet, const QString &ref)
{
    FileCell cell;
    pugi::xml_document doc, styles, strings;
    if (!parse(doc, readPart(path, sheetPart(sheet))))
        return cell;
    parse(styles, readPart(path, QStringLiteral("xl/styles.xml")));
    parse(strings, readPart(path, QStringLiteral("xl/sharedStrings.xml")));
    for (pugi::xml_node row : doc.child("worksheet").child("sheetData").children("row")) {
        for (pugi::xml_node c : row.children("c")) {
            if (QLatin1String(c.attribute("r").value()) != ref)
                continue;
            cell.exists = true;
            cell.type = QString::fromUtf8(c.attribute("t").value());
            if (cell.type == QLatin1String("inlineStr"))
                cell.value = decodeEscapes(text(c.child("is").child("t")));
            else if (cell.type == QLatin1String("s"))
                cell.value =
                    decodeEscapes(text(nth(strings.child("sst"), "si", c.child("v").text().as_int()).child("t")));
            else
                cell.value = text(c.child("v"));
            const pugi::xml_node xf = nth(styles.child("styleSheet").child("cellXfs"), "xf", c.attribute("s").as_int());
            cell.wraps = xf.child("alignment").attribute("wrapText").as_bool();
        }
    }
    return cell;
}

// The body of a written document: paragraphs and line breaks as line feeds, tabs as tabs.
struct FileBody
{
    bool parsed = false;
    QString text;
    int paragraphs = 0;
    bool sectionLast = false;
};

FileBody readBody(const QString &path)
{
    FileBody body;
    pugi::xml_document doc;
    if (!parse(doc, readPart(path, QStringLiteral("word/document.xml"))))
        return body;
    body.parsed = true;
    const pugi::xml_node bodyNode = doc.child("w:document").child("w:body");
    body.sectionLast = QLatin1String(bodyNode.last_child().name()) == QLatin1String("w:sectPr");
    QStringList paragraphs;
    for (const pugi::xpath_node &p : bodyNode.select_nodes(".//w:p")) {
        QString line;
        for (const pugi::xpath_node &item : p.node().select_nodes("./w:r/* | ./*/w:r/*")) {
            const QLatin1String name(item.node().name());
            if (name == QLatin1String("w:t"))
                line += text(item.node());
            else if (name == QLatin1String("w:tab"))
                line += QLatin1Char('\t');
            else if (name == QLatin1String("w:br"))
                line += QLatin1Char('\n');
        }
        paragraphs << line;
    }
    body.paragraphs = int(paragraphs.size());
    body.text = paragraphs.join(QLatin1Char('\n'));
    return body;
}

QByteArray docxPart(const QByteArray &bodyXml)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
           "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
           "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"><w:body>" +
           bodyXml + "<w:sectPr><w:pgSz w:w=\"11906\" w:h=\"16838\"/></w:sectPr></w:body></w:document>";
}

const QByteArray kPackageRels =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
    "officeDocument\" Target=\"word/document.xml\"/></Relationships>";

const QByteArray kDocxTypes =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
    "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
    "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
    "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
    "<Override PartName=\"/word/document.xml\" "
    "ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/></Types>";

QByteArray fileHash(const QString &path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

} // namespace

class OfficeTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir *m_dir = nullptr;
    QString out(const QString &name) const { return m_dir->filePath(name); }

private Q_SLOTS:
    void init()
    {
        m_dir = new QTemporaryDir;
        QVERIFY(m_dir->isValid());
    }
    void cleanup()
    {
        delete m_dir;
        m_dir = nullptr;
    }

    void templates_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("sheets");
        QTest::newRow("card") << "karta1.xlsx" << QStringList{"Титульный лист", "Диагнозы", "Дневник", "Процедуры"};
        QTest::newRow("older card") << "karta.xlsx" << QStringList{"Титульный лист", "Диагнозы", "Карта"};
    }
    void templates()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, sheets);
        Workbook book;
        QVERIFY(book.open(templatePath(name)));
        QCOMPARE(book.sheetCount(), sheets.size());
        for (int i = 0; i < sheets.size(); ++i)
            QCOMPARE(book.sheetName(i + 1), sheets[i]);
        QCOMPARE(book.cellText(2, 3, 4), QStringLiteral("Диагноз"));
        QCOMPARE(book.cellText(2, 4, 4), QString());
        QVERIFY(!book.setCell(int(sheets.size()) + 1, 1, 1, QStringLiteral("x")));
        QVERIFY(!book.setCell(1, 0, 1, QStringLiteral("x")));
        QVERIFY(!book.setCell(1, 1, 0, 1.0));
        QVERIFY(!book.setLeftHeader(0, QStringLiteral("&7x")));
    }

    void cellTexts_data()
    {
        QTest::addColumn<int>("sheet");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("expected");

        const QString long300 =
            QString(QStringLiteral("Бляшки на разгибательных поверхностях. ")).repeated(8).left(300);
        QTest::newRow("line feeds stay in the cell")
            << 3 << 2 << 2 << "1 марта 2025 г.\nЖалоб нет.\n\nОбъективно: чисто."
            << "1 марта 2025 г.\nЖалоб нет.\n\nОбъективно: чисто.";
        QTest::newRow("CR LF and a lone CR") << 3 << 5 << 2 << "один\r\nдва\rтри"
                                             << "один\nдва\nтри";
        QTest::newRow("markup characters") << 1 << 5 << 5 << "<b>Иванов & сын</b> \"О'Коннор\""
                                           << "<b>Иванов & сын</b> \"О'Коннор\"";
        QTest::newRow("control characters dropped, tab kept")
            << 4 << 3 << 8 << QStringLiteral("а\u0001б\u000Bв\u001Fг\tд\u0000")
            << "абв"
               "г\tд";
        QTest::newRow("300 characters") << 3 << 4 << 2 << long300 << long300;
        QTest::newRow("spaces at both ends") << 1 << 12 << 4 << "  Тула, ул. Садовая, д. 15.  "
                                             << "  Тула, ул. Садовая, д. 15.  ";
        QTest::newRow("escape-like text read as typed") << 1 << 14 << 5 << "код _x0041_ и _X"
                                                        << "код _x0041_ и _X";
        QTest::newRow("empty text") << 1 << 7 << 4 << ""
                                    << "";
        QTest::newRow("line feeds in a cell the form does not wrap") << 1 << 9 << 9 << "55-12-40\nдоб. 12"
                                                                     << "55-12-40\nдоб. 12";
        QTest::newRow("replaces a caption of the template") << 2 << 3 << 2 << "Дата события"
                                                            << "Дата события";
        QTest::newRow("far below the form") << 4 << 500 << 8 << "Эритема"
                                            << "Эритема";
        QTest::newRow("letter outside Basic Plane")
            << 3 << 6 << 2 << QStringLiteral("знак \U0001F600 конец") << QStringLiteral("знак \U0001F600 конец");
    }
    void cellTexts()
    {
        QFETCH(int, sheet);
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(QString, value);
        QFETCH(QString, expected);

        Workbook book;
        QVERIFY(book.open(templatePath(QStringLiteral("karta1.xlsx"))));
        QVERIFY(book.setCell(sheet, row, column, value));
        QString error;
        QVERIFY2(book.save(out(QStringLiteral("card.xlsx")), &error), qPrintable(error));

        const QString ref = QString(QChar(u'A' + column - 1)) + QString::number(row);
        pugi::xml_document doc;
        QVERIFY(parse(doc, readPart(out(QStringLiteral("card.xlsx")), sheetPart(sheet))));
        const FileCell cell = readCell(out(QStringLiteral("card.xlsx")), sheet, ref);
        QVERIFY(cell.exists);
        QCOMPARE(cell.type, QStringLiteral("inlineStr"));
        QCOMPARE(cell.value, expected);
        if (expected.contains(QLatin1Char('\n')))
            QVERIFY(cell.wraps);

        Workbook reread;
        QVERIFY(reread.open(out(QStringLiteral("card.xlsx"))));
        QCOMPARE(reread.cellText(sheet, row, column), expected);
    }

    // A row is at most 409.5 pt high; a longer text is given in pieces that each fit a row.
    void rowPieces_data()
    {
        QTest::addColumn<int>("sheet");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("pieces"); // 0: more than one

        const QString sentence = QStringLiteral("Бляшки на разгибательных поверхностях локтей и коленей. ");
        QStringList paragraphs;
        for (int i = 0; i < 120; ++i)
            paragraphs << QStringLiteral("%1) ").arg(i + 1) + sentence;
        QTest::newRow("a short text stays whole") << 3 << 3 << 2 << sentence << 1;
        QTest::newRow("many paragraphs split at line feeds") << 3 << 3 << 2 << paragraphs.join(QLatin1Char('\n'))
                                                             << 0;
        QTest::newRow("one long paragraph split between words") << 3 << 3 << 2 << sentence.repeated(120) << 0;
        QTest::newRow("a word longer than a row cut by letters")
            << 3 << 3 << 2 << QString(QStringLiteral("ъ")).repeated(9000) << 0;
        QTest::newRow("merged cell of the title page stays whole") << 1 << 19 << 3 << sentence.repeated(120) << 1;
    }
    void rowPieces()
    {
        QFETCH(int, sheet);
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(QString, text);
        QFETCH(int, pieces);

        Workbook book;
        QVERIFY(book.open(templatePath(QStringLiteral("karta1.xlsx"))));
        const QStringList got = book.rowPieces(sheet, row, column, text);
        if (pieces == 1) {
            QCOMPARE(got, QStringList{text});
            return;
        }
        QVERIFY(got.size() > 1);
        // Every letter in order, each piece within the row limit once written.
        QString joined;
        for (qsizetype i = 0; i < got.size(); ++i) {
            QVERIFY(!got.at(i).trimmed().isEmpty());
            QVERIFY(book.setCell(sheet, row + int(i), column, got.at(i)));
            const double height = book.neededHeight(sheet, row + int(i), column);
            QVERIFY2(height > 0 && height <= Workbook::kMaxRowHeight, qPrintable(QString::number(height)));
            joined += got.at(i);
        }
        static const QRegularExpression blanks(QStringLiteral("\\s"));
        const auto letters = [](QString t) { return t.remove(blanks); };
        QCOMPARE(letters(joined), letters(text));
        // Written whole, the same text would need more than a row can give.
        QVERIFY(book.setCell(sheet, row, column, text));
        QVERIFY(book.neededHeight(sheet, row, column) > Workbook::kMaxRowHeight);
    }

    void hiddenSheets()
    {
        Workbook book;
        QVERIFY(book.open(templatePath(QStringLiteral("karta1.xlsx"))));
        QVERIFY(book.setSheetHidden(4, true));
        QVERIFY(book.setSheetHidden(2, true));
        QVERIFY(book.setSheetHidden(3, true));
        // The last sheet that shows stays shown.
        QVERIFY(!book.setSheetHidden(1, true));
        QVERIFY(book.setSheetHidden(2, false));
        QVERIFY(book.save(out(QStringLiteral("card.xlsx"))));
        Workbook reread;
        QVERIFY(reread.open(out(QStringLiteral("card.xlsx"))));
        QCOMPARE((QList<bool>{reread.isSheetHidden(1), reread.isSheetHidden(2), reread.isSheetHidden(3),
                              reread.isSheetHidden(4)}),
                 (QList<bool>{false, false, true, true}));
        // The file opens on a sheet that shows.
        pugi::xml_document workbook;
        QVERIFY(parse(workbook, readPart(out(QStringLiteral("card.xlsx")), QStringLiteral("xl/workbook.xml"))));
        const int active = workbook.document_element().child("bookViews").child("workbookView").attribute("activeTab").as_int();
        QCOMPARE(active, 0);
    }

    void numbers_data()
    {
        QTest::addColumn<double>("value");
        QTest::newRow("dose") << 1.05;
        QTest::newRow("whole") << 12.0;
        QTest::newRow("zero") << 0.0;
        QTest::newRow("negative") << -3.5;
        QTest::newRow("tiny") << 1e-7;
        QTest::newRow("long") << 123456789.125;
        QTest::newRow("binary fraction") << 0.1 + 0.2;
    }
    void numbers()
    {
        QFETCH(double, value);
        Workbook book;
        QVERIFY(book.open(templatePath(QStringLiteral("karta1.xlsx"))));
        QVERIFY(book.setCell(4, 3, 6, QStringLiteral("будет заменено")));
        QVERIFY(book.setCell(4, 3, 6, value));
        QVERIFY(book.save(out(QStringLiteral("card.xlsx"))));
        const FileCell cell = readCell(out(QStringLiteral("card.xlsx")), 4, QStringLiteral("F3"));
        QVERIFY(cell.exists);
        QVERIFY(cell.type.isEmpty());
        bool ok = false;
        QCOMPARE(cell.value.toDouble(&ok), value);
        QVERIFY(ok);
    }

    void numbersOutsideTheFormat()
    {
        Workbook book;
        QVERIFY(book.open(templatePath(QStringLiteral("karta1.xlsx"))));
        QVERIFY(!book.setCell(4, 3, 6, qInf()));
        QVERIFY(!book.setCell(4, 3, 6, qQNaN()));
    }

    // Rows and cells must be in order in the file whatever the order of writing.
    void cellsInOrder()
    {
        Workbook book;
        QVERIFY(book.open(templatePath(QStringLiteral("karta1.xlsx"))));
        const QList<std::pair<int, int>> places{{10, 3}, {4, 8}, {4, 1}, {10, 1}, {7, 2}, {3, 5}, {3, 4}};
        for (const auto &[row, column] : places)
            QVERIFY(book.setCell(4, row, column, QStringLiteral("%1/%2").arg(row).arg(column)));
        QVERIFY(book.save(out(QStringLiteral("card.xlsx"))));

        pugi::xml_document doc;
        QVERIFY(parse(doc, readPart(out(QStringLiteral("card.xlsx")), sheetPart(4))));
        const pugi::xml_node worksheet = doc.child("worksheet");
        QList<int> rows;
        for (pugi::xml_node row : worksheet.child("sheetData").children("row")) {
            rows << row.attribute("r").as_int();
            QString previous;
            for (pugi::xml_node c : row.children("c")) {
                const QString ref = QString::fromLatin1(c.attribute("r").value());
                QVERIFY2(previous.isEmpty() || ref.size() > previous.size() ||
                             (ref.size() == previous.size() && ref > previous),
                         qPrintable(ref));
                QCOMPARE(ref.mid(1).toInt(), row.attribute("r").as_int());
                previous = ref;
            }
        }
        QCOMPARE(rows, (QList<int>{1, 2, 3, 4, 7, 10}));
        QCOMPARE(QLatin1String(worksheet.child("dimension").attribute("ref").value()), QLatin1String("A1:H10"));
        // The caption row keeps the height the form gave it.
        QVERIFY(worksheet.child("sheetData").find_child_by_attribute("row", "r", "2").attribute("customHeight"));
        QCOMPARE(readCell(out(QStringLiteral("card.xlsx")), 4, QStringLiteral("A2")).value, QStringLiteral("№ проц."));
    }

    // Another office suite takes the stored row height as it is, so a written text must leave one
    // that holds it; the form's own heights stay.
    void rowHeights_data()
    {
        QTest::addColumn<int>("sheet");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("value");
        QTest::addColumn<double>("least"); // 0: the row keeps no height of its own
        QTest::addColumn<double>("most");

        const QString line = QStringLiteral("Бляшки на разгибательных поверхностях. ");
        QTest::newRow("one short line") << 3 << 2 << 2 << "Жалоб нет." << 0.0 << 0.0;
        QTest::newRow("ten lines") << 3 << 2 << 2 << QString("Строка\n").repeated(10) << 10 * 11.0 << 10 * 12.5 + 4;
        QTest::newRow("300 characters wrap to lines")
            << 3 << 2 << 2 << line.repeated(8).left(300) << 3 * 11.0 << 5 * 12.5 + 4;
        QTest::newRow("a narrow column") << 4 << 3 << 8 << line.repeated(4) << 5 * 11.0 << 9 * 12.5 + 4;
        QTest::newRow("no taller than a row can be")
            << 3 << 2 << 2 << QString("Строка\n").repeated(100) << 409.5 << 409.5;
        QTest::newRow("a form row keeps its height")
            << 1 << 19 << 3 << QString("Строка\n").repeated(10) << 66.0 << 66.0;
    }
    void rowHeights()
    {
        QFETCH(int, sheet);
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(QString, value);
        QFETCH(double, least);
        QFETCH(double, most);

        Workbook book;
        QVERIFY(book.open(templatePath(QStringLiteral("karta1.xlsx"))));
        QVERIFY(book.setCell(sheet, row, column, value));
        QVERIFY(book.save(out(QStringLiteral("card.xlsx"))));
        pugi::xml_document doc;
        QVERIFY(parse(doc, readPart(out(QStringLiteral("card.xlsx")), sheetPart(sheet))));
        const pugi::xml_node rowNode = doc.child("worksheet")
                                           .child("sheetData")
                                           .find_child_by_attribute("row", "r", QByteArray::number(row).constData());
        QVERIFY(rowNode);
        if (least == 0) {
            QVERIFY(!rowNode.attribute("ht"));
            return;
        }
        const double height = rowNode.attribute("ht").as_double();
        QVERIFY2(height >= least && height <= most, qPrintable(QString::number(height)));
    }

    void headers_data()
    {
        QTest::addColumn<int>("sheet");
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("right");
        QTest::addColumn<QString>("footer");
        QTest::addColumn<QString>("oddHeader");
        QTest::addColumn<QString>("oddFooter");
        QTest::addColumn<QString>("leftBack");

        const QString left = QStringLiteral("&7Амбулаторная карта № 125. Иванов Пётр Сергеевич.");
        const QString right = QStringLiteral("&7Дата составления:1 марта 2025 г.");
        const QString sign = QStringLiteral("&12 Подпись лечащего врача: ______________");
        const QString header = QStringLiteral("&L") + left + QStringLiteral("&R") + right;
        const QString footer = QStringLiteral("&C&8Лист &P из &N&R") + sign;
        for (int sheet = 1; sheet <= 4; ++sheet)
            QTest::addRow("sheet %d", sheet) << sheet << left << right << sign << header << footer << left;
        QTest::newRow("ampersand of a name")
            << 2 << "&7Смирнова & Ко <ООО>" << right << sign << QString("&L&7Смирнова && Ко <ООО>&R" + right) << footer
            << "&7Смирнова & Ко <ООО>";
        QTest::newRow("no size code") << 3 << "Карта"
                                      << ""
                                      << ""
                                      << "&LКарта"
                                      << "&C&8Лист &P из &N"
                                      << "Карта";
    }
    void headers()
    {
        QFETCH(int, sheet);
        QFETCH(QString, left);
        QFETCH(QString, right);
        QFETCH(QString, footer);
        QFETCH(QString, oddHeader);
        QFETCH(QString, oddFooter);
        QFETCH(QString, leftBack);

        Workbook book;
        QVERIFY(book.open(templatePath(QStringLiteral("karta1.xlsx"))));
        QVERIFY(book.setLeftHeader(sheet, left));
        if (!right.isEmpty())
            QVERIFY(book.setRightHeader(sheet, right));
        if (!footer.isEmpty())
            QVERIFY(book.setRightFooter(sheet, footer));
        QVERIFY(book.save(out(QStringLiteral("card.xlsx"))));

        pugi::xml_document doc;
        QVERIFY(parse(doc, readPart(out(QStringLiteral("card.xlsx")), sheetPart(sheet))));
        const pugi::xml_node worksheet = doc.child("worksheet");
        const pugi::xml_node headerFooter = worksheet.child("headerFooter");
        QCOMPARE(text(headerFooter.child("oddHeader")), oddHeader);
        QCOMPARE(text(headerFooter.child("oddFooter")), oddFooter);
        // The header comes after the page setup and before anything the format puts later.
        QCOMPARE(QLatin1String(headerFooter.previous_sibling().name()), QLatin1String("pageSetup"));
        QCOMPARE(QLatin1String(headerFooter.first_child().name()), QLatin1String("oddHeader"));

        Workbook reread;
        QVERIFY(reread.open(out(QStringLiteral("card.xlsx"))));
        QCOMPARE(reread.leftHeader(sheet), leftBack);
        QCOMPARE(reread.rightHeader(sheet), right);
        QCOMPARE(reread.rightFooter(sheet), footer);
    }

    void headerNoLongerThanSpreadsheetsTake()
    {
        Workbook book;
        QVERIFY(book.open(templatePath(QStringLiteral("karta1.xlsx"))));
        QVERIFY(book.setRightHeader(1, QStringLiteral("&7Дата составления:1 марта 2025 г.")));
        QVERIFY(book.setLeftHeader(1, QStringLiteral("&7") + QString(400, QChar(u'Ж'))));
        QVERIFY(book.save(out(QStringLiteral("card.xlsx"))));
        pugi::xml_document doc;
        QVERIFY(parse(doc, readPart(out(QStringLiteral("card.xlsx")), sheetPart(1))));
        const QString header = text(doc.child("worksheet").child("headerFooter").child("oddHeader"));
        QCOMPARE(header.size(), 255);
        QVERIFY(header.endsWith(QStringLiteral("&R&7Дата составления:1 марта 2025 г.")));
    }

    // A workbook of another program: rows and cells without references, no formats, no dimension,
    // no header, a relationship given from the package root.
    void plainWorkbook()
    {
        const QString path = out(QStringLiteral("plain.xlsx"));
        writeZip(
            path,
            {{QStringLiteral("_rels/.rels"), QByteArray(kPackageRels).replace("word/document.xml", "xl/workbook.xml")},
             {QStringLiteral("xl/workbook.xml"),
              "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
              "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"><sheets>"
              "<sheet name=\"Лист1\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"},
             {QStringLiteral("xl/_rels/workbook.xml.rels"),
              "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
              "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
              "relationships/worksheet\" Target=\"/xl/worksheets/sheet1.xml\"/></Relationships>"},
             {sheetPart(1), "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
                            "<sheetData><row><c><v>1</v></c></row><row><c/><c t=\"str\"><v>два</v></c></row>"
                            "</sheetData><pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" bottom=\"0.75\" "
                            "header=\"0.3\" footer=\"0.3\"/><rowBreaks count=\"0\"/></worksheet>"}});
        Workbook book;
        QString error;
        QVERIFY2(book.open(path, &error), qPrintable(error));
        QCOMPARE(book.sheetName(1), QStringLiteral("Лист1"));
        QVERIFY(book.setCell(1, 2, 3, QStringLiteral("три\nстроки")));
        QVERIFY(book.setCell(1, 1, 2, 5.5));
        QVERIFY(book.setRightFooter(1, QStringLiteral("&12 Подпись")));
        QVERIFY(book.save(out(QStringLiteral("filled.xlsx")), &error));

        pugi::xml_document doc;
        QVERIFY(parse(doc, readPart(out(QStringLiteral("filled.xlsx")), sheetPart(1))));
        QStringList children;
        for (pugi::xml_node child : doc.child("worksheet").children())
            children << QString::fromLatin1(child.name());
        QCOMPARE(children, (QStringList{"sheetData", "pageMargins", "headerFooter", "rowBreaks"}));
        QCOMPARE(text(doc.child("worksheet").child("headerFooter").child("oddFooter")),
                 QStringLiteral("&R&12 Подпись"));
        QStringList refs;
        for (const pugi::xpath_node &c : doc.select_nodes("//row/c"))
            refs << QString::fromLatin1(c.node().attribute("r").value());
        QCOMPARE(refs, (QStringList{"A1", "B1", "A2", "B2", "C2"}));
        const QString filled = out(QStringLiteral("filled.xlsx"));
        QCOMPARE(readCell(filled, 1, QStringLiteral("A1")).value, QStringLiteral("1"));
        QCOMPARE(readCell(filled, 1, QStringLiteral("B1")).value, QStringLiteral("5.5"));
        QCOMPARE(readCell(filled, 1, QStringLiteral("B2")).value, QStringLiteral("два"));
        QCOMPARE(readCell(filled, 1, QStringLiteral("C2")).value, QStringLiteral("три\nстроки"));
    }

    void saveCopyKeepsTheWorkbooksName()
    {
        const QString path = templatePath(QStringLiteral("karta.xlsx"));
        const QByteArray before = fileHash(path);
        Workbook book;
        QVERIFY(book.open(path));
        QVERIFY(book.setCell(3, 2, 1, QStringLiteral("01.03.2025")));
        QVERIFY(book.saveCopyAs(out(QStringLiteral("copy.xlsx"))));
        QCOMPARE(book.fileName(), path);
        QVERIFY(book.setCell(3, 2, 2, QStringLiteral("Анамнез")));
        QVERIFY(book.save(out(QStringLiteral("filled.xlsx"))));
        QCOMPARE(book.fileName(), out(QStringLiteral("filled.xlsx")));

        QCOMPARE(readCell(out(QStringLiteral("copy.xlsx")), 3, QStringLiteral("A2")).value,
                 QStringLiteral("01.03.2025"));
        QVERIFY(!readCell(out(QStringLiteral("copy.xlsx")), 3, QStringLiteral("B2")).exists);
        QCOMPARE(readCell(out(QStringLiteral("filled.xlsx")), 3, QStringLiteral("B2")).value,
                 QStringLiteral("Анамнез"));
        QCOMPARE(fileHash(path), before);
    }

    void untouchedPartsStayAsTheyWere()
    {
        const QString path = templatePath(QStringLiteral("karta1.xlsx"));
        Workbook book;
        QVERIFY(book.open(path));
        QVERIFY(book.setCell(3, 2, 2, QStringLiteral("первая\nвторая")));
        QVERIFY(book.save(out(QStringLiteral("card.xlsx"))));
        const Parts original = readZip(path);
        const Parts written = readZip(out(QStringLiteral("card.xlsx")));
        QCOMPARE(written.size(), original.size());
        for (qsizetype i = 0; i < original.size(); ++i) {
            QCOMPARE(written[i].first, original[i].first);
            const bool changed =
                original[i].first == sheetPart(3) || original[i].first == QLatin1String("xl/styles.xml");
            if (!changed)
                QVERIFY2(written[i].second == original[i].second, qPrintable(original[i].first));
        }
    }

    void saveIntoMissingFolder()
    {
        Workbook book;
        QVERIFY(book.open(templatePath(QStringLiteral("karta1.xlsx"))));
        QString error;
        const QString path = out(QStringLiteral("нет/card.xlsx"));
        QVERIFY(!book.save(path, &error));
        QVERIFY2(error.startsWith(
                     QStringLiteral("Не удалось сохранить документ «%1»: папка «").arg(QDir::toNativeSeparators(path))),
                 qPrintable(error));
        QVERIFY(!QFile::exists(path));
    }

    void brokenTemplates_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("content"); // "missing", "text", or the parts of a zip
        QTest::addColumn<QString>("reason");
        for (const QString &kind : {QStringLiteral("xlsx"), QStringLiteral("docx")}) {
            QTest::addRow("%s missing", qPrintable(kind)) << kind << "missing"
                                                          << "файл не найден";
            QTest::addRow("%s not a zip", qPrintable(kind)) << kind << "text"
                                                            << "файл повреждён";
            QTest::addRow("%s zip without the main part", qPrintable(kind)) << kind << "types"
                                                                            << "файл повреждён";
            QTest::addRow("%s main part missing", qPrintable(kind)) << kind << "rels"
                                                                    << "файл повреждён";
            QTest::addRow("%s main part not XML", qPrintable(kind)) << kind << "garbage"
                                                                    << "файл повреждён";
            QTest::addRow("%s zip cut short", qPrintable(kind)) << kind << "cut"
                                                                << "файл повреждён";
        }
    }
    void brokenTemplates()
    {
        QFETCH(QString, kind);
        QFETCH(QString, content);
        QFETCH(QString, reason);
        const QString path = out(QStringLiteral("шаблон.") + kind);
        const QString mainPart =
            kind == QLatin1String("xlsx") ? QStringLiteral("xl/workbook.xml") : QStringLiteral("word/document.xml");
        QByteArray rels = kPackageRels;
        rels.replace("word/document.xml", mainPart.toUtf8());
        if (content == QLatin1String("text")) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("Это не документ, а простой текст.");
        } else if (content == QLatin1String("types")) {
            writeZip(path, {{QStringLiteral("[Content_Types].xml"), kDocxTypes}});
        } else if (content == QLatin1String("rels")) {
            writeZip(path,
                     {{QStringLiteral("[Content_Types].xml"), kDocxTypes}, {QStringLiteral("_rels/.rels"), rels}});
        } else if (content == QLatin1String("garbage")) {
            writeZip(path, {{QStringLiteral("_rels/.rels"), rels}, {mainPart, "<workbook><sheets>"}});
        } else if (content == QLatin1String("cut")) {
            QFile source(templatePath(kind == QLatin1String("xlsx") ? QStringLiteral("karta1.xlsx")
                                                                    : QStringLiteral("vipiska.docx")));
            QVERIFY(source.open(QIODevice::ReadOnly));
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(source.readAll().left(source.size() / 2));
        }
        const QString expected =
            QStringLiteral("Не удалось открыть шаблон «%1»: %2.").arg(QDir::toNativeSeparators(path), reason);
        const QString target = out(QStringLiteral("filled.") + kind);
        QString error, saveError;
        if (kind == QLatin1String("xlsx")) {
            Workbook book;
            QVERIFY(!book.open(path, &error));
            QVERIFY(!book.isOpen());
            QVERIFY(!book.setCell(1, 1, 1, QStringLiteral("x")));
            QVERIFY(!book.setLeftHeader(1, QStringLiteral("&7x")));
            QVERIFY(!book.save(target, &saveError));
        } else {
            WordDocument document;
            QVERIFY(!document.open(path, &error));
            QVERIFY(!document.isOpen());
            QVERIFY(!document.replacePlaceholder(QStringLiteral("Текст"), QStringLiteral("x")));
            QVERIFY(!document.save(target, &saveError));
        }
        QCOMPARE(error, expected);
        QVERIFY(!saveError.isEmpty());
        QVERIFY(!QFile::exists(target));
    }

    void placeholder_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("found");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("paragraphs");

        // Every case inserts the same text, given with CR LF and a control character that are not kept.
        const QString inserted = QStringLiteral("Первая <&>\"'\nвторая\tстрока\n\nпоследняя");
        QTest::newRow("one run") << QByteArray("<w:p><w:r><w:t>Текст</w:t></w:r></w:p>") << true << inserted << 4;
        QTest::newRow("split over runs, with a spelling mark")
            << QByteArray("<w:p><w:r><w:rPr><w:b/></w:rPr><w:t>Т</w:t></w:r><w:proofErr w:type=\"spellStart\"/>"
                          "<w:r><w:t>ек</w:t></w:r><w:r><w:rPr><w:i/></w:rPr><w:t>ст</w:t></w:r></w:p>")
            << true << inserted << 4;
        QTest::newRow("text around the word")
            << QByteArray("<w:p><w:r><w:t xml:space=\"preserve\">Итог: Те</w:t></w:r><w:r><w:t>кст. Конец</w:t></w:r>"
                          "<w:r><w:t xml:space=\"preserve\"> абзаца</w:t></w:r></w:p>")
            << true << QString("Итог: " + inserted + ". Конец абзаца") << 4;
        QTest::newRow("first of two")
            << QByteArray("<w:p><w:r><w:t>Текст</w:t></w:r></w:p><w:p><w:r><w:t>Текст</w:t></w:r></w:p>") << true
            << QString(inserted + "\nТекст") << 5;
        QTest::newRow("in a table cell")
            << QByteArray("<w:tbl><w:tr><w:tc><w:p><w:r><w:t>Те</w:t></w:r><w:r><w:t>кст</w:t></w:r></w:p>"
                          "</w:tc></w:tr></w:tbl>")
            << true << inserted << 4;
        QTest::newRow("inside a link: line breaks")
            << QByteArray("<w:p><w:hyperlink r:id=\"rId9\"><w:r><w:t>Текст</w:t></w:r></w:hyperlink></w:p>") << true
            << inserted << 1;
        QTest::newRow("absent") << QByteArray("<w:p><w:r><w:t>Тест текста</w:t></w:r></w:p>") << false << "Тест текста"
                                << 1;
        QTest::newRow("parted by a tab") << QByteArray("<w:p><w:r><w:t>Те</w:t><w:tab/><w:t>кст</w:t></w:r></w:p>")
                                         << false << "Те\tкст" << 1;
        QTest::newRow("parted by paragraphs")
            << QByteArray("<w:p><w:r><w:t>Те</w:t></w:r></w:p><w:p><w:r><w:t>кст</w:t></w:r></w:p>") << false
            << "Те\nкст" << 2;
        QTest::newRow("deleted revision is not text")
            << QByteArray("<w:p><w:del><w:r><w:delText>Текст</w:delText></w:r></w:del><w:r><w:t>Тек</w:t></w:r>"
                          "</w:p>")
            << false << "Тек" << 1;
    }
    void placeholder()
    {
        QFETCH(QByteArray, body);
        QFETCH(bool, found);
        QFETCH(QString, expected);
        QFETCH(int, paragraphs);

        const QString path = out(QStringLiteral("template.docx"));
        writeZip(path, {{QStringLiteral("[Content_Types].xml"), kDocxTypes},
                        {QStringLiteral("_rels/.rels"), kPackageRels},
                        {QStringLiteral("word/document.xml"), docxPart(body)}});
        WordDocument document;
        QString error;
        QVERIFY2(document.open(path, &error), qPrintable(error));
        QCOMPARE(document.replacePlaceholder(QStringLiteral("Текст"),
                                             QStringLiteral("Первая <&>\"'\r\nвторая\tстрока\u0001\n\nпоследняя")),
                 found);
        QVERIFY(document.save(out(QStringLiteral("filled.docx"))));

        const FileBody written = readBody(out(QStringLiteral("filled.docx")));
        QVERIFY(written.parsed);
        QCOMPARE(written.text, expected);
        QCOMPARE(written.paragraphs, paragraphs);
        QVERIFY(written.sectionLast);
        QCOMPARE(document.bodyText(), expected);
    }

    // The text takes the look of the word's first letter, on every line.
    void placeholderFormatting()
    {
        const QString path = out(QStringLiteral("template.docx"));
        writeZip(path, {{QStringLiteral("[Content_Types].xml"), kDocxTypes},
                        {QStringLiteral("_rels/.rels"), kPackageRels},
                        {QStringLiteral("word/document.xml"),
                         docxPart("<w:p><w:pPr><w:jc w:val=\"both\"/></w:pPr><w:r><w:rPr><w:b/></w:rPr><w:t>Те</w:t>"
                                  "</w:r><w:r><w:rPr><w:i/></w:rPr><w:t>кст</w:t></w:r></w:p>")}});
        WordDocument document;
        QVERIFY(document.open(path));
        QVERIFY(document.replacePlaceholder(QStringLiteral("Текст"), QStringLiteral("раз\nдва")));
        QVERIFY(document.save(out(QStringLiteral("filled.docx"))));

        pugi::xml_document doc;
        QVERIFY(parse(doc, readPart(out(QStringLiteral("filled.docx")), QStringLiteral("word/document.xml"))));
        const pugi::xpath_node_set paragraphs = doc.select_nodes("//w:body/w:p");
        QCOMPARE(int(paragraphs.size()), 2);
        for (const pugi::xpath_node &p : paragraphs) {
            QCOMPARE(QLatin1String(p.node().child("w:pPr").child("w:jc").attribute("w:val").value()),
                     QLatin1String("both"));
            for (const pugi::xpath_node &t : p.node().select_nodes(".//w:t")) {
                QVERIFY2(t.parent().child("w:rPr").child("w:b"), qPrintable(text(t.node())));
                QVERIFY(!t.parent().child("w:rPr").child("w:i"));
            }
        }
    }

    // The shipped discharge summary takes a long extract, and nothing of it is lost.
    void dischargeSummaryTemplate()
    {
        QStringList lines;
        for (int i = 1; i <= 100; ++i)
            lines << QStringLiteral("%1. ").arg(i) +
                         QString(QStringLiteral("Кожный процесс регрессирует. ")).repeated(10);
        WordDocument document;
        QVERIFY(document.open(templatePath(QStringLiteral("vipiska.docx"))));
        QVERIFY(document.bodyText().contains(QStringLiteral("Текст")));
        QVERIFY(document.replacePlaceholder(QStringLiteral("Текст"), lines.join(QLatin1Char('\n'))));
        QVERIFY(document.save(out(QStringLiteral("vipiska_1.docx"))));

        const FileBody written = readBody(out(QStringLiteral("vipiska_1.docx")));
        QVERIFY(written.parsed);
        QVERIFY(written.text.contains(lines.join(QLatin1Char('\n'))));
        QVERIFY(!written.text.contains(QStringLiteral("Текст")));
        QVERIFY(written.sectionLast);
    }

    void viewer()
    {
        {
            ScopedRecordingDocumentViewer recorder;
            recorder.answer = false;
            QVERIFY(!DocumentViewer::instance().open(out(QStringLiteral("karta1_1.xlsx"))));
            QCOMPARE(recorder.opened, QStringList{out(QStringLiteral("karta1_1.xlsx"))});
        }
        // Without a graphical application the desktop viewer refuses, and nothing is started.
        QVERIFY(!DocumentViewer::instance().open(out(QStringLiteral("karta1_1.xlsx"))));
        // The file and the folder to look in, both named.
        QCOMPARE(notOpenedMessage(out(QStringLiteral("vipiska_5.docx"))),
                 QStringLiteral("Документ сохранён: «vipiska_5.docx» в папке «%1». Откройте его вручную: на этом "
                                "компьютере нет программы для файлов этого вида.")
                     .arg(QDir::toNativeSeparators(QFileInfo(out(QStringLiteral("vipiska_5.docx"))).absolutePath())));
        QCOMPARE(folderOf(out(QStringLiteral("vipiska_5.docx"))),
                 QFileInfo(out(QStringLiteral("vipiska_5.docx"))).absolutePath());
    }
};

QTEST_GUILESS_MAIN(OfficeTest)
#include "office_test.moc"
