#include "dynamics.h"

#include "table.h"

#include <algorithm>

namespace pelorin::examination {

std::optional<int> dinam(const QString &dinamika)
{
    if (dinamika == QStringLiteral("Отрицательная"))
        return -1;
    if (dinamika == QStringLiteral("Без динамики"))
        return 0;
    if (dinamika == QStringLiteral("Положительная"))
        return 1;
    // The 20-character form is what a Dinamika cut to twenty characters holds.
    if (dinamika == QStringLiteral("Полный регресс высыпаний") || dinamika == QStringLiteral("Полный регресс высып"))
        return 2;
    return std::nullopt;
}

const QList<DynamicsItem> &dynamicsItems()
{
    static const QList<DynamicsItem> items = [] {
        QList<DynamicsItem> list;
        auto add = [&list](const QString &text, const char *field, double max) {
            list.append({text, QString::fromLatin1(field), text, max, std::nullopt});
        };
        add(QStringLiteral("Индекс SCORAD"), "ind3", 103);
        add(QStringLiteral("Площадь распространения"), "B1", 100);
        add(QStringLiteral("Активность воспаления"), "ind1", 18);
        add(QStringLiteral("Интенсивность эритемы"), "B2", 3);
        add(QStringLiteral("Интенсивность отека\\папулы"), "B3", 3);
        add(QStringLiteral("Интенсивность экскориации"), "B4", 3);
        add(QStringLiteral("Интенсивность лихенификации"), "B5", 3);
        add(QStringLiteral("Интенсивность корок\\мокнутий"), "B6", 3);
        add(QStringLiteral("Интенсивность сухости кожи"), "B7", 3);
        add(QStringLiteral("Зуд"), "B8", 10);
        add(QStringLiteral("Нарушение сна"), "B9", 10);
        add(QStringLiteral("Интенсивность зуда"), "ind2", 20);
        add(QStringLiteral("Индекс PASI"), "index1", 72);
        list.append({QStringLiteral("Динамика течения заболевания"), QStringLiteral("Dinam"),
                     QStringLiteral("Динамика течения заболевания в относительных единицах"), 1, -1.0});
        return list;
    }();
    return items;
}

QStringList dynamicsItemTexts()
{
    QStringList texts;
    for (const DynamicsItem &item : dynamicsItems())
        texts << item.text;
    return texts;
}

bool DynamicsChoice::pick(const QString &text)
{
    for (const DynamicsItem &item : dynamicsItems()) {
        if (item.text != text)
            continue;
        m_title = item.title;
        m_field = item.field;
        m_max = item.axisMax;
        if (item.axisMin)
            m_min = *item.axisMin;
        return true;
    }
    return false;
}

QList<DynamicsPoint> dynamicsPoints(const db::Table &osmotr1, const QString &field)
{
    QList<DynamicsPoint> points;
    const int dateIndex = osmotr1.fieldIndex(QStringLiteral("Date"));
    const int valueIndex = osmotr1.fieldIndex(field);
    if (dateIndex < 0 || valueIndex < 0)
        return points;
    for (int row = 0, n = osmotr1.recordCount(); row < n; ++row) {
        const QDate date = osmotr1.valueAt(row, dateIndex).toDate();
        if (!date.isValid())
            continue;
        const QVariant v = osmotr1.valueAt(row, valueIndex);
        DynamicsPoint p{date, std::nullopt};
        if (v.isValid() && !v.isNull())
            p.value = v.toDouble();
        points.append(p);
    }
    std::stable_sort(points.begin(), points.end(),
                     [](const DynamicsPoint &a, const DynamicsPoint &b) { return a.date < b.date; });
    return points;
}

QList<QList<DynamicsPoint>> dynamicsSegments(const QList<DynamicsPoint> &points)
{
    QList<QList<DynamicsPoint>> segments;
    QList<DynamicsPoint> run;
    for (const DynamicsPoint &p : points) {
        if (p.value) {
            run.append(p);
        } else if (!run.isEmpty()) {
            segments.append(run);
            run.clear();
        }
    }
    if (!run.isEmpty())
        segments.append(run);
    return segments;
}

} // namespace pelorin::examination
