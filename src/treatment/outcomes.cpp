#include "outcomes.h"

#include "database.h"
#include "fieldvalue.h"
#include "texts.h"

#include <QHash>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <map>

namespace pelorin::treatment {

namespace {

// A course as the procedure table gives it, before the examinations are looked at.
struct CourseRow
{
    qint64 patient = 0;
    qint64 course = 0;
    int procedures = 0;
    qint64 dose = 0;
    QDate start;
    QDate end;
    QString name;
    QVariant card;
};

// One examination with both indices in tenths; nullopt: no score of that index is filled in.
struct ExamRow
{
    qint64 key = 0;
    QDate date;
    std::optional<qint64> pasi;
    std::optional<qint64> scorad;
};

// num / den rounded to the nearest whole number, halves to the even neighbour; den > 0.
qint64 divideHalfEven(qint64 num, qint64 den)
{
    qint64 q = num / den;
    qint64 r = num % den;
    if (r < 0) {
        r += den;
        --q;
    }
    if (2 * r > den || (2 * r == den && (q % 2 != 0)))
        ++q;
    return q;
}

// Every sum of the index formulas is read with its blanks as 0, as the examination's own fields are.
QString z(const char *field)
{
    return QStringLiteral("COALESCE(%1, 0)").arg(db::quoteIdentifier(QString::fromLatin1(field)));
}

QString anyOf(std::initializer_list<const char *> fields)
{
    QStringList quoted;
    for (const char *f : fields)
        quoted << db::quoteIdentifier(QString::fromLatin1(f));
    return QStringLiteral("CASE WHEN COALESCE(%1) IS NULL THEN 0 ELSE 1 END").arg(quoted.join(QLatin1Char(',')));
}

// The procedures in creation order with each one's dose (Doza's own sum, Power × Time over the three
// units). They are gathered into courses as they come, so the database never sorts the whole table:
// on the file the key is the table's own order and the read is one pass over it.
QString proceduresSql()
{
    const QString dose = QStringLiteral("CAST(%1 * %2 + %3 * %4 + %5 * %6 AS BIGINT)")
                             .arg(z("Power1"), z("Time1"), z("Power2"), z("Time2"), z("Power3"), z("Time3"));
    const QString key = db::quoteIdentifier(QString::fromLatin1(db::kHiddenRowKey));
    return QStringLiteral("SELECT \"ID_man\", COALESCE(\"Id_kurs\", 0), %1, \"Date\" FROM lech_puva "
                          "WHERE \"ID_man\" IS NOT NULL ORDER BY %2")
        .arg(dose, key);
}

// The examinations with both indices, in the order of the patient index (no sort of the whole table;
// each patient's few are put in date order afterwards); an index none of whose scores is filled in is
// blank. PASI × 10 is a whole number (region weights 1..4 tenths). SCORAD comes as 2·B1 + 35·B + 10·C,
// ten times round(B1/5 + 7·B/2 + C) before the rounding, or 0 when B and C are 0.
QString examsSql()
{
    auto region = [](const char *e, const char *i, const char *s, const char *area, int weight) {
        return QStringLiteral("%1 * (%2 + %3 + %4) * %5").arg(weight).arg(z(e), z(i), z(s), z(area));
    };
    const QString pasi10 =
        QStringList{region("Bb11", "Bb12", "Bb13", "Bb14", 1), region("Bb21", "Bb22", "Bb23", "Bb24", 2),
                    region("Bb41", "Bb42", "Bb43", "Bb44", 3), region("Bb31", "Bb32", "Bb33", "Bb34", 4)}
            .join(QStringLiteral(" + "));
    const QString pasiFilled = anyOf({"Bb11", "Bb12", "Bb13", "Bb14", "Bb21", "Bb22", "Bb23", "Bb24", "Bb31", "Bb32",
                                      "Bb33", "Bb34", "Bb41", "Bb42", "Bb43", "Bb44"});
    const QString intensity = QStringList{z("B2"), z("B3"), z("B4"), z("B5"), z("B6"), z("B7")}.join(QLatin1Char('+'));
    const QString subjective = z("B8") + QLatin1Char('+') + z("B9");
    const QString scoradFilled = anyOf({"B1", "B2", "B3", "B4", "B5", "B6", "B7", "B8", "B9"});
    const QString scorad = QStringLiteral("CASE WHEN %1 + %2 = 0 THEN 0 ELSE 2 * %3 + 35 * (%1) + 10 * (%2) END")
                               .arg(intensity, subjective, z("B1"));
    return QStringLiteral("SELECT \"ID_man\", \"ID\", \"Date\", CASE WHEN %1 = 1 THEN %2 END, "
                          "CASE WHEN %3 = 1 THEN %4 END FROM osmotr_1 "
                          "WHERE \"ID_man\" IS NOT NULL AND \"Date\" IS NOT NULL ORDER BY \"ID_man\", \"ID\"")
        .arg(pasiFilled, pasi10, scoradFilled, scorad);
}

// SCORAD in tenths from ten times its unrounded value: rounded half to even to a whole number.
qint64 scoradTenths(qint64 unrounded10)
{
    return 10 * divideHalfEven(unrounded10, 10);
}

using IndexOf = std::optional<qint64> ExamRow::*;

// Baseline, outcome and improvement of one index over one course. The examinations are in date
// order, then in creation order, so "last" and "first" below are the order of the patient's visits.
IndexOutcome indexOutcome(const CourseRow &c, const QList<ExamRow> &exams, IndexOf index)
{
    IndexOutcome o;
    if (!c.start.isValid() || !c.end.isValid())
        return o;
    const QDate earliest = c.start.addDays(-kOutcomeWindowDays);
    const QDate latest = c.end.addDays(kOutcomeWindowDays);
    qsizetype base = -1;
    for (qsizetype i = 0; i < exams.size(); ++i) {
        const ExamRow &e = exams.at(i);
        if (e.date >= earliest && e.date <= c.start && (e.*index).value_or(0) > 0)
            base = i;
    }
    if (base < 0) {
        for (qsizetype i = 0; i < exams.size() && base < 0; ++i) {
            const ExamRow &e = exams.at(i);
            if (e.date >= c.start && e.date <= c.end && (e.*index).value_or(0) > 0)
                base = i;
        }
    }
    // The outcome is looked for after the baseline's visit, so that one visit is never both.
    qsizetype result = -1;
    for (qsizetype i = base + 1; i < exams.size() && result < 0; ++i) {
        const ExamRow &e = exams.at(i);
        if (e.date >= c.end && e.date <= latest && (e.*index).has_value())
            result = i;
    }
    if (result < 0 && base >= 0) {
        for (qsizetype i = base + 1; i < exams.size(); ++i) {
            const ExamRow &e = exams.at(i);
            if (e.date > exams.at(base).date && e.date >= c.start && e.date <= c.end && (e.*index).has_value())
                result = i;
        }
    }
    if (base >= 0) {
        o.baseline = *(exams.at(base).*index);
        o.baselineDate = exams.at(base).date;
    }
    if (result >= 0) {
        o.outcome = *(exams.at(result).*index);
        o.outcomeDate = exams.at(result).date;
    }
    if (o.baseline && o.outcome)
        o.improvement = divideHalfEven(1000 * (*o.baseline - *o.outcome), *o.baseline);
    return o;
}

std::optional<double> median(std::vector<double> values)
{
    if (values.empty())
        return std::nullopt;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

std::optional<double> share(int part, int whole)
{
    if (whole == 0)
        return std::nullopt;
    return double(divideHalfEven(qint64(part) * 1000, whole)) / 10.0;
}

// "75,5", "-12,0", "100,0": percentages always with their one decimal.
QString oneDecimal(double value)
{
    return QString::number(value, 'f', 1).replace(QLatin1Char('.'), QLatin1Char(','));
}

QVariant number(std::optional<double> v)
{
    return v ? QVariant(*v) : QVariant();
}

QVariant tenths(std::optional<qint64> v)
{
    return v ? QVariant(double(*v) / 10.0) : QVariant();
}

QVariant reached(const IndexOutcome &o, int percent)
{
    const std::optional<bool> r = o.reaches(percent);
    return r ? QVariant(*r ? QStringLiteral("да") : QStringLiteral("нет")) : QVariant();
}

QVariant improvementCell(const IndexOutcome &o)
{
    return o.improvement ? QVariant(double(*o.improvement) / 10.0) : QVariant(QString::fromUtf8(kNoData));
}

enum CourseColumn {
    ColPatient,
    ColCard,
    ColCourse,
    ColStart,
    ColEnd,
    ColProcedures,
    ColDose,
    ColPasiBefore,
    ColPasiAfter,
    ColPasiImprovement,
    ColScoradBefore,
    ColScoradAfter,
    ColScoradImprovement,
    ColPasi50,
    ColPasi75,
    ColPasi90,
    ColScorad50,
    ColScorad75,
    ColRemission,
    CourseColumnCount
};

enum SummaryColumn {
    SumYear,
    SumCourses,
    SumPatients,
    SumWithData,
    SumWithPasi,
    SumPasi75,
    SumWithScorad,
    SumScorad50,
    SumMedianProcedures,
    SumMedianDose,
    SumMedianRemission,
    SummaryColumnCount
};

} // namespace

QStringList courseTexts(const CourseOutcome &c)
{
    const QVariantList cells = courseCells(c);
    QStringList texts;
    for (int i = 0; i < cells.size(); ++i) {
        if (i == ColDose)
            texts << text::doseText(c.dose);
        else if ((i == ColPasiImprovement || i == ColScoradImprovement) && cells.at(i).typeId() == QMetaType::Double)
            texts << oneDecimal(cells.at(i).toDouble());
        else
            texts << cellText(cells.at(i));
    }
    return texts;
}

QStringList summaryTexts(const YearSummary &s)
{
    const QVariantList cells = summaryCells(s);
    QStringList texts;
    for (int i = 0; i < cells.size(); ++i) {
        if (i == SumMedianDose && s.medianDose)
            texts << text::doseText(text::roundHalfEven(*s.medianDose));
        else if ((i == SumPasi75 || i == SumScorad50) && cells.at(i).isValid())
            texts << oneDecimal(cells.at(i).toDouble());
        else
            texts << cellText(cells.at(i));
    }
    return texts;
}

namespace {

QByteArray csvCell(const QString &text)
{
    QString t = text;
    if (t.contains(QLatin1Char(';')) || t.contains(QLatin1Char('"')) || t.contains(QLatin1Char('\n'))) {
        t.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        t = QLatin1Char('"') + t + QLatin1Char('"');
    }
    return t.toUtf8();
}

QByteArray csvLine(const QStringList &cells)
{
    QByteArrayList parts;
    for (const QString &c : cells)
        parts << csvCell(c);
    return parts.join(';') + '\n';
}

} // namespace

std::optional<bool> IndexOutcome::reaches(int percent) const
{
    if (!improvement)
        return std::nullopt;
    return *improvement >= qint64(percent) * 10;
}

std::optional<double> YearSummary::sharePasi75() const
{
    return share(pasi75, withPasi);
}

std::optional<double> YearSummary::shareScorad50() const
{
    return share(scorad50, withScorad);
}

namespace {

YearSummary summarizeCourses(const std::vector<const CourseOutcome *> &courses, int year)
{
    YearSummary s;
    s.year = year;
    QSet<qint64> patients;
    std::vector<double> procedures;
    std::vector<double> doses;
    std::vector<double> remissions;
    for (const CourseOutcome *course : courses) {
        const CourseOutcome &c = *course;
        ++s.courses;
        patients.insert(c.patientId);
        s.withData += c.hasData();
        if (c.pasi.improvement) {
            ++s.withPasi;
            if (c.pasi.reaches(75).value_or(false)) {
                ++s.pasi75;
                procedures.push_back(c.procedures);
                doses.push_back(double(c.dose));
            }
        }
        if (c.scorad.improvement) {
            ++s.withScorad;
            s.scorad50 += c.scorad.reaches(50).value_or(false);
        }
        if (c.remission)
            remissions.push_back(double(*c.remission));
    }
    s.patients = int(patients.size());
    s.medianProcedures = median(std::move(procedures));
    s.medianDose = median(std::move(doses));
    s.medianRemission = median(std::move(remissions));
    return s;
}

} // namespace

YearSummary summarize(const QList<CourseOutcome> &courses, int year)
{
    std::vector<const CourseOutcome *> list;
    for (const CourseOutcome &c : courses)
        list.push_back(&c);
    return summarizeCourses(list, year);
}

bool computeOutcomes(db::Database &database, const QDate &from, const QDate &to, TreatmentOutcomes *result,
                     QString *error)
{
    *result = {};
    auto fail = [error](const QSqlQuery &q) {
        if (error)
            *error = QStringLiteral("Не удалось прочитать курсы лечения: %1").arg(q.lastError().text());
        return false;
    };
    if (!database.isOpen()) {
        if (error)
            *error = QStringLiteral("База данных не открыта.");
        return false;
    }

    // Every course of every patient is read, also those outside the period: the remission of a
    // course in it runs to the start of the next course, wherever that falls.
    std::vector<CourseRow> courses;
    {
        // A course's first and last procedure are the first and last of its rows in this order; their
        // dates are converted once per course, not once per procedure.
        struct Pending
        {
            QVariant first;
            QVariant last;
        };
        std::vector<Pending> dates;
        QHash<QPair<qint64, qint64>, size_t> index;
        QSqlQuery q(database.sql());
        q.setForwardOnly(true);
        if (!q.exec(proceduresSql()))
            return fail(q);
        size_t current = 0;
        while (q.next()) {
            const qint64 patient = q.value(0).toLongLong();
            const qint64 course = q.value(1).toLongLong();
            // A course's procedures mostly follow each other: the last course found is tried first.
            if (courses.empty() || courses[current].patient != patient || courses[current].course != course) {
                const auto found = index.constFind(qMakePair(patient, course));
                if (found == index.constEnd()) {
                    current = courses.size();
                    index.insert(qMakePair(patient, course), current);
                    CourseRow c;
                    c.patient = patient;
                    c.course = course;
                    courses.push_back(std::move(c));
                    dates.push_back({q.value(3), {}});
                } else {
                    current = *found;
                }
            }
            CourseRow &c = courses[current];
            ++c.procedures;
            c.dose += q.value(2).toLongLong();
            dates[current].last = q.value(3);
        }
        if (q.lastError().isValid())
            return fail(q);
        for (size_t k = 0; k < courses.size(); ++k) {
            courses[k].start = db::fromStorage(db::FieldType::Date, dates[k].first).toDate();
            courses[k].end = db::fromStorage(db::FieldType::Date, dates[k].last).toDate();
        }
    }
    std::sort(courses.begin(), courses.end(), [](const CourseRow &a, const CourseRow &b) {
        return a.patient != b.patient ? a.patient < b.patient : a.course < b.course;
    });
    {
        // Names and card numbers of the patients; procedures of a patient the register no longer
        // holds are left out.
        QHash<qint64, qsizetype> first;
        for (size_t k = 0; k < courses.size(); ++k) {
            if (k == 0 || courses[k - 1].patient != courses[k].patient)
                first.insert(courses[k].patient, qsizetype(k));
        }
        QSqlQuery q(database.sql());
        q.setForwardOnly(true);
        if (!q.exec(QStringLiteral("SELECT \"ID_man\", \"Last_Name\", \"First_Name\", \"Father_Name\", "
                                   "\"Amb_karta\" FROM register WHERE \"ID_man\" IS NOT NULL")))
            return fail(q);
        std::vector<bool> known(courses.size(), false);
        while (q.next()) {
            const auto found = first.constFind(q.value(0).toLongLong());
            if (found == first.constEnd())
                continue;
            const QString name = QStringList{q.value(1).toString(), q.value(2).toString(), q.value(3).toString()}
                                     .join(QLatin1Char(' '))
                                     .simplified();
            const QVariant card = db::fromStorage(db::FieldType::Integer, q.value(4));
            for (size_t k = size_t(*found); k < courses.size() && courses[k].patient == found.key(); ++k) {
                courses[k].name = name;
                courses[k].card = card;
                known[k] = true;
            }
        }
        if (q.lastError().isValid())
            return fail(q);
        size_t kept = 0;
        for (size_t k = 0; k < courses.size(); ++k) {
            if (known[k])
                courses[kept++] = std::move(courses[k]);
        }
        courses.resize(kept);
    }

    auto inPeriod = [&from, &to](const QDate &end) {
        return end.isValid() && (!from.isValid() || end >= from) && (!to.isValid() || end <= to);
    };

    QSqlQuery q(database.sql());
    q.setForwardOnly(true);
    if (!q.exec(examsSql()))
        return fail(q);
    bool pending = q.next();
    result->courses.reserve(qsizetype(courses.size()));
    QList<ExamRow> exams;
    size_t i = 0;
    while (i < courses.size()) {
        const qint64 patient = courses[i].patient;
        size_t last = i;
        while (last < courses.size() && courses[last].patient == patient)
            ++last;
        bool wanted = false;
        for (size_t k = i; k < last; ++k)
            wanted = wanted || inPeriod(courses[k].end);
        // Both lists come in patient order: the examinations of patients before this one are passed.
        exams.clear();
        while (pending && q.value(0).toLongLong() < patient)
            pending = q.next();
        while (pending && q.value(0).toLongLong() == patient) {
            if (wanted) {
                ExamRow e;
                e.key = q.value(1).toLongLong();
                e.date = db::fromStorage(db::FieldType::Date, q.value(2)).toDate();
                if (const QVariant pasi = q.value(3); !pasi.isNull())
                    e.pasi = pasi.toLongLong();
                if (const QVariant scorad = q.value(4); !scorad.isNull())
                    e.scorad = scoradTenths(scorad.toLongLong());
                exams.push_back(e);
            }
            pending = q.next();
        }
        std::sort(exams.begin(), exams.end(), [](const ExamRow &a, const ExamRow &b) {
            return a.date != b.date ? a.date < b.date : a.key < b.key;
        });
        for (size_t k = i; k < last && wanted; ++k) {
            const CourseRow &c = courses[k];
            if (!inPeriod(c.end))
                continue;
            CourseOutcome o;
            o.patientId = c.patient;
            o.patient = c.name;
            o.card = c.card;
            o.course = c.course;
            o.start = c.start;
            o.end = c.end;
            o.procedures = c.procedures;
            o.dose = c.dose;
            o.pasi = indexOutcome(c, exams, &ExamRow::pasi);
            o.scorad = indexOutcome(c, exams, &ExamRow::scorad);
            if (k + 1 < last && c.end.isValid() && courses[k + 1].start.isValid())
                o.remission = c.end.daysTo(courses[k + 1].start);
            result->courses.push_back(std::move(o));
        }
        i = last;
    }
    if (q.lastError().isValid())
        return fail(q);

    std::map<int, std::vector<const CourseOutcome *>> byYear;
    std::vector<const CourseOutcome *> all;
    all.reserve(size_t(result->courses.size()));
    for (const CourseOutcome &c : std::as_const(result->courses)) {
        byYear[c.end.year()].push_back(&c);
        all.push_back(&c);
    }
    for (const auto &[year, list] : byYear)
        result->years.push_back(summarizeCourses(list, year));
    result->total = summarizeCourses(all, 0);
    return true;
}

QStringList courseColumns()
{
    return {QStringLiteral("Пациент"),
            QStringLiteral("№ а\\к"),
            QStringLiteral("№ курса"),
            QStringLiteral("Начало"),
            QStringLiteral("Окончание"),
            QStringLiteral("Процедур"),
            QStringLiteral("Доза УФА, Дж/см²"),
            QStringLiteral("PASI до"),
            QStringLiteral("PASI после"),
            QStringLiteral("PASI, улучшение %"),
            QStringLiteral("SCORAD до"),
            QStringLiteral("SCORAD после"),
            QStringLiteral("SCORAD, улучшение %"),
            QStringLiteral("PASI 50"),
            QStringLiteral("PASI 75"),
            QStringLiteral("PASI 90"),
            QStringLiteral("SCORAD 50"),
            QStringLiteral("SCORAD 75"),
            QStringLiteral("Ремиссия, дн.")};
}

QVariantList courseCells(const CourseOutcome &c)
{
    QVariantList cells(CourseColumnCount);
    cells[ColPatient] = c.patient;
    cells[ColCard] = c.card.isValid() ? QVariant(c.card.toDouble()) : QVariant();
    cells[ColCourse] = double(c.course);
    cells[ColStart] = c.start.isValid() ? QVariant(c.start) : QVariant();
    cells[ColEnd] = c.end;
    cells[ColProcedures] = double(c.procedures);
    cells[ColDose] = double(c.dose) / 100.0;
    cells[ColPasiBefore] = tenths(c.pasi.baseline);
    cells[ColPasiAfter] = tenths(c.pasi.outcome);
    cells[ColPasiImprovement] = improvementCell(c.pasi);
    cells[ColScoradBefore] = tenths(c.scorad.baseline);
    cells[ColScoradAfter] = tenths(c.scorad.outcome);
    cells[ColScoradImprovement] = improvementCell(c.scorad);
    cells[ColPasi50] = reached(c.pasi, 50);
    cells[ColPasi75] = reached(c.pasi, 75);
    cells[ColPasi90] = reached(c.pasi, 90);
    cells[ColScorad50] = reached(c.scorad, 50);
    cells[ColScorad75] = reached(c.scorad, 75);
    cells[ColRemission] = c.remission ? QVariant(double(*c.remission)) : QVariant();
    return cells;
}

QStringList summaryColumns()
{
    return {QStringLiteral("Год"),
            QStringLiteral("Курсов"),
            QStringLiteral("Пациентов"),
            QStringLiteral("С данными"),
            QStringLiteral("С PASI"),
            QStringLiteral("PASI 75, %"),
            QStringLiteral("С SCORAD"),
            QStringLiteral("SCORAD 50, %"),
            QStringLiteral("Медиана процедур (PASI 75)"),
            QStringLiteral("Медиана дозы (PASI 75), Дж/см²"),
            QStringLiteral("Медиана ремиссии, дн.")};
}

QVariantList summaryCells(const YearSummary &s)
{
    QVariantList cells(SummaryColumnCount);
    cells[SumYear] = s.year ? QVariant(double(s.year)) : QVariant(QStringLiteral("Всего"));
    cells[SumCourses] = double(s.courses);
    cells[SumPatients] = double(s.patients);
    cells[SumWithData] = double(s.withData);
    cells[SumWithPasi] = double(s.withPasi);
    cells[SumPasi75] = number(s.sharePasi75());
    cells[SumWithScorad] = double(s.withScorad);
    cells[SumScorad50] = number(s.shareScorad50());
    cells[SumMedianProcedures] = number(s.medianProcedures);
    cells[SumMedianDose] = s.medianDose ? QVariant(*s.medianDose / 100.0) : QVariant();
    cells[SumMedianRemission] = number(s.medianRemission);
    return cells;
}

QString cellText(const QVariant &cell)
{
    if (!cell.isValid())
        return {};
    if (cell.typeId() == QMetaType::QDate)
        return text::shortDate(cell.toDate());
    if (cell.typeId() == QMetaType::Double)
        return text::floatToText(cell.toDouble());
    return cell.toString();
}

QByteArray coursesCsv(const QList<CourseOutcome> &courses)
{
    QByteArray csv = csvLine(courseColumns());
    for (const CourseOutcome &c : courses)
        csv += csvLine(courseTexts(c));
    return csv;
}

QString summaryText(const TreatmentOutcomes &outcomes)
{
    QList<QStringList> rows{summaryColumns()};
    for (const YearSummary &y : outcomes.years)
        rows << summaryTexts(y);
    rows << summaryTexts(outcomes.total);
    QList<qsizetype> widths(rows.first().size(), 0);
    for (const QStringList &r : rows) {
        for (qsizetype i = 0; i < r.size(); ++i)
            widths[i] = std::max(widths[i], r.at(i).size());
    }
    QString text;
    for (const QStringList &r : rows) {
        QStringList line;
        for (qsizetype i = 0; i < r.size(); ++i)
            line << (i == 0 ? r.at(i).leftJustified(widths[i]) : r.at(i).rightJustified(widths[i]));
        text += line.join(QStringLiteral("  ")).trimmed() + QLatin1Char('\n');
    }
    return text;
}

} // namespace pelorin::treatment
