#include "analyz_calc.h"

#include "fieldvalue.h"
#include "table.h"
#include "texts.h"

namespace pelorin::clinical {

using text::appendIf;
using text::closeList;
using text::cutToWidth;

namespace {

// The buffer of one block goes into the summary closed by a full stop; an empty buffer adds nothing.
void flush(QString &w, QString &t)
{
    if (t.isEmpty())
        return;
    w += closeList(t);
    t.clear();
}

// A labelled value: label, value and unit with no blank between label and value.
void appendValue(QString &t, const AnalyzRecord &r, const char *field, const QString &label, const QString &unit)
{
    const QString v = r.s(QLatin1String(field));
    appendIf(t, !v.isEmpty(), label + v + unit);
}

// Free text of a block closes with a full stop of its own.
void appendRemark(QString &t, const AnalyzRecord &r, const char *field)
{
    const QString v = r.s(QLatin1String(field));
    appendIf(t, !v.isEmpty(), v + QStringLiteral(". "));
}

void clinicalAnalysis(QString &w, const AnalyzRecord &r)
{
    if (!r.b(QStringLiteral("B1")))
        return;
    w += QStringLiteral("Клинический анализ крови: ");
    if (r.b(QStringLiteral("C1"))) {
        // Unlike the biochemical block, no blank follows; the next block is written right after it.
        w += QStringLiteral("норма.");
        return;
    }
    QString t;
    appendValue(t, r, "B11", QStringLiteral("СОЭ -"), QStringLiteral("мм\\ч, "));
    appendValue(t, r, "B12", QStringLiteral("эозинофилы -"), QStringLiteral("%, "));
    appendValue(t, r, "B13", QStringLiteral("лейкоциты -"), QStringLiteral("х 10^9/л, "));
    appendRemark(t, r, "B14");
    flush(w, t);
}

void biochemicalAnalysis(QString &w, const AnalyzRecord &r)
{
    if (!r.b(QStringLiteral("B2")))
        return;
    w += QStringLiteral("Биохимический анализ крови: ");
    if (r.b(QStringLiteral("C2"))) {
        w += QStringLiteral("норма. ");
        return;
    }
    QString t;
    appendValue(t, r, "B21", QStringLiteral("холестерин -"), QStringLiteral("ммоль/л, "));
    appendValue(t, r, "B22", QStringLiteral("триглицериды -"), QStringLiteral("ммоль/л, "));
    appendValue(t, r, "B23", QStringLiteral("общий билирубин -"), QStringLiteral("ммоль/л, "));
    appendValue(t, r, "B24", QStringLiteral("АлАТ -"), QStringLiteral("ед., "));
    appendValue(t, r, "B25", QStringLiteral("АсАТ -"), QStringLiteral("ед., "));
    appendRemark(t, r, "B26");
    flush(w, t);
}

void totalIgE(QString &w, const AnalyzRecord &r)
{
    if (!r.b(QStringLiteral("B31")))
        return;
    // Written even without a value.
    w += QStringLiteral("Общий иммуноглобулин Е: ") + r.s(QStringLiteral("B3")) + QStringLiteral(" Ме/мл. ");
}

void allergenIgE(QString &w, const AnalyzRecord &r)
{
    if (!r.b(QStringLiteral("B4")))
        return;
    struct Group
    {
        const char *field;
        const char16_t *label;
    };
    static const Group kGroups[] = {
        {"I1", u"Бытовой - "},   {"I2", u"Эпидермальный - "}, {"I3", u"Пищевой - "},
        {"I4", u"Пыльцевой - "}, {"I5", u"Грибковый - "},     {"I6", u"Бактериальный - "},
    };
    w += QStringLiteral("Аллергенспецифические иммуноглобулины Е: ");
    for (const Group &group : kGroups) {
        // The pick list's first item is a single blank meant for clearing the value.
        const QString v = r.s(QLatin1String(group.field));
        appendIf(w, !v.isEmpty() && v != QStringLiteral(" "),
                 QString::fromUtf16(group.label) + v + QStringLiteral(". "));
    }
    appendRemark(w, r, "B42");
}

void helminthAntibodies(QString &w, const AnalyzRecord &r)
{
    if (!r.b(QStringLiteral("B5")))
        return;
    struct Antigen
    {
        const char *field;
        const char16_t *name;
    };
    static const Antigen kAntigens[] = {
        {"B51", u"описторхии"}, {"B52", u"трихинелла"}, {"B53", u"эхинококк"},
        {"B54", u"токсокара"},  {"B55", u"лямблии"},
    };
    w += QStringLiteral("Антитела к антигенам гельминтов: ");
    QString t;
    for (const Antigen &antigen : kAntigens) {
        t += QString::fromUtf16(antigen.name) + (r.b(QLatin1String(antigen.field))
                                                     ? QStringLiteral(" - положительные, ")
                                                     : QStringLiteral(" - отрицательные, "));
    }
    appendRemark(t, r, "B56");
    flush(w, t);
}

void cellularImmunity(QString &w, const AnalyzRecord &r)
{
    if (!r.b(QStringLiteral("B6")))
        return;
    w += QStringLiteral("Исследование клеточного иммунитета: ");
    QString t;
    const QString percent = r.s(QStringLiteral("B611"));
    const QString absolute = r.s(QStringLiteral("B612"));
    if (!percent.isEmpty() && !absolute.isEmpty()) {
        t += QStringLiteral("лимфоциты -") + percent + QStringLiteral("%, абс. зн-е: ") + absolute +
             QStringLiteral(", ");
    } else {
        appendIf(t, !percent.isEmpty(), QStringLiteral("лимфоциты -") + percent + QStringLiteral("%, "));
        appendIf(t, !absolute.isEmpty(), QStringLiteral("лимфоциты - абс. зн-е ") + absolute + QStringLiteral(", "));
    }
    const QString separator = QStringLiteral(", ");
    appendValue(t, r, "B62", QStringLiteral("CD3 -"), separator);
    appendValue(t, r, "B63", QStringLiteral("CD4 -"), separator);
    appendValue(t, r, "B64", QStringLiteral("CD8 -"), separator);
    appendValue(t, r, "B65", QStringLiteral("CD19 -"), separator);
    appendValue(t, r, "B66", QStringLiteral("CD16 -"), separator);
    appendValue(t, r, "B67", QStringLiteral("CD4\\CD8 -"), separator);
    appendRemark(t, r, "B68");
    flush(w, t);
}

void interleukins(QString &w, const AnalyzRecord &r)
{
    if (!r.b(QStringLiteral("B7")))
        return;
    w += QStringLiteral("Интерлейкины: ");
    QString t;
    static const char *const kFields[] = {"B71", "B72", "B73", "B74", "B75", "B76"};
    for (int i = 0; i < 6; ++i)
        appendValue(t, r, kFields[i], QStringLiteral("#%1 -").arg(i + 1), QStringLiteral(", "));
    appendRemark(t, r, "B77");
    flush(w, t);
}

// One stool test: its heading, then the description when something was found, otherwise "норма. ".
void stoolTest(QString &w, const AnalyzRecord &r, const char *done, const char *found, const char *description,
               const QString &heading)
{
    if (!r.b(QLatin1String(done)))
        return;
    w += heading;
    w += r.b(QLatin1String(found)) ? r.s(QLatin1String(description)) + QStringLiteral(". ") : QStringLiteral("норма. ");
}

} // namespace

// ---------------------------------------------------------------- parts

QString bloodPart(const AnalyzRecord &r)
{
    QString w;
    clinicalAnalysis(w, r);
    biochemicalAnalysis(w, r);
    totalIgE(w, r);
    allergenIgE(w, r);
    helminthAntibodies(w, r);
    cellularImmunity(w, r);
    interleukins(w, r);
    return w;
}

QString stoolPart(const AnalyzRecord &r)
{
    QString w;
    stoolTest(w, r, "B9", "B91", "B92", QStringLiteral("Кал на яйца гельминтов: "));
    stoolTest(w, r, "B10_0", "B10_1", "B10_2", QStringLiteral("Кал на патогенные простейшие: "));
    stoolTest(w, r, "B11_0", "B11_1", "B11_2", QStringLiteral("Бактериологическое исследование кала: "));
    return w;
}

QString otherPart(const AnalyzRecord &r)
{
    QString w;
    if (r.b(QStringLiteral("B8"))) {
        w += QStringLiteral("УЗИ органов брюшной полости: ");
        w += r.b(QStringLiteral("B81")) ? r.s(QStringLiteral("B82")) + QStringLiteral(". ")
                                        : QStringLiteral("патологических изменений нет. ");
    }
    // The consultations are taken as typed, with no stop of their own.
    w += r.s(QStringLiteral("D2"));
    return w;
}

// ---------------------------------------------------------------- texts

QString analyzList1(const AnalyzRecord &r)
{
    return cutToWidth(bloodPart(r), analyz_width::List1);
}

QString analyzList2(const AnalyzRecord &r)
{
    return cutToWidth(stoolPart(r), analyz_width::List2);
}

QString analyzList3(const AnalyzRecord &r)
{
    return cutToWidth(otherPart(r), analyz_width::List3);
}

QString analyzList(const AnalyzRecord &r)
{
    // Joined from the parts as built, so a long blood part is not cut before the stool part follows.
    return cutToWidth(bloodPart(r) + stoolPart(r) + otherPart(r), analyz_width::List);
}

// ---------------------------------------------------------------- registration

void installAnalyzCalc(db::Table &analyz)
{
    analyz.addCalcHandler([](db::Table &t) {
        const AnalyzRecord r = AnalyzRecord::fromTable(t);
        // An empty text leaves its field blank.
        t.setValue(QStringLiteral("List1"), analyzList1(r));
        t.setValue(QStringLiteral("List2"), analyzList2(r));
        t.setValue(QStringLiteral("List3"), analyzList3(r));
        t.setValue(QStringLiteral("List"), analyzList(r));
    });
}

} // namespace pelorin::clinical
