#include "card_sheets.h"

#include "table.h"
#include "texts.h"

namespace pelorin::documents {

namespace {

QString str(const db::Table &t, const char *field)
{
    return t.asString(QLatin1String(field));
}

QString partsList(std::initializer_list<QString> parts)
{
    QString list;
    for (const QString &part : parts)
        text::appendIf(list, !part.isEmpty(), part + QStringLiteral(", "));
    return text::closeList(list);
}

} // namespace

QString fullName(const db::Table &reg)
{
    return str(reg, "Last_Name") + QStringLiteral(" ") + str(reg, "First_Name") + QStringLiteral(" ") +
           str(reg, "Father_Name");
}

QString addressText(const QString &region, const QString &city, const QString &street)
{
    return partsList({region, city, street});
}

QString occupationText(const QString &workplace, const QString &position, const QString &profession)
{
    const QString work = partsList({workplace, position});
    if (profession.isEmpty())
        return work;
    return QStringLiteral("Профессия - ") + profession + QStringLiteral(". ") + work;
}

QString signatureFooter()
{
    return QStringLiteral("&12 Подпись лечащего врача: ______________");
}

SheetHeaders titlePageHeaders(const db::Table &reg, const QDate &today, CardTemplate card)
{
    SheetHeaders h;
    h.sheet = kTitleSheet;
    h.left = QStringLiteral("&7Амбулаторная карта № ") + str(reg, "Amb_karta");
    if (card == CardTemplate::Current)
        h.left += QStringLiteral(". ") + fullName(reg) + QStringLiteral(".");
    h.right = QStringLiteral("&7Дата составления:") + text::longDate(today);
    return h;
}

std::vector<CellWrite> titlePageCells(const db::Table &reg, db::Table &diagnoz)
{
    diagnoz.first();
    const auto cell = [](int row, int column, const QString &value) {
        return CellWrite{kTitleSheet, row, column, value};
    };
    return {
        cell(3, 11, str(reg, "Amb_karta")),
        cell(5, 5, fullName(reg)),
        cell(7, 4, str(reg, "Sex")),
        cell(9, 4, str(reg, "Born_dat")),
        cell(12, 4, addressText(str(reg, "Live_place_region"), str(reg, "Life_place_gorod"), str(reg, "Adress"))),
        cell(8, 9, str(reg, "Telephone_sot")),
        cell(9, 9, str(reg, "Telephone_home")),
        cell(10, 9, str(reg, "Telephone_work")),
        cell(14, 5, occupationText(str(reg, "Work_place"), str(reg, "Work_dolzn"), str(reg, "Work_proff"))),
        cell(17, 6, str(diagnoz, "Data")),
        cell(19, 3, str(diagnoz, "Text1")),
    };
}

DiagnosesSheet diagnosesSheet(const db::Table &reg, db::Table &diagnoz, const QDate &today, CardTemplate card,
                              const QDate &start, const QDate &end)
{
    DiagnosesSheet sheet;
    sheet.headers = titlePageHeaders(reg, today, card);
    sheet.headers.sheet = kDiagnosesSheet;
    const bool period = card == CardTemplate::Current;
    if (period)
        sheet.headers.rightFooter = signatureFooter();

    const auto date = [&diagnoz] { return diagnoz.asDate(QStringLiteral("Data")); };
    diagnoz.first();
    if (period) {
        while (!diagnoz.eof() && date() < start)
            diagnoz.next();
    }
    while (!diagnoz.eof() && (!period || date() <= end)) {
        const int row = sheet.nextRow++;
        sheet.cells.push_back({kDiagnosesSheet, row, 2, str(diagnoz, "Data")});
        sheet.cells.push_back({kDiagnosesSheet, row, 3, str(diagnoz, "Text_type")});
        sheet.cells.push_back({kDiagnosesSheet, row, 4, str(diagnoz, "Text1")});
        diagnoz.next();
    }
    return sheet;
}

} // namespace pelorin::documents
