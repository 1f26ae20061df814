#include "course_diary.h"

#include "datamodules.h"
#include "table.h"
#include "texts.h"

namespace pelorin::documents {

namespace {

const QString nl = QStringLiteral("\n");

QString str(const db::Table &t, const char *field)
{
    return t.asString(QLatin1String(field));
}

bool datedOn(const db::Table &t, const char *dateField, const QDate &day)
{
    return !t.isEmpty() && t.asDate(QLatin1String(dateField)) == day;
}

// Diagnosis events pair up per course in table order: the odd ones are admissions.
bool isAdmission(const db::Table &diagnoz)
{
    return diagnoz.recNo() % 2 == 1;
}

bool isDischarge(const db::Table &diagnoz)
{
    return !diagnoz.isEmpty() && diagnoz.recNo() % 2 == 0;
}

// First record dated on or after the start day; the move stops at the last record.
void moveToStart(db::Table &t, const char *dateField, const QDate &start)
{
    t.first();
    while (!t.eof() && t.asDate(QLatin1String(dateField)) < start)
        t.next();
}

QString dynamicsSentence(const db::Table &osmotr1)
{
    const QVariant dinam = osmotr1.value(QStringLiteral("Dinam"));
    if (!dinam.isValid())
        return {};
    switch (dinam.toInt()) {
    case -1:
        return QStringLiteral("В динамике - ухудшение. ");
    case 0:
        return QStringLiteral("В динамике - без изменений. ");
    case 1:
        return QStringLiteral("В динамике - улучшение. ");
    case 2:
        return QStringLiteral("Полный регресс высыпаний. ");
    default:
        return {};
    }
}

QString elementsText(db::Table &osmotr_elem)
{
    QString text;
    osmotr_elem.first();
    while (!osmotr_elem.eof()) {
        // A copied element is named " " until the doctor names it; it describes nothing yet.
        const QString name = str(osmotr_elem, "Name_elem");
        if (!name.isEmpty() && name != QStringLiteral(" "))
            text += name + QStringLiteral(" ") + str(osmotr_elem, "List") + QStringLiteral(" ");
        osmotr_elem.next();
    }
    return text;
}

QString findingsText(db::DM2 &dm2, bool admissionToday)
{
    const db::Table &o = *dm2.osmotr1;
    QString f;
    // On the admission day the examination is the starting point, there is nothing to compare with.
    if (!admissionToday)
        f += dynamicsSentence(o);
    const qint64 scorad = o.asInteger(QStringLiteral("ind3"));
    if (scorad != 0)
        f += QStringLiteral("Индекс SCORAD - ") + QString::number(scorad) + QStringLiteral(". ") + nl;
    const double pasi = o.asFloat(QStringLiteral("index1"));
    if (pasi != 0)
        f += QStringLiteral("Индекс PASI - ") + text::floatToText(pasi) + QStringLiteral(". ") + nl;
    f += str(o, "koza_opisanie");
    const QString elements = elementsText(*dm2.osmotr_elem);
    if (!elements.isEmpty())
        f += QStringLiteral("На коже - ") + elements;
    if (pasi != 0)
        f += nl + str(o, "opisPASI");
    const QString signs = str(o, "simp");
    if (!signs.isEmpty())
        f += QStringLiteral("Определяются дополнительные клинические симптомы: ") + signs;
    const QString appendages = str(o, "List_proizv");
    if (!appendages.isEmpty())
        f += QStringLiteral("Производные кожи: ") + appendages;
    return f;
}

class DiaryWalk
{
public:
    DiaryWalk(db::DM2 &dm2, const QDate &start, const QDate &end, DiarySwitches switches, int sheet3Row, int sheet4Row)
        : m_dm2(dm2), m_start(start), m_end(end), m_switches(switches)
    {
        m_result.sheet3Row = sheet3Row;
        m_result.sheet4Row = sheet4Row;
    }

    DiaryResult run()
    {
        moveToStart(*m_dm2.osmotr1, "Date", m_start);
        moveToStart(*m_dm2.lech_puva, "Date", m_start);
        moveToStart(*m_dm2.lech_lekar, "Data", m_start);
        moveToStart(*m_dm2.diagnoz, "Data", m_start);
        moveToStart(*m_dm2.recomend, "Data", m_start);
        for (QDate day = m_start; day.isValid() && day <= m_end; day = day.addDays(1))
            walkDay(day);
        return m_result;
    }

private:
    void walkDay(const QDate &day)
    {
        db::Table &diagnoz = *m_dm2.diagnoz;
        db::Table &osmotr1 = *m_dm2.osmotr1;
        db::Table &puva = *m_dm2.lech_puva;
        const bool startDay = day == m_start;
        const bool eventToday = datedOn(diagnoz, "Data", day);
        QString dayText;

        if (eventToday && isAdmission(diagnoz) && !startDay) {
            if (diagnoz.asInteger(QStringLiteral("kurs_calk")) == 1) {
                dayText += QStringLiteral("Пациент поступил впервые на курс ПУВА-терапии с диагнозом: ") +
                           str(diagnoz, "Text1") + nl;
            } else {
                dayText += QStringLiteral("Пациент поступил повторно на ") + str(diagnoz, "kurs_calk") +
                           QStringLiteral(" курс ПУВА-терапии с диагнозом: ") + str(diagnoz, "Text1") + nl;
            }
            clearCourse();
        }

        const bool examinationToday = datedOn(osmotr1, "Date", day);
        if (examinationToday)
            dayText += examinationText(startDay, eventToday && isAdmission(diagnoz));

        if (datedOn(puva, "Date", day))
            dayText += procedureText();

        // The period opens with the examination that starts the treatment.
        QString prescribed;
        if (startDay && examinationToday)
            prescribed = QStringLiteral("ПУВА-терапия. ") + nl;
        prescribed += prescriptionsOf(day);
        if (!prescribed.isEmpty())
            dayText += QStringLiteral("Назначено лечение: ") + nl + prescribed;

        if (eventToday && isDischarge(diagnoz)) {
            dayText += nl + QStringLiteral("Пациент выписан ") + QStringLiteral("после ") +
                       QString::number(m_procedures) + QStringLiteral(" процедуры ") + str(diagnoz, "kurs_calk") +
                       QStringLiteral(" курса ПУВА-терапии с диагнозом: ") + str(diagnoz, "Text1") + nl;
        }

        if ((day == m_end || (eventToday && isDischarge(diagnoz))) && m_start != m_end)
            dayText += courseSummary(day);

        // Each table's record matches only its own day: after the last record it stays put.
        const bool procedureToday = datedOn(puva, "Date", day);
        if (procedureToday)
            puva.next();
        if (examinationToday)
            osmotr1.next();
        if (eventToday)
            diagnoz.next();

        if (dayText.isEmpty())
            return;
        if (m_switches.sheet3Rows) {
            m_result.cells.push_back(
                {kDiarySheet, m_result.sheet3Row++, 2, QString(text::longDate(day) + nl + dayText)});
        }
        m_result.entries << (startDay ? dayText : QString(text::longDate(day) + QStringLiteral(" ") + dayText));
    }

    QString examinationText(bool startDay, bool admissionToday)
    {
        const db::Table &o = *m_dm2.osmotr1;
        const db::Table &puva = *m_dm2.lech_puva;
        QString t = QStringLiteral("Произведен осмотр.");
        if (!startDay) {
            t += QStringLiteral(" Процедура №") + str(puva, "Nom_proc") + QStringLiteral(" курса №") +
                 str(puva, "Id_kurs") + QStringLiteral(" ПУВА-терапии. ") + nl;
            const QString complaints = str(o, "List_zalob");
            if (complaints == QStringLiteral("Жалоб нет"))
                t += QStringLiteral("Жалоб нет.") + nl;
            else
                t += QStringLiteral("Жалобы: ") + complaints + nl;
        } else {
            t += nl;
        }
        if (o.asBoolean(QStringLiteral("Ob")))
            t += str(o, "obostrenie") + nl;
        const QString findings = findingsText(m_dm2, admissionToday);
        if (!findings.isEmpty())
            t += QStringLiteral("Объективно: ") + findings + nl;
        return t;
    }

    QString procedureText()
    {
        const db::Table &puva = *m_dm2.lech_puva;
        QString t;
        const QString complications = str(puva, "Oslozn");
        if (!complications.isEmpty()) {
            t += QStringLiteral("На полученной процедуре ПУВА №") + str(puva, "Nom_proc") + QStringLiteral(" курса №") +
                 str(puva, "Id_kurs") + QStringLiteral(" : ") + complications + nl;
        }
        const qint64 dose = puva.asInteger(QStringLiteral("Doza"));
        ++m_procedures;
        m_courseDose += dose;
        m_result.totalDose += dose;
        if (m_switches.sheet4Rows) {
            const int row = m_result.sheet4Row++;
            const auto cell = [&](int column, const QVariant &value) {
                m_result.cells.push_back({kProcedureSheet, row, column, value});
            };
            cell(1, str(puva, "Nom_proc"));
            cell(2, str(puva, "Id_kurs"));
            cell(3, str(puva, "Date"));
            cell(4, str(puva, "Type1"));
            cell(5, str(puva, "Time1"));
            cell(6, double(dose) / 100.0);
            cell(7, str(puva, "Type_prep"));
            cell(8, complications);
        }
        return t;
    }

    QString prescriptionsOf(const QDate &day)
    {
        db::Table &lekar = *m_dm2.lech_lekar;
        QString prescribed;
        while (datedOn(lekar, "Data", day)) {
            QString drug = str(lekar, "Lek");
            if (drug.left(8) != QStringLiteral("Наружно:"))
                drug = QStringLiteral("Внутрь: ") + drug;
            const QString line = drug + QStringLiteral(" - ") + str(lekar, "Recept");
            prescribed += line + QStringLiteral(".") + nl;
            // "(C " with a Latin C, as the old course summaries print it.
            m_drugLines += line + QStringLiteral(" ") + QStringLiteral("(") + QLatin1Char('C') + QStringLiteral(" ") +
                           str(lekar, "Data") + QStringLiteral(").") + nl;
            if (lekar.recNo() >= lekar.recordCount())
                break;
            lekar.next();
        }
        return prescribed;
    }

    QString courseSummary(const QDate &day)
    {
        QString t;
        if (m_procedures != 0) {
            t += nl + QStringLiteral("Проведено лечение:") + nl;
            t += QStringLiteral("ПУВА-терапия  с препаратом ") + QLatin1Char('"') + str(*m_dm2.lech_puva, "Type_prep") +
                 QLatin1Char('"') + QStringLiteral(" (Курс №") + str(*m_dm2.diagnoz, "kurs_calk") +
                 QStringLiteral("), ");
            t += QStringLiteral("количество процедур: ") + QString::number(m_procedures) +
                 QStringLiteral(", доза УФА: ") + text::doseText(m_courseDose) + QStringLiteral("Дж\\см2.") + nl;
            m_procedures = 0;
            m_courseDose = 0;
        }
        if (!m_drugLines.isEmpty()) {
            t += m_drugLines;
            m_drugLines.clear();
        }
        // A recommendation is written only with a course summary of its own day; the walk waits for it.
        db::Table &recomend = *m_dm2.recomend;
        if (datedOn(recomend, "Data", day)) {
            const QString list = str(recomend, "List");
            if (!list.isEmpty()) {
                t += QStringLiteral("Рекомендовано: ") + list + nl;
                recomend.next();
            }
        }
        return t;
    }

    void clearCourse()
    {
        m_procedures = 0;
        m_courseDose = 0;
        m_drugLines.clear();
    }

    db::DM2 &m_dm2;
    const QDate m_start;
    const QDate m_end;
    const DiarySwitches m_switches;
    DiaryResult m_result;
    int m_procedures = 0;
    qint64 m_courseDose = 0;
    QString m_drugLines;
};

} // namespace

DiaryResult runCourseDiary(db::DM2 &dm2, const QDate &start, const QDate &end, DiarySwitches switches, int sheet3Row,
                           int sheet4Row)
{
    return DiaryWalk(dm2, start, end, switches, sheet3Row, sheet4Row).run();
}

QString totalDoseLine(qint64 totalDose)
{
    return QStringLiteral("Суммарная доза УФА: ") + text::doseText(totalDose) + QStringLiteral("Дж\\см2") +
           QStringLiteral("\n");
}

} // namespace pelorin::documents
