#include "workbook.h"

#include "officepackage.h"

#include <QHash>
#include <QRegularExpression>

#include <cmath>
#include <map>
#include <vector>

namespace pelorin::office {

namespace {

constexpr int kMaxRow = 1048576;
constexpr int kMaxColumn = 16384;
// A spreadsheet program refuses longer cell texts and header parts.
constexpr qsizetype kMaxCellText = 32767;
constexpr qsizetype kMaxHeaderText = 255;

// Worksheet children must stand in the order of the file format, or the file is rejected.
// clang-format off
const char *const kWorksheetOrder[] = {
    "sheetPr", "dimension", "sheetViews", "sheetFormatPr", "cols", "sheetData", "sheetCalcPr", "sheetProtection",
    "protectedRanges", "scenarios", "autoFilter", "sortState", "dataConsolidate", "customSheetViews", "mergeCells",
    "phoneticPr", "conditionalFormatting", "dataValidations", "hyperlinks", "printOptions", "pageMargins", "pageSetup",
    "headerFooter", "rowBreaks", "colBreaks", "customProperties", "cellWatches", "ignoredErrors", "smartTags",
    "drawing", "legacyDrawing", "legacyDrawingHF", "drawingHF", "picture", "oleObjects", "controls",
    "webPublishItems", "tableParts", "extLst"};
// clang-format on
const char *const kHeaderFooterOrder[] = {"oddHeader",  "oddFooter",   "evenHeader",
                                          "evenFooter", "firstHeader", "firstFooter"};
const char *const kXfOrder[] = {"alignment", "protection", "extLst"};

template <size_t N> pugi::xml_node childInOrder(pugi::xml_node parent, const char *name, const char *const (&order)[N])
{
    if (pugi::xml_node existing = parent.child(name))
        return existing;
    size_t rank = 0;
    while (rank < N && qstrcmp(order[rank], name) != 0)
        ++rank;
    for (pugi::xml_node child = parent.first_child(); child; child = child.next_sibling()) {
        if (child.type() != pugi::node_element)
            continue;
        for (size_t later = rank + 1; later < N; ++later) {
            if (qstrcmp(order[later], child.name()) == 0)
                return parent.insert_child_before(name, child);
        }
    }
    return parent.append_child(name);
}

bool isTrue(pugi::xml_attribute attribute)
{
    const QLatin1String value(attribute.value());
    return value == QLatin1String("1") || value == QLatin1String("true");
}

QString columnName(int column)
{
    QString name;
    for (int c = column; c > 0; c = (c - 1) / 26)
        name.prepend(QChar(u'A' + (c - 1) % 26));
    return name;
}

QString cellName(int row, int column)
{
    return columnName(column) + QString::number(row);
}

// "B12" -> (12, 2); false for anything else.
bool parseCellName(QLatin1String name, int *row, int *column)
{
    int c = 0;
    qsizetype i = 0;
    while (i < name.size() && name[i] >= 'A' && name[i] <= 'Z' && c <= kMaxColumn)
        c = c * 26 + (name[i++].toLatin1() - 'A' + 1);
    int r = 0;
    const qsizetype digits = i;
    while (i < name.size() && name[i] >= '0' && name[i] <= '9' && r <= kMaxRow)
        r = r * 10 + (name[i++].toLatin1() - '0');
    if (c == 0 || c > kMaxColumn || i == digits || i != name.size() || r < 1 || r > kMaxRow)
        return false;
    *row = r;
    *column = c;
    return true;
}

QString toQString(const pugi::char_t *text)
{
    return QString::fromUtf8(text);
}

QByteArray toUtf8(const QString &text)
{
    return text.toUtf8();
}

// Cell strings use _xHHHH_ for characters XML cannot hold; a literal "_x0041_" in a user's text
// is therefore written with its underscore escaped, so that it reads back as typed.
const QRegularExpression &escapePattern()
{
    static const QRegularExpression pattern(QStringLiteral("_x[0-9A-Fa-f]{4}_"));
    return pattern;
}

QString encodeCellText(const QString &text)
{
    QString safe = xmlSafeText(text);
    QString result;
    qsizetype from = 0;
    for (const QRegularExpressionMatch &m : escapePattern().globalMatch(safe)) {
        result += QStringView(safe).mid(from, m.capturedStart() - from);
        result += QStringLiteral("_x005F_");
        result += QStringView(safe).mid(m.capturedStart() + 1, 6);
        from = m.capturedEnd();
    }
    result += QStringView(safe).mid(from);
    return result;
}

QString decodeCellText(const QString &text)
{
    QString result;
    qsizetype from = 0;
    for (const QRegularExpressionMatch &m : escapePattern().globalMatch(text)) {
        result += QStringView(text).mid(from, m.capturedStart() - from);
        result += QChar(char16_t(m.captured().mid(2, 4).toUShort(nullptr, 16)));
        from = m.capturedEnd();
    }
    result += QStringView(text).mid(from);
    return result;
}

QString truncated(QString text, qsizetype size)
{
    if (text.size() <= size)
        return text;
    text.truncate(size);
    if (text.back().isHighSurrogate())
        text.chop(1);
    return text;
}

// The text of a string item (<si> or <is>): plain or rich runs, phonetic hints left out.
QString stringItemText(pugi::xml_node item)
{
    if (pugi::xml_node t = item.child("t"))
        return decodeCellText(toQString(t.text().get()));
    QString text;
    for (pugi::xml_node run : item.children("r"))
        text += toQString(run.child("t").text().get());
    return decodeCellText(text);
}

// Advance widths in ems, near those of the serif and sans fonts forms are printed in.
double letterWidth(QChar c)
{
    const char16_t u = c.unicode();
    if (u == u' ')
        return 0.25;
    if (u >= u'0' && u <= u'9')
        return 0.5;
    if ((u >= u'а' && u <= u'я') || u == u'ё')
        return u == u'ж' || u == u'ш' || u == u'щ' || u == u'ю' || u == u'м' || u == u'ы' ? 0.72 : 0.48;
    if ((u >= u'А' && u <= u'Я') || u == u'Ё')
        return u == u'Ж' || u == u'Ш' || u == u'Щ' || u == u'Ю' || u == u'М' || u == u'Ы' ? 0.92 : 0.68;
    if (u >= u'a' && u <= u'z')
        return u == u'm' || u == u'w' ? 0.78 : 0.47;
    if (u >= u'A' && u <= u'Z')
        return u == u'M' || u == u'W' ? 0.94 : 0.68;
    if (QStringView(u".,:;!'|()[]-").contains(c))
        return 0.33;
    return u == u'№' ? 1.0 : 0.6;
}

// Lines a text takes when wrapped at word boundaries into a width of the given ems.
int wrappedLines(const QString &text, double width)
{
    QStringView rest(text);
    while (rest.endsWith(QLatin1Char('\n')))
        rest.chop(1);
    int lines = 0;
    for (QStringView paragraph : rest.split(QLatin1Char('\n'))) {
        ++lines;
        double line = 0;
        for (QStringView word : paragraph.split(QLatin1Char(' '))) {
            double size = 0;
            for (QChar c : word)
                size += letterWidth(c);
            const double withSpace = line > 0 ? line + letterWidth(QLatin1Char(' ')) + size : size;
            if (withSpace <= width || line == 0) {
                line = withSpace;
            } else {
                ++lines;
                line = size;
            }
            // A word wider than the column is broken inside it.
            while (line > width) {
                ++lines;
                line -= width;
            }
        }
    }
    return std::max(lines, 1);
}

// A header or footer text is three sections, each opened by its code &L, &C or &R; text before
// any section code is centred.
struct HeaderSections
{
    QString left, center, right;

    static HeaderSections parse(const QString &code)
    {
        HeaderSections result;
        QString *current = &result.center;
        for (qsizetype i = 0; i < code.size(); ++i) {
            if (code[i] == QLatin1Char('&') && i + 1 < code.size()) {
                const QChar next = code[i + 1];
                if (next == QLatin1Char('L') || next == QLatin1Char('C') || next == QLatin1Char('R')) {
                    current = next == QLatin1Char('L') ? &result.left
                                                       : (next == QLatin1Char('C') ? &result.center : &result.right);
                    ++i;
                    continue;
                }
                // Any other code, "&&" included, belongs to the section's text.
                *current += code[i];
                *current += next;
                ++i;
                continue;
            }
            *current += code[i];
        }
        return result;
    }

    QString join() const
    {
        QString code;
        if (!left.isEmpty())
            code += QStringLiteral("&L") + left;
        if (!center.isEmpty())
            code += QStringLiteral("&C") + center;
        if (!right.isEmpty())
            code += QStringLiteral("&R") + right;
        return code;
    }

    QString &section(QChar which)
    {
        return which == QLatin1Char('L') ? left : (which == QLatin1Char('R') ? right : center);
    }
};

const QRegularExpression &sizeCodePattern()
{
    static const QRegularExpression pattern(QStringLiteral("^&\\d+"));
    return pattern;
}

// The caller's text -> section code: the leading size code kept, every other '&' doubled.
QString headerCode(const QString &text)
{
    const QString safe = xmlSafeText(text);
    const QRegularExpressionMatch size = sizeCodePattern().match(safe);
    const qsizetype codeLength = size.hasMatch() ? size.capturedLength() : 0;
    QString rest = safe.mid(codeLength);
    return safe.left(codeLength) + rest.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

QString headerText(const QString &section)
{
    QString text;
    for (qsizetype i = 0; i < section.size(); ++i) {
        text += section[i];
        if (section[i] == QLatin1Char('&') && i + 1 < section.size() && section[i + 1] == QLatin1Char('&'))
            ++i;
    }
    return text;
}

struct Sheet
{
    QString part;
    QString name;
    pugi::xml_document doc;
    bool dirty = false;
    // The rows of sheetData by number: a document writes hundreds of rows, and finding each by
    // walking the sheet made the writing grow with the square of its length.
    std::map<int, pugi::xml_node> rows;

    pugi::xml_node row(int number) const
    {
        const auto it = rows.find(number);
        return it == rows.end() ? pugi::xml_node() : it->second;
    }
};

} // namespace

struct Workbook::Private
{
    OfficePackage package;
    QString fileName;
    std::vector<std::unique_ptr<Sheet>> sheets;
    QString stylesPart;
    pugi::xml_document styles;
    bool stylesDirty = false;
    QHash<int, int> wrappedStyle;
    QStringList sharedStrings;
    // workbook.xml, kept for the sheets' visibility; its <sheet> entries in the order of `sheets`.
    QString workbookPart;
    pugi::xml_document workbook;
    std::vector<pugi::xml_node> sheetEntries;
    bool workbookDirty = false;

    Sheet *sheet(int number) const
    {
        return number >= 1 && number <= int(sheets.size()) ? sheets[size_t(number - 1)].get() : nullptr;
    }

    static bool loadSheet(Sheet &sheet, const QByteArray &data);
    void loadSharedStrings(const QString &part);
    pugi::xml_node cell(Sheet &sheet, int row, int column);
    int wrapStyle(int style);
    struct Look
    {
        double fontSize = 11;
        bool bold = false;
        bool wraps = false;
    };
    Look look(int style) const;
    static double columnWidth(const Sheet &sheet, int column);
    static bool isMerged(const Sheet &sheet, int row, int column);
    // The usable width in ems and the line height in points of a wrapping cell; false when its row
    // keeps its own height (no wrap, merged, a height the form set).
    bool wrapMetrics(const Sheet &sheet, pugi::xml_node row, int rowNumber, int column, int style, bool forceWrap,
                     double *width, double *lineHeight) const;
    int styleFor(const Sheet &sheet, int row, int column) const;
    void fitRow(Sheet &sheet, pugi::xml_node row, int column, const QString &text, int style) const;
    bool setHeaderSection(int sheet, const char *element, QChar section, const QString &text);
    QString headerSection(int sheet, const char *element, QChar section) const;
    OfficePackage filledPackage() const;
};

// Rows and cells may leave out their references, counting on their position; they are given
// explicit ones here so that new rows and cells can be put in their places.
bool Workbook::Private::loadSheet(Sheet &sheet, const QByteArray &data)
{
    if (!parseXml(sheet.doc, data))
        return false;
    pugi::xml_node root = sheet.doc.document_element();
    if (qstrcmp(root.name(), "worksheet") != 0 || !root.child("sheetData"))
        return false;
    int lastRow = 0;
    for (pugi::xml_node row : root.child("sheetData").children("row")) {
        const int r = row.attribute("r").as_int(lastRow + 1);
        if (r <= lastRow || r > kMaxRow)
            return false;
        if (!row.attribute("r"))
            row.append_attribute("r").set_value(r);
        sheet.rows.emplace(r, row);
        lastRow = r;
        int lastColumn = 0;
        for (pugi::xml_node c : row.children("c")) {
            int cr = r, cc = lastColumn + 1;
            if (pugi::xml_attribute ref = c.attribute("r")) {
                if (!parseCellName(QLatin1String(ref.value()), &cr, &cc) || cr != r || cc <= lastColumn)
                    return false;
            } else {
                c.append_attribute("r").set_value(toUtf8(cellName(r, cc)).constData());
            }
            lastColumn = cc;
        }
    }
    return true;
}

void Workbook::Private::loadSharedStrings(const QString &part)
{
    pugi::xml_document doc;
    if (part.isEmpty() || !parseXml(doc, package.part(part)))
        return;
    for (pugi::xml_node item : doc.document_element().children("si"))
        sharedStrings << stringItemText(item);
}

pugi::xml_node Workbook::Private::cell(Sheet &sheet, int row, int column)
{
    pugi::xml_node worksheet = sheet.doc.document_element();
    pugi::xml_node sheetData = worksheet.child("sheetData");

    pugi::xml_node rowNode;
    pugi::xml_node rowAfter;
    if (const auto it = sheet.rows.lower_bound(row); it != sheet.rows.end()) {
        if (it->first == row)
            rowNode = it->second;
        else
            rowAfter = it->second;
    }
    if (!rowNode) {
        rowNode = rowAfter ? sheetData.insert_child_before("row", rowAfter) : sheetData.append_child("row");
        rowNode.append_attribute("r").set_value(row);
        sheet.rows.emplace(row, rowNode);
    }
    // The span is only a hint, and a stale one is worse than none.
    rowNode.remove_attribute("spans");

    const QByteArray ref = toUtf8(cellName(row, column));
    pugi::xml_node cellAfter;
    for (pugi::xml_node c : rowNode.children("c")) {
        int r = 0, col = 0;
        parseCellName(QLatin1String(c.attribute("r").value()), &r, &col);
        if (col == column)
            return c;
        if (col > column) {
            cellAfter = c;
            break;
        }
    }
    pugi::xml_node c = cellAfter ? rowNode.insert_child_before("c", cellAfter) : rowNode.append_child("c");
    c.append_attribute("r").set_value(ref.constData());

    // A new cell looks like its row, or else like its column.
    int style = -1;
    if (isTrue(rowNode.attribute("customFormat")))
        style = rowNode.attribute("s").as_int(-1);
    if (style < 0) {
        for (pugi::xml_node col : worksheet.child("cols").children("col")) {
            if (col.attribute("min").as_int() <= column && column <= col.attribute("max").as_int()) {
                style = col.attribute("style").as_int(-1);
                break;
            }
        }
    }
    if (style > 0)
        c.append_attribute("s").set_value(style);

    if (pugi::xml_node dimension = worksheet.child("dimension")) {
        const QString current = toQString(dimension.attribute("ref").value());
        const QStringList corners = current.split(QLatin1Char(':'));
        int r1 = row, c1 = column, r2 = row, c2 = column;
        int r = 0, col = 0;
        if (parseCellName(QLatin1String(toUtf8(corners.value(0))), &r, &col)) {
            r1 = std::min(r1, r), c1 = std::min(c1, col), r2 = std::max(r2, r), c2 = std::max(c2, col);
            if (parseCellName(QLatin1String(toUtf8(corners.value(1))), &r, &col))
                r2 = std::max(r2, r), c2 = std::max(c2, col);
        }
        const QString range =
            r1 == r2 && c1 == c2 ? cellName(r1, c1) : cellName(r1, c1) + QLatin1Char(':') + cellName(r2, c2);
        pugi::xml_attribute attribute = dimension.attribute("ref");
        if (!attribute)
            attribute = dimension.append_attribute("ref");
        attribute.set_value(toUtf8(range).constData());
    }
    return c;
}

// A copy of the cell format with wrapping on, made once per format; the template's own formats
// are left as they are for the other cells that use them.
int Workbook::Private::wrapStyle(int style)
{
    pugi::xml_node cellXfs = styles.document_element().child("cellXfs");
    std::vector<pugi::xml_node> xfs;
    for (pugi::xml_node xf : cellXfs.children("xf"))
        xfs.push_back(xf);
    if (style < 0 || size_t(style) >= xfs.size())
        return style;
    pugi::xml_node xf = xfs[size_t(style)];
    if (isTrue(xf.child("alignment").attribute("wrapText")))
        return style;
    if (const auto known = wrappedStyle.constFind(style); known != wrappedStyle.constEnd())
        return *known;

    pugi::xml_node copy = cellXfs.append_copy(xf);
    pugi::xml_node alignment = childInOrder(copy, "alignment", kXfOrder);
    alignment.remove_attribute("wrapText");
    alignment.append_attribute("wrapText").set_value("1");
    copy.remove_attribute("applyAlignment");
    copy.append_attribute("applyAlignment").set_value("1");
    const int index = int(xfs.size());
    cellXfs.remove_attribute("count");
    cellXfs.prepend_attribute("count").set_value(index + 1);
    wrappedStyle.insert(style, index);
    stylesDirty = true;
    return index;
}

Workbook::Private::Look Workbook::Private::look(int style) const
{
    Look result;
    const pugi::xml_node styleSheet = styles.document_element();
    int index = 0;
    pugi::xml_node xf;
    for (pugi::xml_node node : styleSheet.child("cellXfs").children("xf")) {
        if (index++ == style) {
            xf = node;
            break;
        }
    }
    result.wraps = isTrue(xf.child("alignment").attribute("wrapText"));
    index = 0;
    const int fontId = xf.attribute("fontId").as_int(0);
    for (pugi::xml_node font : styleSheet.child("fonts").children("font")) {
        if (index++ == fontId) {
            result.fontSize = font.child("sz").attribute("val").as_double(result.fontSize);
            result.bold = font.child("b") && font.child("b").attribute("val").as_bool(true);
            break;
        }
    }
    return result;
}

// Width in characters of the default font, as the file keeps it.
double Workbook::Private::columnWidth(const Sheet &sheet, int column)
{
    const pugi::xml_node worksheet = sheet.doc.document_element();
    for (pugi::xml_node col : worksheet.child("cols").children("col")) {
        if (col.attribute("min").as_int() <= column && column <= col.attribute("max").as_int() &&
            col.attribute("width"))
            return col.attribute("width").as_double();
    }
    const pugi::xml_node format = worksheet.child("sheetFormatPr");
    if (format.attribute("defaultColWidth"))
        return format.attribute("defaultColWidth").as_double();
    return format.attribute("baseColWidth").as_double(8) + 0.71;
}

bool Workbook::Private::isMerged(const Sheet &sheet, int row, int column)
{
    for (pugi::xml_node merge : sheet.doc.document_element().child("mergeCells").children("mergeCell")) {
        const QStringList corners = toQString(merge.attribute("ref").value()).split(QLatin1Char(':'));
        int r1 = 0, c1 = 0, r2 = 0, c2 = 0;
        if (corners.size() == 2 && parseCellName(QLatin1String(toUtf8(corners[0])), &r1, &c1) &&
            parseCellName(QLatin1String(toUtf8(corners[1])), &r2, &c2) && r1 <= row && row <= r2 && c1 <= column &&
            column <= c2)
            return true;
    }
    return false;
}

// A spreadsheet program fits a row to its wrapped text when it lays the row out, but another office
// suite takes the stored height as it is; so the writer estimates the height from the text, the
// column's width and the cell's font, on the generous side, since a clipped line is lost on paper.
// A height the template set by hand, and merged areas, are the form's own business.
bool Workbook::Private::wrapMetrics(const Sheet &sheet, pugi::xml_node row, int rowNumber, int column, int style,
                                    bool forceWrap, double *width, double *lineHeight) const
{
    if ((row && isTrue(row.attribute("customHeight"))) || stylesPart.isEmpty() || isMerged(sheet, rowNumber, column))
        return false;
    const Look cell = look(style);
    if (!cell.wraps && !forceWrap)
        return false;
    // Column widths count the digits of the default font, 7 pixels at 96 dpi for the usual 10 and
    // 11 point fonts, plus 5 pixels of margin; a little is kept back for the cell's padding and for
    // fonts a shade wider than the table below.
    const double usable = ((std::trunc(columnWidth(sheet, column) * 7 + 5) * 0.75) - 4) * 0.95;
    const double em = cell.fontSize * (cell.bold ? 1.08 : 1.0);
    *width = usable / em;
    *lineHeight = cell.fontSize * 1.17;
    return true;
}

// The format a cell has, or would get when written: its own, else its row's, else its column's.
int Workbook::Private::styleFor(const Sheet &sheet, int row, int column) const
{
    const pugi::xml_node worksheet = sheet.doc.document_element();
    const pugi::xml_node rowNode = sheet.row(row);
    const pugi::xml_node c = rowNode.find_child_by_attribute("c", "r", toUtf8(cellName(row, column)).constData());
    if (c)
        return c.attribute("s").as_int(0);
    if (isTrue(rowNode.attribute("customFormat")))
        return rowNode.attribute("s").as_int(0);
    for (pugi::xml_node col : worksheet.child("cols").children("col")) {
        if (col.attribute("min").as_int() <= column && column <= col.attribute("max").as_int())
            return col.attribute("style").as_int(0);
    }
    return 0;
}

void Workbook::Private::fitRow(Sheet &sheet, pugi::xml_node row, int column, const QString &text, int style) const
{
    double width = 0;
    double lineHeight = 0;
    if (!wrapMetrics(sheet, row, row.attribute("r").as_int(), column, style, false, &width, &lineHeight))
        return;
    const int lines = wrappedLines(text, width);
    // One line is what the template's rows are made for.
    if (lines <= 1)
        return;
    const double needed = std::min(Workbook::kMaxRowHeight, std::ceil((lines * lineHeight + 3) * 4) / 4);
    const double current = row.attribute("ht").as_double(
        sheet.doc.document_element().child("sheetFormatPr").attribute("defaultRowHeight").as_double(15));
    if (needed <= current)
        return;
    pugi::xml_attribute ht = row.attribute("ht");
    if (!ht)
        ht = row.append_attribute("ht");
    ht.set_value(needed);
}

bool Workbook::Private::setHeaderSection(int number, const char *element, QChar section, const QString &text)
{
    Sheet *s = sheet(number);
    if (!s)
        return false;
    pugi::xml_node headerFooter = childInOrder(s->doc.document_element(), "headerFooter", kWorksheetOrder);
    pugi::xml_node node = childInOrder(headerFooter, element, kHeaderFooterOrder);
    HeaderSections sections = HeaderSections::parse(toQString(node.text().get()));
    QString plain = text;
    sections.section(section) = headerCode(plain);
    while (sections.join().size() > kMaxHeaderText && !plain.isEmpty()) {
        plain = truncated(plain, plain.size() - 1);
        sections.section(section) = headerCode(plain);
    }
    node.text().set(toUtf8(sections.join()).constData());
    s->dirty = true;
    return true;
}

QString Workbook::Private::headerSection(int number, const char *element, QChar section) const
{
    const Sheet *s = sheet(number);
    if (!s)
        return {};
    const pugi::xml_node node = s->doc.document_element().child("headerFooter").child(element);
    return headerText(HeaderSections::parse(toQString(node.text().get())).section(section));
}

OfficePackage Workbook::Private::filledPackage() const
{
    OfficePackage filled = package;
    for (const auto &s : sheets) {
        if (s->dirty)
            filled.setPart(s->part, writeXml(s->doc));
    }
    if (stylesDirty)
        filled.setPart(stylesPart, writeXml(styles));
    if (workbookDirty)
        filled.setPart(workbookPart, writeXml(workbook));
    return filled;
}

Workbook::Workbook() = default;
Workbook::~Workbook() = default;

bool Workbook::open(const QString &templatePath, QString *error)
{
    auto p = std::make_unique<Private>();
    const auto fail = [&](OfficePackage::OpenResult result) {
        if (error)
            *error = openErrorText(templatePath, result);
        d.reset();
        return false;
    };
    const OfficePackage::OpenResult loaded = p->package.load(templatePath);
    if (loaded != OfficePackage::OpenResult::Ok)
        return fail(loaded);

    p->workbookPart = p->package.target(QString(), QStringLiteral("officeDocument"));
    const QString &workbookPart = p->workbookPart;
    pugi::xml_document &workbook = p->workbook;
    if (workbookPart.isEmpty() || !parseXml(workbook, p->package.part(workbookPart)) ||
        qstrcmp(workbook.document_element().name(), "workbook") != 0)
        return fail(OfficePackage::OpenResult::Damaged);

    QHash<QString, QString> targets;
    for (const OfficePackage::Relationship &rel : p->package.relationships(workbookPart)) {
        targets.insert(rel.id, rel.target);
        if (rel.type == QLatin1String("styles"))
            p->stylesPart = rel.target;
        else if (rel.type == QLatin1String("sharedStrings"))
            p->loadSharedStrings(rel.target);
    }
    for (pugi::xml_node entry : workbook.document_element().child("sheets").children("sheet")) {
        QString id;
        for (pugi::xml_attribute attribute : entry.attributes()) {
            if (QLatin1String(attribute.name()).endsWith(QLatin1String(":id")))
                id = toQString(attribute.value());
        }
        const QString part = targets.value(id);
        if (part.isEmpty() || !p->package.contains(part))
            return fail(OfficePackage::OpenResult::Damaged);
        auto sheet = std::make_unique<Sheet>();
        sheet->part = part;
        sheet->name = toQString(entry.attribute("name").value());
        if (!Private::loadSheet(*sheet, p->package.part(part))) {
            // Chart sheets take no place among the worksheets.
            pugi::xml_document other;
            if (parseXml(other, p->package.part(part)) && qstrcmp(other.document_element().name(), "chartsheet") == 0)
                continue;
            return fail(OfficePackage::OpenResult::Damaged);
        }
        p->sheets.push_back(std::move(sheet));
        p->sheetEntries.push_back(entry);
    }
    if (p->sheets.empty())
        return fail(OfficePackage::OpenResult::Damaged);
    if (!p->stylesPart.isEmpty() && !parseXml(p->styles, p->package.part(p->stylesPart)))
        p->stylesPart.clear();

    p->fileName = templatePath;
    d = std::move(p);
    return true;
}

bool Workbook::isOpen() const
{
    return d != nullptr;
}

QString Workbook::fileName() const
{
    return d ? d->fileName : QString();
}

int Workbook::sheetCount() const
{
    return d ? int(d->sheets.size()) : 0;
}

QString Workbook::sheetName(int sheet) const
{
    const Sheet *s = d ? d->sheet(sheet) : nullptr;
    return s ? s->name : QString();
}

bool Workbook::setLeftHeader(int sheet, const QString &text)
{
    return d && d->setHeaderSection(sheet, "oddHeader", QLatin1Char('L'), text);
}

bool Workbook::setRightHeader(int sheet, const QString &text)
{
    return d && d->setHeaderSection(sheet, "oddHeader", QLatin1Char('R'), text);
}

bool Workbook::setRightFooter(int sheet, const QString &text)
{
    return d && d->setHeaderSection(sheet, "oddFooter", QLatin1Char('R'), text);
}

QString Workbook::leftHeader(int sheet) const
{
    return d ? d->headerSection(sheet, "oddHeader", QLatin1Char('L')) : QString();
}

QString Workbook::rightHeader(int sheet) const
{
    return d ? d->headerSection(sheet, "oddHeader", QLatin1Char('R')) : QString();
}

QString Workbook::rightFooter(int sheet) const
{
    return d ? d->headerSection(sheet, "oddFooter", QLatin1Char('R')) : QString();
}

bool Workbook::setCell(int sheet, int row, int column, const QString &text)
{
    Sheet *s = d ? d->sheet(sheet) : nullptr;
    if (!s || row < 1 || row > kMaxRow || column < 1 || column > kMaxColumn)
        return false;
    pugi::xml_node c = d->cell(*s, row, column);
    while (pugi::xml_node child = c.first_child())
        c.remove_child(child);
    c.remove_attribute("t");
    c.append_attribute("t").set_value("inlineStr");

    const QString value = truncated(encodeCellText(text), kMaxCellText);
    pugi::xml_node t = c.append_child("is").append_child("t");
    t.append_attribute("xml:space").set_value("preserve");
    t.text().set(toUtf8(value).constData());

    if (value.contains(QLatin1Char('\n')) && !d->stylesPart.isEmpty()) {
        const int style = d->wrapStyle(c.attribute("s").as_int(0));
        if (style > 0) {
            c.remove_attribute("s");
            c.append_attribute("s").set_value(style);
        }
    }
    d->fitRow(*s, c.parent(), column, value, c.attribute("s").as_int(0));
    s->dirty = true;
    return true;
}

bool Workbook::setCell(int sheet, int row, int column, double value)
{
    Sheet *s = d ? d->sheet(sheet) : nullptr;
    if (!s || row < 1 || row > kMaxRow || column < 1 || column > kMaxColumn || !std::isfinite(value))
        return false;
    pugi::xml_node c = d->cell(*s, row, column);
    while (pugi::xml_node child = c.first_child())
        c.remove_child(child);
    c.remove_attribute("t");
    const QString number = QString::number(value, 'g', QLocale::FloatingPointShortest);
    c.append_child("v").text().set(toUtf8(number).constData());
    s->dirty = true;
    return true;
}

QString Workbook::cellText(int sheet, int row, int column) const
{
    const Sheet *s = d ? d->sheet(sheet) : nullptr;
    if (!s)
        return {};
    const QByteArray ref = toUtf8(cellName(row, column));
    const pugi::xml_node rowNode = s->row(row);
    const pugi::xml_node c = rowNode.find_child_by_attribute("c", "r", ref.constData());
    const QLatin1String type(c.attribute("t").value());
    if (type == QLatin1String("inlineStr"))
        return stringItemText(c.child("is"));
    const QString value = toQString(c.child("v").text().get());
    if (type == QLatin1String("s"))
        return d->sharedStrings.value(value.toInt());
    if (type == QLatin1String("str"))
        return decodeCellText(value);
    return value;
}

QStringList Workbook::rowPieces(int sheet, int row, int column, const QString &text) const
{
    const Sheet *s = d ? d->sheet(sheet) : nullptr;
    if (!s)
        return {text};
    const pugi::xml_node rowNode = s->row(row);
    double width = 0;
    double lineHeight = 0;
    // setCell() turns wrapping on for a text with line feeds.
    if (!d->wrapMetrics(*s, rowNode, row, column, d->styleFor(*s, row, column), text.contains(QLatin1Char('\n')),
                        &width, &lineHeight))
        return {text};
    const int maxLines = std::max(1, int((kMaxRowHeight - 3) / lineHeight));
    const auto fits = [&](const QString &piece) { return wrappedLines(piece, width) <= maxLines; };
    if (fits(text))
        return {text};

    // Paragraphs whole where they fit, else word by word; a word longer than a whole row (there is
    // hardly such a word) is cut by letters.
    QStringList paragraphs = text.split(QLatin1Char('\n'));
    while (!paragraphs.isEmpty() && paragraphs.last().isEmpty())
        paragraphs.removeLast();
    QStringList pieces;
    QString piece;
    const auto add = [&](const QString &unit, QChar separator) {
        const QString candidate = piece.isEmpty() ? unit : piece + separator + unit;
        if (fits(candidate)) {
            piece = candidate;
            return true;
        }
        return false;
    };
    const auto close = [&] {
        if (!piece.isEmpty())
            pieces << piece;
        piece.clear();
    };
    for (const QString &paragraph : std::as_const(paragraphs)) {
        if (add(paragraph, QLatin1Char('\n')))
            continue;
        close();
        if (add(paragraph, QLatin1Char('\n')))
            continue;
        bool first = true;
        for (const QString &word : paragraph.split(QLatin1Char(' '))) {
            // The paragraph's first word starts the piece on a line of its own.
            if (add(word, first ? QLatin1Char('\n') : QLatin1Char(' '))) {
                first = false;
                continue;
            }
            close();
            QString rest = word;
            while (!fits(rest)) {
                qsizetype lo = 1, hi = rest.size();
                while (lo < hi) {
                    const qsizetype mid = (lo + hi + 1) / 2;
                    if (fits(rest.left(mid)))
                        lo = mid;
                    else
                        hi = mid - 1;
                }
                pieces << rest.left(lo);
                rest = rest.mid(lo);
            }
            piece = rest;
            first = false;
        }
    }
    close();
    return pieces.isEmpty() ? QStringList{text} : pieces;
}

double Workbook::neededHeight(int sheet, int row, int column) const
{
    const Sheet *s = d ? d->sheet(sheet) : nullptr;
    if (!s)
        return 0;
    const pugi::xml_node rowNode = s->row(row);
    const QString text = cellText(sheet, row, column);
    double width = 0;
    double lineHeight = 0;
    if (text.isEmpty() || !d->wrapMetrics(*s, rowNode, row, column, d->styleFor(*s, row, column), false, &width,
                                          &lineHeight))
        return 0;
    return wrappedLines(text, width) * lineHeight + 3;
}

QList<Workbook::Cell> Workbook::cells(int sheet) const
{
    QList<Cell> result;
    const Sheet *s = d ? d->sheet(sheet) : nullptr;
    if (!s)
        return result;
    for (pugi::xml_node row : s->doc.document_element().child("sheetData").children("row")) {
        for (pugi::xml_node c : row.children("c")) {
            int r = 0, column = 0;
            if (!parseCellName(QLatin1String(c.attribute("r").value()), &r, &column))
                continue;
            const QString text = cellText(sheet, r, column);
            if (!text.isEmpty())
                result.push_back({r, column, text});
        }
    }
    return result;
}

bool Workbook::setSheetHidden(int sheet, bool hidden)
{
    if (!d || !d->sheet(sheet))
        return false;
    if (isSheetHidden(sheet) == hidden)
        return true;
    if (hidden) {
        int visible = 0;
        for (int n = 1; n <= sheetCount(); ++n)
            visible += isSheetHidden(n) ? 0 : 1;
        if (visible <= 1)
            return false;
    }
    pugi::xml_node entry = d->sheetEntries[size_t(sheet - 1)];
    entry.remove_attribute("state");
    if (hidden)
        entry.append_attribute("state").set_value("hidden");

    // The sheet a spreadsheet program opens on must be one that shows.
    int firstVisible = 0;
    for (int n = 1; n <= sheetCount() && !firstVisible; ++n)
        firstVisible = isSheetHidden(n) ? 0 : n;
    int entryIndex = 0;
    int activeEntry = 0;
    for (pugi::xml_node e : d->workbook.document_element().child("sheets").children("sheet")) {
        if (e == d->sheetEntries[size_t(firstVisible - 1)])
            activeEntry = entryIndex;
        ++entryIndex;
    }
    for (pugi::xml_node view : d->workbook.document_element().child("bookViews").children("workbookView")) {
        for (const char *name : {"activeTab", "firstSheet"}) {
            view.remove_attribute(name);
            view.append_attribute(name).set_value(activeEntry);
        }
    }
    for (int n = 1; n <= sheetCount(); ++n) {
        Sheet *s = d->sheet(n);
        for (pugi::xml_node view : s->doc.document_element().child("sheetViews").children("sheetView")) {
            view.remove_attribute("tabSelected");
            if (n == firstVisible)
                view.append_attribute("tabSelected").set_value("1");
        }
        s->dirty = true;
    }
    d->workbookDirty = true;
    return true;
}

bool Workbook::isSheetHidden(int sheet) const
{
    if (!d || !d->sheet(sheet))
        return false;
    const QLatin1String state(d->sheetEntries[size_t(sheet - 1)].attribute("state").value());
    return state == QLatin1String("hidden") || state == QLatin1String("veryHidden");
}

bool Workbook::save(const QString &path, QString *error)
{
    if (!saveCopyAs(path, error))
        return false;
    d->fileName = path;
    return true;
}

bool Workbook::saveCopyAs(const QString &path, QString *error) const
{
    // An empty package refuses with the message for a document that was never opened.
    return d ? d->filledPackage().save(path, error) : OfficePackage().save(path, error);
}

} // namespace pelorin::office
