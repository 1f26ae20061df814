#include "legacy_card.h"

#include "card_sheets.h"
#include "clock.h"
#include "datamodules.h"
#include "dialogs.h"
#include "documentviewer.h"
#include "extract_texts.h"
#include "programfolder.h"
#include "reflist.h"
#include "safefile.h"
#include "table.h"
#include "texts.h"
#include "workbook.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace pelorin::documents {

namespace {

// CR LF, a lone CR or a lone LF: line ends as the letterhead file may have them.
const QRegularExpression &lineEnds()
{
    static const QRegularExpression ends(QStringLiteral("\r\n|\r|\n"));
    return ends;
}

const QString nl = QStringLiteral("\n");

QString str(const db::Table &t, const char *field)
{
    return t.asString(QLatin1String(field));
}

QDate dateOf(const db::Table &t, const char *field)
{
    return t.asDate(QLatin1String(field));
}

// A blank date (or no record at all: a patient without examinations) prints as nothing, not as the
// zero date it reads as.
QString dateText(const db::Table &t, const char *field)
{
    if (t.isEmpty() || t.isNull(QLatin1String(field)))
        return {};
    return text::shortDate(dateOf(t, field));
}

bool hasSummary(ReportMode m)
{
    return m == ReportMode::FullCard || m == ReportMode::AllCoursesExtract || m == ReportMode::CourseCard ||
           m == ReportMode::BetweenDates;
}

bool singleExamination(ReportMode m)
{
    return m == ReportMode::LastExamination || m == ReportMode::OneExamination;
}

bool courseMode(ReportMode m)
{
    return m == ReportMode::CourseCard || m == ReportMode::BetweenDates;
}

bool hasWalk(ReportMode m)
{
    return m == ReportMode::FullCard || m == ReportMode::BetweenDates || singleExamination(m);
}

bool prescribesAtAdmission(ReportMode m)
{
    return m == ReportMode::FullCard || m == ReportMode::Admission;
}

// Records are counted from 1, as the diagnosis events pair up by their places.
QDate diagnozDateAt(db::Table &diagnoz, int recNo)
{
    if (recNo < 1 || recNo > diagnoz.recordCount())
        return {};
    diagnoz.setRecNo(recNo);
    return dateOf(diagnoz, "Data");
}

// A treatment result picked from the list; a few characters are leftovers, not a result.
QString resultSentence(const QString &stored)
{
    if (stored.size() <= 4)
        return {};
    return QStringLiteral("Положительный результат от лечения ") + stored + nl;
}

QString listSentence(const db::Table &t, const QString &title)
{
    const QString list = str(t, "List");
    return list.size() > 4 ? QString(title + list + nl) : QString();
}

// The anamnesis block as the older card words it: the same facts as the extract's, a few sentences
// in their first wording (typo included, the old cards print it); it ends as the extract's does.
QString legacyAnamnesis(db::DM1 &dm1, db::DM2 &dm2)
{
    const db::Table &zab = *dm1.anamnez_zab;
    QString t = QStringLiteral("Жалобы при обращении: на ") + str(*dm1.anamnez_zab_zalobi, "List") + nl;
    t += nl + QStringLiteral("Анамнез заболевания. ") + nl;
    t += QStringLiteral("Первые проявления заболевания возникли в возрасте ") + str(zab, "Zalobi") + nl;
    t += listSentence(*dm1.anamnez_zab_start, QStringLiteral("Начало заболевания провацировали: "));
    t += listSentence(*dm1.anamnez_zab_ranlech, QStringLiteral("Ранее проводимое лечение: "));
    t += resultSentence(str(zab, "Ran_lech_rez"));

    t += remissionSentence(zab);

    t += listSentence(*dm1.anamnez_zab_obostr_prich, QStringLiteral("Провоцируют обострение: "));
    t += lastExacerbationSentence(zab);
    t += listSentence(*dm1.anamnez_zab_obostr_lech, QStringLiteral("Проведено лечение: "));
    t += resultSentence(str(zab, "Posl_obostr_rez"));

    t += nl + QStringLiteral("Анамнез жизни.") + nl;
    const db::Table &lifeZab = *dm1.anamnez_life_zab;
    QString diseases;
    for (int i = 1; i <= 9; ++i)
        diseases += lifeZab.asString(QStringLiteral("list%1").arg(i));
    if (diseases.isEmpty())
        t += QStringLiteral("Сопутствующих заболеваний нет. ");
    else
        t += QStringLiteral("Сопутствующие заболевания: ") + diseases + nl;
    const QString other = str(lifeZab, "list10");
    if (!other.isEmpty())
        t += other + nl;
    t += familyLifeAndTests(dm1, dm2);
    return t;
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

QString dynamicsSentence(const db::Table &osmotr1)
{
    const QVariant dinam = osmotr1.value(QStringLiteral("Dinam"));
    if (!dinam.isValid())
        return {};
    switch (dinam.toInt()) {
    case -1:
        return QStringLiteral("В динамике ухудшение. ");
    case 0:
        return QStringLiteral("В динамике без изменений. ");
    case 1:
        return QStringLiteral("В динамике улучшение. ");
    case 2:
        return QStringLiteral("Полный регресс высыпаний. ");
    default:
        return {};
    }
}

enum class Findings { Admission, Walk };

QString findingsText(db::DM2 &dm2, Findings kind)
{
    const db::Table &o = *dm2.osmotr1;
    QString f;
    if (kind == Findings::Walk)
        f += dynamicsSentence(o);
    const qint64 scorad = o.asInteger(QStringLiteral("ind3"));
    if (scorad != 0)
        f += nl + QStringLiteral("Индекс SCORAD - ") + QString::number(scorad) + QStringLiteral(". ") + nl;
    const double pasi = o.asFloat(QStringLiteral("index1"));
    if (pasi != 0)
        f += nl + QStringLiteral("Индекс PASI - ") + text::floatToText(pasi) + QStringLiteral(". ") + nl;
    f += str(o, "koza_opisanie");
    const QString elements = elementsText(*dm2.osmotr_elem);
    if (!elements.isEmpty())
        f += QStringLiteral("На коже: ") + elements;
    if (pasi != 0)
        f += nl + str(o, "opisPASI") + (kind == Findings::Admission ? nl : QString());
    const QString signs = str(o, "simp");
    if (!signs.isEmpty())
        f += QStringLiteral("Определяются дополнительные клинические симптомы: ") + signs;
    const QString appendages = str(o, "List_proizv");
    if (!appendages.isEmpty())
        f += QStringLiteral("Производные кожи: ") + appendages;
    if (kind == Findings::Admission && o.recNo() == 1) {
        if (!o.asBoolean(QStringLiteral("C")))
            f += QStringLiteral("Волосы не страдают. ");
        bool nails = false;
        for (int i = 3; i <= 9; ++i) {
            nails = nails || o.asBoolean(QStringLiteral("C%1").arg(i)) ||
                    o.asBoolean(QStringLiteral("C%1_").arg(i));
        }
        if (!nails)
            f += QStringLiteral("Ногти не изменены. ");
    }
    return f;
}

// The examination-by-examination walk with its rows for sheet 3 and the text of each step.
class LegacyWalk
{
public:
    LegacyWalk(db::DM2 &dm2, ReportMode mode, LegacyCardResult &result, int &row, QString &text)
        : m_dm2(dm2), m_mode(mode), m_result(result), m_row(row), m_text(text)
    {
    }

    QDate firstExamDate;
    bool drugsAtAdmissionWritten = false;
    QDate courseEnd;
    // The text of the chosen examination's step, for the single-examination modes.
    std::optional<qint64> chosen;
    QString chosenText;

    void run(const QDate &courseStart, bool includeFirst)
    {
        db::Table &osmotr1 = *m_dm2.osmotr1;
        db::Table &puva = *m_dm2.lech_puva;
        osmotr1.first();
        if (courseStart.isValid()) {
            while (!osmotr1.eof() && osmotr1.recNo() < osmotr1.recordCount() && dateOf(osmotr1, "Date") < courseStart)
                osmotr1.next();
        }
        puva.first();
        m_puvaDone = puva.isEmpty();
        if (osmotr1.isEmpty())
            return;
        bool atEnd = false;
        // The first examination was the state at admission; its discharges come after its own step.
        if (!includeFirst)
            atEnd = advance(false);
        while (!atEnd) {
            const qint64 id = osmotr1.asInteger(QStringLiteral("ID"));
            QString step;
            const QDate day = dateOf(osmotr1, "Date");
            while (!m_puvaDone && dateOf(puva, "Date") < day)
                step += procedureStep(true);

            const QString date = dateText(osmotr1, "Date");
            QString r = puvaNote(day);
            r += nl;
            const QString complaints = str(osmotr1, "List_zalob");
            if (complaints == QStringLiteral("Жалоб нет"))
                r += QStringLiteral("Жалоб нет.") + nl;
            else
                r += QStringLiteral("Жалобы: ") + complaints + nl;
            const QString findings = findingsText(m_dm2, Findings::Walk);
            if (!findings.isEmpty())
                r += QStringLiteral("Объективно: ") + findings + nl;
            QString drugs;
            db::Table &lekar = *m_dm2.lech_lekar;
            while (!lekar.eof() && !lekar.isEmpty() && dateOf(lekar, "Data") <= day) {
                if (dateOf(lekar, "Data") < day)
                    drugs += dateText(lekar, "Data") + QStringLiteral(" ");
                drugs += QStringLiteral("- ") + str(lekar, "Lek") + QStringLiteral(" - ") + str(lekar, "Recept") +
                         QStringLiteral("; ") + nl;
                lekar.next();
            }
            if (!drugs.isEmpty())
                r += nl + QStringLiteral("Дополнительно назначено:") + nl + drugs;
            writeRow(date, r);
            step += nl + date + r;
            m_text += nl + date + r;
            if (chosen && *chosen == id)
                chosenText = step;

            while (!m_puvaDone && dateOf(puva, "Date") == day)
                nextProcedure();
            atEnd = advance(true);
        }
        // The rest of the procedures, after the last examination the walk reached: the full card keeps
        // them to its prose, the other modes give the sheet only those worth a look.
        while (!m_puvaDone && (!courseEnd.isValid() || dateOf(puva, "Date") <= courseEnd)) {
            const bool notable = puva.asBoolean(QStringLiteral("Lech_prervano")) || !str(puva, "Oslozn").isEmpty();
            procedureStep(m_mode != ReportMode::FullCard && notable);
        }
    }

private:
    db::DM2 &m_dm2;
    ReportMode m_mode;
    LegacyCardResult &m_result;
    int &m_row;
    QString &m_text;
    bool m_puvaDone = true;

    void writeRow(const QString &column1, const QString &column2)
    {
        m_result.cells.push_back({kLegacyCardSheet, m_row, 1, column1});
        m_result.cells.push_back({kLegacyCardSheet, m_row, 2, column2});
        ++m_row;
    }

    void nextProcedure()
    {
        db::Table &puva = *m_dm2.lech_puva;
        if (puva.recNo() >= puva.recordCount())
            m_puvaDone = true;
        else
            puva.next();
    }

    // One procedure of the walk; returns what it added to the text.
    QString procedureStep(bool toSheet)
    {
        db::Table &puva = *m_dm2.lech_puva;
        db::Table &lekar = *m_dm2.lech_lekar;
        const QDate day = dateOf(puva, "Date");
        const QString date = text::shortDate(day);
        QString r = QStringLiteral(" - процедура ПУВА №") + str(puva, "Nom_proc") + QStringLiteral(", курс №") +
                    str(puva, "Id_kurs") + QStringLiteral(". ");
        const bool interrupted = puva.asBoolean(QStringLiteral("Lech_prervano"));
        const QString complication = str(puva, "Oslozn");
        if (interrupted)
            r += QStringLiteral("Лечение прервано.") + nl;
        if (!complication.isEmpty())
            r += complication + nl;
        if (!interrupted && complication.isEmpty())
            r += QStringLiteral("Лечение переносит хорошо.") + nl;
        // The drugs of the admission day were written with the admission.
        const bool admissionDay =
            drugsAtAdmissionWritten && day == firstExamDate && puva.asInteger(QStringLiteral("Nom_proc")) == 1;
        if (!admissionDay) {
            QString drugs;
            while (!lekar.eof() && !lekar.isEmpty() && dateOf(lekar, "Data") <= day) {
                drugs += QStringLiteral("- ") + str(lekar, "Lek") + QStringLiteral(" - ") + str(lekar, "Recept") +
                         QStringLiteral("; ") + nl;
                lekar.next();
            }
            if (!drugs.isEmpty())
                r += nl + QStringLiteral("Дополнительно назначено:") + nl + drugs;
        }
        if (toSheet)
            writeRow(date, r);
        m_text += nl + date + r;
        nextProcedure();
        return nl + date + r;
    }

    QString puvaNote(const QDate &day)
    {
        const QString puva = str(*m_dm2.osmotr1, "PUVA");
        db::Table &diagnoz = *m_dm2.diagnoz;
        // The note holds the procedure in its first two characters and the course in its last one.
        if (puva.size() > 2 && puva != QStringLiteral("нет")) {
            if (!diagnoz.eof() && !diagnoz.isEmpty() && dateOf(diagnoz, "Data") == day) {
                QString note = QStringLiteral(" - поступил повторно на : ") + puva.right(1) +
                               QStringLiteral(" курс ПУВА-терапии.") + nl + QStringLiteral("Диагноз при поступлении: ") +
                               str(diagnoz, "Text1") + nl;
                diagnoz.next();
                return note;
            }
            return QStringLiteral(" - осмотр на ") + puva.left(2) + QStringLiteral(" процедуре ") + puva.right(1) +
                   QStringLiteral(" курса ПУВА-терапии.");
        }
        if (puva.size() <= 2)
            return QStringLiteral(" - осмотр на ") + puva.left(2) + QStringLiteral(" процедуре ПУВА-терапии.");
        return {};
    }

    // Moves to the next examination and writes a discharge that lies behind; true when the walk ends.
    bool advance(bool checkDischarge)
    {
        db::Table &osmotr1 = *m_dm2.osmotr1;
        const bool last = osmotr1.recNo() >= osmotr1.recordCount();
        if (!last)
            osmotr1.next();
        const bool pastCourse =
            !last && m_mode == ReportMode::BetweenDates && courseEnd.isValid() && dateOf(osmotr1, "Date") > courseEnd;
        if (checkDischarge && (m_mode == ReportMode::FullCard || m_mode == ReportMode::BetweenDates))
            discharge();
        return last || pastCourse;
    }

    void discharge()
    {
        db::Table &osmotr1 = *m_dm2.osmotr1;
        db::Table &diagnoz = *m_dm2.diagnoz;
        db::Table &puva = *m_dm2.lech_puva;
        if (diagnoz.isEmpty() || diagnoz.eof() || diagnoz.recNo() % 2 != 0)
            return;
        if (dateOf(osmotr1, "Date") < dateOf(diagnoz, "Data"))
            return;
        // The discharge names the procedure that ended the course: the last one dated on or before the
        // discharge day. The walk itself stays where it is, so the procedures after it are still written.
        const int walkAt = puva.recNo();
        const QDate dischargeDay = dateOf(diagnoz, "Data");
        int ending = 0;
        for (puva.first(); !puva.isEmpty() && !puva.eof(); puva.next()) {
            if (dateOf(puva, "Date") <= dischargeDay)
                ending = puva.recNo();
            if (puva.recNo() >= puva.recordCount())
                break;
        }
        if (ending > 0)
            puva.setRecNo(ending);
        QString r = puva.asBoolean(QStringLiteral("Lech_prervano")) ? QStringLiteral("Лечение прервано. Выписан после ")
                                                                      : QStringLiteral("Лечение закончено. Выписан после ");
        r += str(puva, "Nom_proc") + QStringLiteral(" процедуры ") + str(puva, "Id_kurs") +
             QStringLiteral(" курса ПУВА-терапии. ") + nl + QStringLiteral("Поставлен диагноз: ") +
             str(diagnoz, "Text1") + nl;
        if (walkAt > 0)
            puva.setRecNo(walkAt);
        writeRow(dateText(diagnoz, "Data"), r);
        m_text += r;
        diagnoz.next();
    }
};

QString treatmentSummary(db::DM2 &dm2)
{
    db::Table &puva = *dm2.lech_puva;
    db::Table &diagnoz = *dm2.diagnoz;
    db::Table &lekar = *dm2.lech_lekar;
    db::Table &recomend = *dm2.recomend;
    QString t = nl + QStringLiteral("Проведено лечение:") + nl + nl;
    puva.first();
    if (puva.isEmpty())
        return t;
    const qint64 firstCourse = puva.asInteger(QStringLiteral("Id_kurs"));
    bool more = true;
    for (int k = 1; more; ++k) {
        // One run of equal course numbers in table order.
        const qint64 course = puva.asInteger(QStringLiteral("Id_kurs"));
        int count = 0;
        qint64 dose = 0;
        bool interrupted = false;
        while (more && puva.asInteger(QStringLiteral("Id_kurs")) == course) {
            ++count;
            dose += puva.asInteger(QStringLiteral("Doza"));
            interrupted = interrupted || puva.asBoolean(QStringLiteral("Lech_prervano"));
            if (puva.recNo() >= puva.recordCount())
                more = false;
            else
                puva.next();
        }
        t += QStringLiteral("Курс ПУВА-терапии №") + QString::number(firstCourse + k - 1) + QStringLiteral(". ");
        t += interrupted ? QStringLiteral("Лечение было прервано. ") + nl : nl;
        t += QStringLiteral("1) ПУВА №") + QString::number(count) + QStringLiteral(" полученная доза УФА: ") +
             text::doseText(dose) + QStringLiteral("Дж/см2. ");

        const QDate d1 = diagnozDateAt(diagnoz, 2 * k - 1);
        const bool discharged = 2 * k <= diagnoz.recordCount();
        const QDate d2 = discharged ? diagnozDateAt(diagnoz, 2 * k) : d1;
        const QDate nextAdmission = diagnozDateAt(diagnoz, 2 * k + 1);
        if (d1 != d2)
            t += QStringLiteral("Проходил с ") + text::shortDate(d1) + QStringLiteral(" по ") + text::shortDate(d2) +
                 QStringLiteral(".") + nl;
        else
            t += QStringLiteral("Проходит с ") + text::shortDate(d1) + QStringLiteral(".") + nl;

        int number = 2;
        // The return type is spelt out: deduced from the concatenation it would be a string builder
        // holding references to the temporaries of this call.
        const auto drugLine = [&]() -> QString {
            // "(c " with a Latin c, as the old cards print it.
            return QString::number(number++) + QStringLiteral(") ") + str(lekar, "Lek") + QStringLiteral("-") +
                   str(lekar, "Recept") + QStringLiteral(" (") + QLatin1Char('c') + QStringLiteral(" ") +
                   str(lekar, "Data") + QStringLiteral(").") + nl;
        };
        for (lekar.first(); !lekar.isEmpty() && !lekar.eof(); lekar.next()) {
            const QDate d = dateOf(lekar, "Data");
            if (d >= d1 && (d1 == d2 || d <= d2))
                t += drugLine();
        }
        QString after;
        for (lekar.first(); !lekar.isEmpty() && !lekar.eof(); lekar.next()) {
            const QDate d = dateOf(lekar, "Data");
            if (d1 != d2 && d > d2 && (!nextAdmission.isValid() || d < nextAdmission))
                after += drugLine();
        }
        if (!after.isEmpty())
            t += QStringLiteral("Лечение после курса ПУВА-терапии:") + nl + after;

        if (discharged) {
            diagnoz.setRecNo(2 * k);
            if (str(diagnoz, "Text") == QStringLiteral("Диагноз при выписке"))
                t += nl + QStringLiteral("Диагноз при выписке: ") + str(diagnoz, "List") + nl;
        }
        for (recomend.first(); !recomend.isEmpty() && !recomend.eof(); recomend.next()) {
            const QDate d = dateOf(recomend, "Data");
            if (d >= d1 && d <= d2 && !str(recomend, "List").isEmpty())
                t += QStringLiteral("Рекомендовано: ") + str(recomend, "List") + nl;
        }
        t += nl;
    }
    return t;
}

qint64 courseDose(db::Table &puva, int course)
{
    qint64 dose = 0;
    for (puva.first(); !puva.isEmpty() && !puva.eof(); puva.next()) {
        if (puva.asInteger(QStringLiteral("Id_kurs")) == course)
            dose += puva.asInteger(QStringLiteral("Doza"));
    }
    return dose;
}

void fillWorkbook(office::Workbook &book, const LegacyCardResult &r)
{
    for (const SheetHeaders &h : r.headers) {
        if (!h.left.isEmpty())
            book.setLeftHeader(h.sheet, h.left);
        if (!h.right.isEmpty())
            book.setRightHeader(h.sheet, h.right);
        if (!h.rightFooter.isEmpty())
            book.setRightFooter(h.sheet, h.rightFooter);
    }
    writeCardCells(book, r.cells, {kDiagnosesSheet, kLegacyCardSheet});
}

} // namespace

QString invalidCourseMessage()
{
    return QStringLiteral("Вы указали недопустимый номер курса. Данные выведутся для курса № 1.");
}

QString headOfClinic(const QString &letterheadText)
{
    static const QString key = QStringLiteral("Руководитель клиники:");
    for (const QString &line : letterheadText.split(lineEnds())) {
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(key))
            return trimmed.mid(key.size()).trimmed();
    }
    return {};
}

QString legacySignatureBlock(const QString &vrach, const QString &head, const QDate &today)
{
    return QStringLiteral("============================================") + nl +
           QStringLiteral("Лечащий врач:  _____________  ") + vrach + nl +
           QStringLiteral("Руководитель клиники:  _____________  ") + head + nl + nl + text::shortDate(today);
}

LegacyCardResult composeLegacyCard(db::DM1 &dm1, db::DM2 &dm2, const LegacyCardInput &input)
{
    LegacyCardResult r;
    const ReportMode mode = input.mode;
    if (mode == ReportMode::CourseExtract)
        return r;
    r.card = true;
    const QDate today = input.today.isValid() ? input.today : clock::today();
    const db::Table &reg = *dm1.register_;
    db::Table &diagnoz = *dm2.diagnoz;
    db::Table &osmotr1 = *dm2.osmotr1;
    const bool single = singleExamination(mode);

    // The chosen examination of the single-examination modes, before the walks move osmotr1.
    std::optional<qint64> chosen;
    if (mode == ReportMode::LastExamination) {
        osmotr1.last();
        if (!osmotr1.isEmpty())
            chosen = osmotr1.asInteger(QStringLiteral("ID"));
    } else if (mode == ReportMode::OneExamination) {
        if (input.examinationId)
            chosen = input.examinationId;
        else if (!osmotr1.isEmpty())
            chosen = osmotr1.asInteger(QStringLiteral("ID"));
    }

    // The course of the two course modes.
    const int courses = (diagnoz.recordCount() + 1) / 2;
    QDate courseStart;
    QDate courseEnd;
    QString courseLine;
    if (courseMode(mode)) {
        int n = mode == ReportMode::CourseCard ? input.course : input.hiddenCourse;
        if (n > courses) {
            r.courseMessage = invalidCourseMessage();
            n = 1;
        }
        r.course = n;
        courseStart = diagnozDateAt(diagnoz, 2 * n - 1);
        courseEnd = 2 * n <= diagnoz.recordCount() ? diagnozDateAt(diagnoz, 2 * n) : courseStart;
        courseLine = (mode == ReportMode::CourseCard ? QStringLiteral("Выписка по курсу ПУВА № ")
                                                     : QStringLiteral("Полный отчет по курсу ПУВА № ")) +
                     QString::number(n) + QStringLiteral(". ") + text::shortDate(courseStart) + QStringLiteral("-") +
                     text::shortDate(courseEnd);
    }

    osmotr1.first();
    dm2.osmotr_elem->first();
    diagnoz.first();
    dm2.analyz->first();
    dm2.lech_puva->first();

    // Sheets 1 and 2.
    r.headers.push_back(titlePageHeaders(reg, today, CardTemplate::Legacy));
    const std::vector<CellWrite> title = titlePageCells(reg, diagnoz);
    r.cells.insert(r.cells.end(), title.begin(), title.end());
    const DiagnosesSheet diagnoses = diagnosesSheet(reg, diagnoz, today, CardTemplate::Legacy);
    r.headers.push_back(diagnoses.headers);
    r.cells.insert(r.cells.end(), diagnoses.cells.begin(), diagnoses.cells.end());

    // Header and anamnesis.
    QString text;
    if (single) {
        text += QStringLiteral("Амбулаторная карта № ") + str(reg, "Amb_karta") + QStringLiteral(". ") +
                fullName(reg) + nl;
    } else {
        text += QStringLiteral("Амбулаторная карта № ") + str(reg, "Amb_karta") + nl + nl;
        if (courseMode(mode))
            text += courseLine + nl;
        text += fullName(reg) + nl;
        text += QStringLiteral("Дата рождения: ") + str(reg, "Born_dat") + QStringLiteral(" . Вес - ") +
                str(reg, "Ves") + QStringLiteral(" кг.") + nl + nl;
        text += QStringLiteral("Место жительства: ") + str(reg, "Live_place_region") + QStringLiteral(" ") +
                str(reg, "Life_place_gorod") + QStringLiteral(" ") + str(reg, "Adress") + QStringLiteral(" .") + nl +
                QStringLiteral("Телефон - ") + str(reg, "Telephone_home") + nl + nl;
        diagnoz.first();
        text += str(diagnoz, "Text") + QStringLiteral(" : ") + str(diagnoz, "List") + nl + nl;
    }
    const QString anamnesis = legacyAnamnesis(dm1, dm2);
    if (!single)
        text += anamnesis;

    SheetHeaders cardHeaders;
    cardHeaders.sheet = kLegacyCardSheet;
    cardHeaders.left = QStringLiteral("&7Амбулаторная карта № ") + str(reg, "Amb_karta");
    cardHeaders.right = QStringLiteral("&7Дата составления:") + text::longDate(today);
    r.headers.push_back(cardHeaders);
    r.cells.push_back({kLegacyCardSheet, 2, 1, str(reg, "Reg_date")});
    r.cells.push_back({kLegacyCardSheet, 2, 2, anamnesis});
    int row = 3;

    if (courseMode(mode) && r.course > 1) {
        osmotr1.first();
        while (!osmotr1.eof() && osmotr1.recNo() < osmotr1.recordCount() && dateOf(osmotr1, "Date") < courseStart)
            osmotr1.next();
    }

    // State at admission.
    diagnoz.first();
    const QDate firstExamDate = dateOf(osmotr1, "Date");
    bool drugsWritten = false;
    if (!single) {
        QString rowText = nl + QStringLiteral("Состояние при поступлении ") + dateText(osmotr1, "Date") +
                          QStringLiteral(" :") + nl;
        const QString findings = findingsText(dm2, Findings::Admission);
        if (!findings.isEmpty())
            rowText += QStringLiteral("Объективно:") + findings + nl;
        rowText += QStringLiteral("Поставлен диагноз: ") + str(diagnoz, "Text1") + nl;
        db::Table &lekar = *dm2.lech_lekar;
        lekar.first();
        if (prescribesAtAdmission(mode)) {
            rowText += nl + QStringLiteral("Назначено лечение:") + nl + nl;
            int number = 1;
            if (!dm2.lech_puva->isEmpty()) {
                rowText += QStringLiteral("1) ПУВА-терапия.") + nl;
                number = 2;
            }
            while (!lekar.isEmpty() && !lekar.eof() && dateOf(lekar, "Data") <= firstExamDate) {
                // A prescription without a drug name is a line the doctor left unfinished; it takes no number.
                const QString lek = str(lekar, "Lek");
                if (!lek.isEmpty())
                    rowText += QString::number(number++) + QStringLiteral(") ") + lek + QStringLiteral(" - ") +
                               str(lekar, "Recept") + QStringLiteral(".") + nl;
                lekar.next();
            }
            drugsWritten = true;
        }
        if (hasWalk(mode) && osmotr1.recNo() == 1 && osmotr1.recordCount() > 1)
            rowText += nl;
        r.cells.push_back({kLegacyCardSheet, row, 1, QString()});
        r.cells.push_back({kLegacyCardSheet, row, 2, rowText});
        ++row;
        text += rowText;
    } else {
        dm2.lech_lekar->first();
    }
    // The admission's diagnosis has been given; the walk looks for the next event.
    diagnoz.first();
    if (!diagnoz.isEmpty())
        diagnoz.next();

    QString chosenText;
    if (hasWalk(mode)) {
        QString walkText;
        LegacyWalk walk(dm2, mode, r, row, walkText);
        walk.firstExamDate = firstExamDate;
        walk.drugsAtAdmissionWritten = drugsWritten;
        walk.chosen = chosen;
        if (mode == ReportMode::BetweenDates)
            walk.courseEnd = courseEnd;
        walk.run(courseMode(mode) ? courseStart : QDate(), single);
        chosenText = walk.chosenText;
        text += single ? walk.chosenText : walkText;
    }

    QString summary;
    if (hasSummary(mode)) {
        summary = treatmentSummary(dm2);
        const QString dose = mode == ReportMode::CourseCard ? text::doseText(courseDose(*dm2.lech_puva, r.course))
                                                            : str(reg, "Doza_txt");
        summary += QStringLiteral("Суммарная доза УФА: ") + dose + QStringLiteral("Дж/см2 .") + nl;
        if (diagnoz.recordCount() < 2)
            summary += nl + QStringLiteral("Пациет в данное время находится на лечении.") + nl;
        text += summary;
    }

    r.cells.push_back({kLegacyCardSheet, row, 1, QString()});
    r.cells.push_back({kLegacyCardSheet, row, 2, hasSummary(mode) ? summary : text});
    ++row;
    const QString signature =
        text::longDate(today) + QStringLiteral("   Лечащий врач:  _____________  ") + str(reg, "Vrach");
    r.cells.push_back({kLegacyCardSheet, row, 2, signature});

    if (hasSummary(mode))
        text += legacySignatureBlock(str(reg, "Vrach"), headOfClinic(input.letterhead), today);
    if (mode == ReportMode::FullCard)
        r.letterhead = letterheadCell(input.letterhead);
    // The card keeps the short header above the chosen examination; the text area gets that
    // examination's step alone.
    r.text = single ? chosenText : text;

    if (chosen)
        osmotr1.locate(QStringLiteral("ID"), *chosen);
    return r;
}

QString legacyCardTemplatePath()
{
    return folder::soursesReports() + QStringLiteral("karta.xlsx");
}

QString legacyCardCopyPath()
{
    return folder::reports() + QStringLiteral("karta.xlsx");
}

ReportFilesResult prepareLegacyCard(db::DM1 &dm1, db::DM2 &dm2, const LegacyCardInput &input,
                                    ReportTextArea &textArea, const ReportFilesOptions &options)
{
    Dialogs &dialogs = Dialogs::instance();
    ReportFilesResult result;
    const auto wait = [&options](bool on) {
        if (options.wait)
            options.wait(on);
    };
    dialogs.beep();
    wait(true);

    LegacyCardInput in = input;
    QFile letterhead(folder::sourses() + QStringLiteral("docs_had.txt"));
    if (letterhead.open(QIODevice::ReadOnly))
        in.letterhead = decodeTextFile(letterhead.readAll());
    const LegacyCardResult r = composeLegacyCard(dm1, dm2, in);
    if (!r.courseMessage.isEmpty()) {
        wait(false);
        dialogs.message(r.courseMessage);
        wait(true);
    }

    QString copyPath;
    if (r.card) {
        // The wait window stays up when the card cannot be made, as after any failed automation call.
        const auto stop = [&](const QString &message) {
            dialogs.message(message, QStringLiteral("Внимание!"), Dialogs::Kind::Warning);
            result.message = message;
            return result;
        };
        office::Workbook book;
        QString error;
        if (!book.open(legacyCardTemplatePath(), &error))
            return stop(error);
        fillWorkbook(book, r);
        const QString folder = options.cardFolder.isEmpty() ? folder::reports() : options.cardFolder;
        safefile::makeFolder(folder);
        // The server was told not to ask, so an earlier copy is replaced without a question.
        copyPath = QDir(folder).filePath(QStringLiteral("karta.xlsx"));
        if (!book.saveCopyAs(copyPath, &error))
            return stop(error);
        result.cardPath = copyPath;
    }

    textArea.clear();
    if (!r.letterhead.isEmpty())
        textArea.add(r.letterhead);
    if (!r.text.isEmpty())
        textArea.add(r.text);

    wait(false);
    dialogs.beep();
    if (!copyPath.isEmpty() && !office::DocumentViewer::instance().open(copyPath))
        dialogs.fileMessage(office::notOpenedMessage(copyPath), office::folderOf(copyPath));
    result.ok = true;
    return result;
}

} // namespace pelorin::documents
