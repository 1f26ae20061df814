#include "puva_links.h"

#include "table.h"

#include <QDate>
#include <vector>

namespace pelorin::treatment {

namespace {

const QString kOsmotr = QStringLiteral("Osmotr");
const QString kPuva = QStringLiteral("PUVA");
const QString kDate = QStringLiteral("Date");

bool editPost(db::Table &t, const QString &field, const QVariant &value)
{
    if (!t.isEditing())
        t.edit();
    t.setValue(field, value);
    return t.post();
}

// A blank date counts as the earliest of all.
QDate dateOf(const db::Table &t)
{
    return t.isNull(kDate) ? QDate(1, 1, 1) : t.asDate(kDate);
}

} // namespace

QString autoLinkText(qint64 procedure, qint64 course)
{
    return QString::number(procedure) + QStringLiteral(" курс ") + QString::number(course);
}

QString handLinkText(qint64 procedure, qint64 course)
{
    return QString::number(procedure) + QStringLiteral("пр. ") + QString::number(course) + QStringLiteral("к.");
}

bool linkProcedures(db::Table &lech_puva, db::Table &osmotr1)
{
    if (!lech_puva.checkBrowseMode() || !osmotr1.checkBrowseMode())
        return false;
    const int formerProcedure = lech_puva.recNo();
    const int formerExam = osmotr1.recNo();
    bool ok = true;

    for (lech_puva.first(); !lech_puva.eof(); lech_puva.next())
        ok = editPost(lech_puva, kOsmotr, QVariant()) && ok;

    const int m = lech_puva.recordCount();
    const int n = osmotr1.recordCount();
    if (m >= 2 && n >= 1) {
        lech_puva.first();
        for (int i = 1; i <= n; ++i) {
            osmotr1.setRecNo(i);
            const QDate examDate = dateOf(osmotr1);
            while (examDate > dateOf(lech_puva) && lech_puva.recNo() < m)
                lech_puva.next();
            ok = editPost(osmotr1, kPuva, QVariant()) && ok;
            ok = editPost(lech_puva, kOsmotr, QString::number(i)) && ok;
        }
    }

    for (lech_puva.first(); !lech_puva.eof(); lech_puva.next()) {
        const QString link = lech_puva.asString(kOsmotr).trimmed();
        if (link.isEmpty())
            continue;
        bool number = false;
        const int k = link.toInt(&number);
        // A link set by hand holds an examination number, which need not be a place of the list.
        if (!number || k < 1 || k > osmotr1.recordCount())
            continue;
        const qint64 procedure = lech_puva.asInteger(QStringLiteral("Nom_proc"));
        const qint64 course = lech_puva.asInteger(QStringLiteral("Id_kurs"));
        osmotr1.setRecNo(k);
        if (!osmotr1.isEditing())
            osmotr1.edit();
        osmotr1.setValue(kPuva, autoLinkText(procedure, course));
        osmotr1.setValue(QStringLiteral("PUVA_k"), course);
        osmotr1.setValue(QStringLiteral("PUVA_p"), procedure);
        ok = osmotr1.post() && ok;
    }

    lech_puva.setRecNo(formerProcedure);
    osmotr1.setRecNo(formerExam);
    return ok;
}

bool linkCurrentPair(db::Table &lech_puva, db::Table &osmotr1)
{
    if (lech_puva.isEmpty() || osmotr1.isEmpty())
        return false;
    const qint64 key = lech_puva.currentRowKey();
    const QString number = osmotr1.asString(QStringLiteral("Nom_osm"));
    const QString text = handLinkText(lech_puva.asInteger(QStringLiteral("Nom_proc")),
                                      lech_puva.asInteger(QStringLiteral("Id_kurs")));
    bool ok = editPost(lech_puva, kOsmotr, number);
    ok = editPost(osmotr1, kPuva, text) && ok;
    // The list goes back to the procedure that was linked.
    for (int row = 1; row <= lech_puva.recordCount() && key != 0; ++row) {
        lech_puva.setRecNo(row);
        if (lech_puva.currentRowKey() == key)
            break;
    }
    return ok;
}

bool unlinkProcedure(db::Table &lech_puva, db::Table &osmotr1)
{
    if (lech_puva.isEmpty())
        return false;
    const bool ok = editPost(lech_puva, kOsmotr, QVariant());
    osmotr1.first();
    return ok;
}

bool unlinkExamination(db::Table &osmotr1)
{
    if (osmotr1.isEmpty())
        return false;
    return editPost(osmotr1, kPuva, QVariant());
}

} // namespace pelorin::treatment
