#include "register.h"

#include "clock.h"
#include "database.h"
#include "datamodules.h"
#include "dialogs.h"
#include "fieldvalue.h"
#include "settings.h"
#include "table.h"
#include "texts.h"

#include <QSet>

#include <chrono>
#include <initializer_list>
#include <random>

namespace pelorin::db {

namespace {

const QString kCaption = QStringLiteral("Внимание!");
const QString kTwoLineBreaks = QStringLiteral("\r\n\r\n");

// The stored text of a date field; a blank date gives the empty text.
QString dateText(const Table &t, const QString &name)
{
    return t.isNull(name) ? QString() : text::shortDate(t.asDate(name));
}

bool anyFilled(const Table &t, std::initializer_list<const char *> names)
{
    for (const char *name : names) {
        if (!t.isNull(QLatin1String(name)))
            return true;
    }
    return false;
}

QString listOther(const Table &t)
{
    auto s = [&t](const char *name) { return t.asString(QLatin1String(name)); };
    // The card's field objects for these three are ten characters wide, shorter than the columns.
    auto s10 = [&s](const char *name) { return s(name).left(10); };

    QString list;
    if (anyFilled(t, {"Polis_serial", "Polis_number", "Polis_company"})) {
        list += QStringLiteral("Страховой полис: Серия ") + s("Polis_serial") + QStringLiteral(" Номер ") +
                s("Polis_number") + QStringLiteral(" Компания ") + s("Polis_company") + kTwoLineBreaks;
    }
    if (anyFilled(t, {"Lgot_cat", "Lgot_spr_date", "Lgot_spr_serial", "Lgot_spr_number", "Lgot_spr_cat"})) {
        list += QStringLiteral("Льготность: Категория льготности ") + s("Lgot_cat") + QStringLiteral(" Срок ") +
                s("Lgot_spr_date") + QStringLiteral(" . Справка МСЭК: Серия ") + s("Lgot_spr_serial") +
                QStringLiteral(" Номер ") + s("Lgot_spr_number") + QStringLiteral(" Категория ") + s("Lgot_spr_cat") +
                kTwoLineBreaks;
    }
    if (anyFilled(t, {"Passp_serial", "Passp_number", "Passp_data", "Passp_vidan", "Passp_cod"})) {
        list += QStringLiteral("Пасспорт: Серия ") + s10("Passp_serial") + QStringLiteral(" Номер ") +
                s10("Passp_number") + QStringLiteral(" Выдано ") + s("Passp_vidan") + QLatin1Char(' ') +
                s("Passp_data") + QStringLiteral(" Код подразделения ") + s10("Passp_cod") + kTwoLineBreaks;
    }
    list += QLatin1Char(' ') + s("Other");
    return list;
}

// A new random sequence for every card number, seeded from the machine clock, as the card
// numbers have always been given. The photo folders are named by the card number, so a number
// another patient has is drawn again; only when every number of the range is taken does one repeat.
int randomCardNumber(const QSet<qint64> &taken)
{
    constexpr int kHighest = 998;
    const auto ticks = std::chrono::system_clock::now().time_since_epoch().count();
    std::mt19937 generator(static_cast<std::mt19937::result_type>(ticks));
    std::uniform_int_distribution<int> draw(0, kHighest);
    int number = draw(generator);
    if (taken.size() > kHighest)
        return number;
    while (taken.contains(number))
        number = draw(generator);
    return number;
}

// False when the table could not leave the record it was on (its post was refused): the
// caller must then not write into that record.
bool startInsert(Table &t)
{
    t.insert();
    return t.state() == TableState::Insert;
}

void setBooleansFalse(Table &t)
{
    for (int i = 0; i < t.storedFieldCount(); ++i) {
        if (t.fieldDef(i).type == FieldType::Boolean)
            t.setValue(i, false);
    }
}

bool deleteAll(Table &t)
{
    while (!t.isEmpty()) {
        if (!t.deleteRecord())
            return false;
    }
    return true;
}

// A filter lifted for the length of a walk and put back afterwards, also when the walk stops early.
class LiftedFilter
{
public:
    explicit LiftedFilter(Table &table) : m_table(table), m_saved(table.filter())
    {
        if (!m_saved.isEmpty())
            m_table.setFilter(QString());
    }
    ~LiftedFilter()
    {
        if (!m_saved.isEmpty())
            m_table.setFilter(m_saved);
    }
    LiftedFilter(const LiftedFilter &) = delete;
    LiftedFilter &operator=(const LiftedFilter &) = delete;

private:
    Table &m_table;
    QString m_saved;
};

} // namespace

QString ageCategory(const QDate &born, const QDate &registered, const QDate &today)
{
    const QDate b = born.isValid() ? born : zeroDate();
    const QDate r = registered.isValid() ? registered : zeroDate();
    const int years = r.year() - b.year();
    if (years == 0) {
        const int months = today.month() - b.month();
        if (months == 0)
            return QStringLiteral("Новорожденный (менее 1 мес)");
        if (months >= 1 && months <= 3)
            return QStringLiteral("Грудной (1-3 месяцы)");
        if (months >= 4 && months <= 12)
            return QStringLiteral("Грудной (4-12 месяцы)");
        return {};
    }
    if (years < 0 || years > 110)
        return QStringLiteral("Неправильная дата рождения");
    if (years <= 6)
        return QStringLiteral("Дошкольный (1-6 )");
    if (years <= 12)
        return QStringLiteral("Препубератный (7-12)");
    if (years <= 18)
        return QStringLiteral("Пубератный (13-18)");
    if (years <= 24)
        return QStringLiteral("Юность (19-24)");
    if (years <= 30)
        return QStringLiteral("Взрослый (25-30)");
    if (years <= 40)
        return QStringLiteral("Взрослый (31-40)");
    if (years <= 50)
        return QStringLiteral("Взрослый (41-50)");
    if (years <= 60)
        return QStringLiteral("Взрослый (51-60)");
    return QStringLiteral("Пенсионер (более 60)");
}

void calculateRegister(Table &t, const RunSettings &settings)
{
    const QDate today = clock::today();

    t.setValue(QStringLiteral("Doza_txt"), text::doseText(t.asInteger(QStringLiteral("Doza"))));

    t.setValue(QStringLiteral("Vozrast_cat"),
               ageCategory(t.asDate(QStringLiteral("Born_dat")), t.asDate(QStringLiteral("Reg_date")), today));

    t.setValue(QStringLiteral("List_other"), listOther(t));

    QString firstAdmission = dateText(t, QStringLiteral("Reg_date"));
    if (const qint64 course = t.asInteger(QStringLiteral("Born_Day")); course != 0)
        firstAdmission += QStringLiteral(" на ") + QString::number(course) + QStringLiteral(" курс");
    t.setValue(QStringLiteral("Dat_per_pos"), firstAdmission);

    // A last admission that is the first one is already shown as the first admission.
    if (!t.isNull(QStringLiteral("Dat_posl_post")) && t.asInteger(QStringLiteral("NKurs_posl_post")) != 0 &&
        t.asDate(QStringLiteral("Dat_posl_post")) != t.asDate(QStringLiteral("Reg_date")))
        t.setValue(QStringLiteral("Posl_post"), dateText(t, QStringLiteral("Dat_posl_post")));

    const QDate lastVisit = t.asDate(QStringLiteral("Dat_posl"));
    QString lastVisitText;
    if (!t.isNull(QStringLiteral("Dat_posl")) && lastVisit != zeroDate()) {
        lastVisitText = dateText(t, QStringLiteral("Dat_posl")) + QStringLiteral("  ") +
                        QString::number(t.asInteger(QStringLiteral("Puv_posl"))) + QStringLiteral("пр.");
    }
    t.setValue(QStringLiteral("Dat_posl_pos"), lastVisitText);

    // A procedure after the discharge makes the patient current again.
    const QDate discharge = t.asDate(QStringLiteral("Vip_date"));
    const bool discharged = !t.isNull(QStringLiteral("Vip_date")) && discharge != zeroDate() && lastVisit <= discharge;
    if (discharged) {
        const qint64 daysSinceDischarge = discharge.daysTo(today);
        t.setValue(QStringLiteral("flag"), QStringLiteral("-"));
        t.setValue(QStringLiteral("flagold"), daysSinceDischarge);
        t.setValue(QStringLiteral("flagoldstr"),
                   daysSinceDischarge < settings.patientArchiveDays ? QStringLiteral("+") : QStringLiteral("-"));
    } else if (lastVisitText.isEmpty()) {
        t.setValue(QStringLiteral("flag"), QStringLiteral("!"));
        t.setValue(QStringLiteral("flagoldstr"), QStringLiteral("+"));
    } else {
        const qint64 daysSinceVisit = lastVisit.daysTo(today);
        t.setValue(QStringLiteral("flag"), QString::number(daysSinceVisit)); // the field keeps three digits
        t.setValue(QStringLiteral("flag_day"), daysSinceVisit);
        t.setValue(QStringLiteral("flagoldstr"), QStringLiteral("+"));
    }

    const bool flaggedDischarged = t.asString(QStringLiteral("flag")) == QLatin1String("-");
    if (!t.isNull(QStringLiteral("Vip_date")) && flaggedDischarged)
        t.setValue(QStringLiteral("Dat_posl_vip"), dateText(t, QStringLiteral("Vip_date")));

    // A discharged patient shows his discharge, not a visit that came before it.
    if (flaggedDischarged)
        t.setValue(QStringLiteral("Dat_posl_pos"), QString());
}

void installRegisterCalc(Table &reg, const RunSettings &settings)
{
    reg.addCalcHandler([&settings](Table &t) { calculateRegister(t, settings); });
}

void installRegisterEvents(DM1 &dm1, DM2 &dm2)
{
    // A course view belongs to the patient it was chosen for.
    Table *procedures = dm2.lech_puva;
    dm1.register_->beforeScroll = [procedures](Table &) {
        if (!procedures->filter().isEmpty())
            procedures->setFilter(QString());
    };
}

bool flushAll(Database &database)
{
    Dialogs &dialogs = Dialogs::instance();
    if (!dialogs.ask(QStringLiteral("Сохранить последние изменения в файл?"), kCaption))
        return false;
    dialogs.beep();
    QString error;
    if (!database.flush(&error)) {
        dialogs.message(QStringLiteral("Не удалось записать изменения в файл базы данных.\n") + error,
                        QStringLiteral("Ошибка"), Dialogs::Kind::Error);
        return false;
    }
    dialogs.beep();
    return true;
}

bool autoAdmissionDates(DM1 &dm1, DM2 &dm2)
{
    Table &reg = *dm1.register_;
    Table &diagnoz = *dm2.diagnoz;
    for (reg.first(); !reg.eof(); reg.next()) {
        if (diagnoz.isEmpty()) {
            Dialogs::instance().message(QStringLiteral("Не внесены записи диагноза!"), kCaption);
            return false;
        }
        diagnoz.first();
        reg.edit();
        reg.setValue(QStringLiteral("Reg_date"), diagnoz.value(QStringLiteral("Data")));
        reg.post();
        diagnoz.last();
        const bool discharge = diagnoz.asString(QStringLiteral("Text")) == QStringLiteral("Диагноз при выписке");
        reg.edit();
        reg.setValue(QStringLiteral("Vip_date"), discharge ? diagnoz.value(QStringLiteral("Data")) : QVariant());
        reg.post();
    }
    return true;
}

PatientOps::PatientOps(DM1 &dm1, DM2 &dm2, RunSettings &settings, ChangeLog &log)
    : m_dm1(dm1), m_dm2(dm2), m_settings(settings)
{
    Q_UNUSED(log);
}

bool PatientOps::newPatient(const std::function<void()> &showRegistrationCard)
{
    // 1. A new patient must not be hidden by an archive nor interrupted by a question.
    m_settings.protectionOn = false;
    m_settings.protectionSuspended = false;
    m_settings.patientArchive = false;
    m_settings.examArchive = false;
    m_settings.examArchiveSuspended = false;
    m_settings.notifyChanged();

    // 2. From here on the patient comes into the file with all his records, or not at all.
    Transaction transaction(m_dm1.database());
    Table &reg = *m_dm1.register_;
    m_dm2.osmotr1->setFilter(QString());
    m_dm2.osmotr_elem->setFilter(QString());
    m_dm2.lech_puva->setFilter(QString());
    reg.first();
    reg.setFilter(QString());
    if (reg.modified() && !reg.post())
        return false;

    // 3.
    if (showRegistrationCard)
        showRegistrationCard();

    // 4. The count is taken before the insert: the record being inserted is not yet a patient.
    const int patients = reg.recordCount();
    QSet<qint64> cards;
    const int cardIndex = reg.fieldIndex(QStringLiteral("Amb_karta"));
    for (int i = 0; i < patients; ++i) {
        const QVariant card = reg.valueAt(i, cardIndex);
        if (card.isValid())
            cards.insert(card.toLongLong());
    }
    if (!startInsert(reg))
        return false;
    reg.setValue(QStringLiteral("Number"), patients + 1);
    reg.setValue(QStringLiteral("Reg_date"), clock::today());
    reg.setValue(QStringLiteral("Amb_karta"), randomCardNumber(cards));
    if (!reg.post())
        return false;

    // 5.
    const qint64 id = reg.asInteger(QStringLiteral("ID_man"));
    for (Table *t : {m_dm1.anamnez_zab, m_dm1.anamnez_zab_start, m_dm1.anamnez_zab_ranlech,
                     m_dm1.anamnez_zab_obostr_prich, m_dm1.anamnez_zab_obostr_lech, m_dm1.anamnez_zab_zalobi,
                     m_dm1.anamnez_life, m_dm1.anamnez_life_zab, m_dm1.anamnez_life_sem}) {
        if (!startInsert(*t))
            return false;
        t->setValue(QStringLiteral("ID_man"), id);
        if (!t->post())
            return false;
    }

    // 6.
    Table &exams = *m_dm2.osmotr1;
    const int examCount = exams.recordCount();
    if (!startInsert(exams))
        return false;
    exams.setValue(QStringLiteral("Date"), clock::today());
    exams.setValue(QStringLiteral("Nom_osm"), examCount + 1);
    setBooleansFalse(exams);
    if (!exams.post())
        return false;
    exams.last();

    // 7. The element is numbered from the examination count, which makes the first one 2; the
    // element windows have always shown it so.
    Table &elements = *m_dm2.osmotr_elem;
    if (!startInsert(elements))
        return false;
    elements.setValue(QStringLiteral("Name_elem"), QStringLiteral(" "));
    elements.setValue(QStringLiteral("Nom_elem"), exams.recordCount() + 1);
    setBooleansFalse(elements);
    if (!elements.post())
        return false;

    // 8., 9.
    for (Table *t : {m_dm2.analyz, m_dm2.lech_lekar}) {
        if (!startInsert(*t))
            return false;
        setBooleansFalse(*t);
        if (!t->post())
            return false;
        t->last();
    }

    // 10. Told only once it is in the file.
    if (!transaction.commit())
        return false;
    Dialogs::instance().message(QStringLiteral("Запись для нового пациента создана."), kCaption);
    return true;
}

bool PatientOps::deletePatient()
{
    Table &reg = *m_dm1.register_;
    Dialogs &dialogs = Dialogs::instance();

    // 1.
    if (reg.recordCount() == 1) {
        dialogs.message(QStringLiteral("Невозможно удалить последнюю запись пациента. Создайте хотя бы еще одну "
                                       "запись, чтобы можно было удалить эту."),
                        kCaption);
        return false;
    }
    if (reg.isEmpty())
        return false;

    // 2.
    if (!dialogs.ask(QStringLiteral("Вы уверены что хотите удалить данного пациента?"), kCaption))
        return false;

    const Transaction transaction(m_dm1.database());
    {
        // Records hidden by a course view or by the examination archive belong to the patient
        // as well; left behind they would turn up under whoever gets his key next. The course
        // view goes for good (moving off the patient drops it anyway), the archive comes back.
        m_dm2.lech_puva->setFilter(QString());
        const LiftedFilter allExaminations(*m_dm2.osmotr1);

        // 3.
        for (Table *t : {m_dm1.anamnez_zab_start, m_dm1.anamnez_zab_ranlech, m_dm1.anamnez_zab_obostr_prich,
                         m_dm1.anamnez_zab_obostr_lech, m_dm1.anamnez_zab_zalobi, m_dm1.anamnez_zab,
                         m_dm1.anamnez_life_zab, m_dm1.anamnez_life_sem, m_dm1.anamnez_life}) {
            if (!t->isEmpty() && !t->deleteRecord())
                return false;
        }

        // 4.
        for (Table *t : {m_dm2.diagnoz, m_dm2.lech_puva, m_dm2.analyz, m_dm2.lech_lekar, m_dm2.recomend}) {
            if (!deleteAll(*t))
                return false;
        }

        // 5.
        Table &exams = *m_dm2.osmotr1;
        while (!exams.isEmpty()) {
            if (!deleteAll(*m_dm2.osmotr_img) || !deleteAll(*m_dm2.osmotr_elem) || !exams.deleteRecord())
                return false;
        }
    }

    // 6.
    if (!reg.deleteRecord())
        return false;
    reg.setFilter(QString());
    return true;
}

} // namespace pelorin::db
