#include "protection.h"

#include "changelog.h"
#include "clock.h"
#include "datamodules.h"
#include "dialogs.h"
#include "fieldvalue.h"
#include "settings.h"
#include "table.h"
#include "texts.h"

#include <utility>
#include <vector>

namespace pelorin::db {

namespace {

const QString kSeparator = QStringLiteral(" - ");
const QString kCaption = QStringLiteral("Внимание!");

const QString kDischargedQuestion = QStringLiteral("Пациент на текущий момент выписан. Продолжить?");
// The carriage return puts the second sentence on a line of its own in the question box.
const QString kAgeQuestion = QStringLiteral("Сработала защита по давности. \rВы уверены что хотите внести изменения?");

// The refusal messages begin with a blank of their own, so the log shows two after the hyphen.
const QString kRefusedDischarged = QStringLiteral(" Отменяем изменения после проверки на выписку.");
const QString kRefusedAgeDm1 = QStringLiteral(" Отменяем изменения после проверки на дату.");
const QString kRefusedAgeDm2 = QStringLiteral(" Отменяем изменения после проверки на дату осмотра.");

QString checkTextOf(const char *name)
{
    return QStringLiteral("Проверка на защищенность данных со стороны ") + QLatin1String(name);
}

QString cancelTextOf(const char *name)
{
    return QStringLiteral("Найдено изменение в ") + QLatin1String(name) + QStringLiteral(" - отменяем.");
}

using TableTexts = std::vector<std::pair<Table *, QString>>;

// The names in the log are those the doctors know from earlier versions, not always the table's
// own: "obostr_lech", "osmotr", "lech_puvaDate".
TableTexts checkTexts(const DM1 &dm1, const DM2 &dm2)
{
    return {
        {dm1.register_, checkTextOf("register")},
        {dm1.anamnez_zab, checkTextOf("anamnez_zab")},
        {dm1.anamnez_zab_start, checkTextOf("anamnez_zab_start")},
        {dm1.anamnez_zab_ranlech, checkTextOf("anamnez_zab_ranlech")},
        {dm1.anamnez_zab_obostr_prich, checkTextOf("anamnez_zab_obostr_prich")},
        {dm1.anamnez_zab_obostr_lech, checkTextOf("obostr_lech")},
        {dm1.anamnez_zab_zalobi, checkTextOf("anamnez_zab_zalobi")},
        {dm1.anamnez_life, checkTextOf("anamnez_life")},
        {dm1.anamnez_life_zab, checkTextOf("anamnez_life_zab")},
        {dm1.anamnez_life_sem, checkTextOf("anamnez_life_sem")},
        {dm2.osmotr1, checkTextOf("osmotr")},
        {dm2.osmotr_elem, checkTextOf("osmotr_elem")},
        {dm2.lech_puva, checkTextOf("lech_puvaDate")},
        {dm2.diagnoz, checkTextOf("diagnoz")},
        {dm2.analyz, checkTextOf("analyz")},
        {dm2.lech_lekar, checkTextOf("lech_lekar")},
        {dm2.recomend, checkTextOf("recomend")},
    };
}

// A refusal walks these in this order; the order shows in the log.
TableTexts cancelSetDm1(const DM1 &dm1)
{
    return {
        {dm1.register_, cancelTextOf("register")},
        {dm1.anamnez_zab, cancelTextOf("anamnez_zab")},
        {dm1.anamnez_zab_start, cancelTextOf("anamnez_zab_start")},
        {dm1.anamnez_zab_ranlech, cancelTextOf("anamnez_zab_ranlech")},
        {dm1.anamnez_zab_obostr_prich, cancelTextOf("anamnez_zab_obostr_prich")},
        {dm1.anamnez_zab_obostr_lech, cancelTextOf("anamnez_zab_obostr_lech")},
        {dm1.anamnez_zab_zalobi, cancelTextOf("anamnez_zab_zalobi")},
        {dm1.anamnez_life, cancelTextOf("anamnez_life")},
        {dm1.anamnez_life_zab, cancelTextOf("anamnez_life_zab")},
        {dm1.anamnez_life_sem, cancelTextOf("anamnez_life_sem")},
    };
}

TableTexts cancelSetDm2(const DM2 &dm2)
{
    // One table a line, in the order of the walk.
    // clang-format off
    return {
        {dm2.osmotr1, cancelTextOf("osmotr")},
        {dm2.diagnoz, cancelTextOf("diagnoz")},
        {dm2.lech_puva, cancelTextOf("lech_puva")},
        {dm2.lech_lekar, cancelTextOf("lech_lekar")},
        {dm2.osmotr_elem, cancelTextOf("osmotr_elem")},
        {dm2.analyz, cancelTextOf("analyz")},
        {dm2.recomend, cancelTextOf("recomend")},
    };
    // clang-format on
}

QString decisionLine(const QString &message)
{
    return text::decisionTimestamp(clock::now()) + kSeparator + message;
}

} // namespace

Protection::Protection(DM1 &dm1, DM2 &dm2, RunSettings &settings, ChangeLog &log)
    : m_dm1(dm1), m_dm2(dm2), m_settings(settings), m_log(log)
{
}

QString Protection::checkLine(const QString &checkText)
{
    return text::checkTimestamp(clock::now()) + kSeparator + checkText;
}

void Protection::protectedPostDm1(const QString &checkLine)
{
    protectedPost(Module::Dm1, checkLine, m_dm1.register_->asDate(QStringLiteral("Reg_date")));
}

void Protection::protectedPostDm2(const QString &checkLine, const QDate &ageDate)
{
    protectedPost(Module::Dm2, checkLine, ageDate.isValid() ? ageDate : zeroDate());
}

void Protection::protectedPost(Module module, const QString &checkLine, const QDate &ageDate)
{
    m_log.append(checkLine, m_table);
    if (!m_settings.protectionOn || m_settings.protectionSuspended)
        return;

    Dialogs &dialogs = Dialogs::instance();
    if (m_dm1.register_->asString(QStringLiteral("flag")) == QLatin1String("-")) {
        dialogs.beep();
        if (dialogs.question(kDischargedQuestion, kCaption) == Dialogs::Answer::No) {
            refuse(module, Reason::Discharged);
            return;
        }
    }

    if (ageDate.daysTo(clock::today()) > m_settings.protectionDays) {
        dialogs.beep();
        if (dialogs.question(kAgeQuestion, kCaption) == Dialogs::Answer::No)
            refuse(module, Reason::Age);
    }
}

void Protection::refuse(Module module, Reason reason)
{
    const QString &message = reason == Reason::Discharged ? kRefusedDischarged
                             : module == Module::Dm1      ? kRefusedAgeDm1
                                                          : kRefusedAgeDm2;
    m_log.append(decisionLine(message), m_table);

    const TableTexts cancelSet = module == Module::Dm1 ? cancelSetDm1(m_dm1) : cancelSetDm2(m_dm2);
    for (const auto &[table, cancelText] : cancelSet) {
        if (!table->modified())
            continue;
        m_log.append(decisionLine(cancelText), QString::fromLatin1(table->def().sqlName));
        const bool wasNew = table->state() == TableState::Insert;
        table->cancel();
        // The interrupted post has to find its table in edit state, and then writes the stored
        // record back unchanged. A dropped new record in a table left empty is the exception:
        // edit() there would start yet another empty record, which the post would store.
        if (wasNew && table->isEmpty())
            continue;
        table->edit();
    }
}

QString Protection::checkText(const Table &table) const
{
    for (const auto &[t, text] : checkTexts(m_dm1, m_dm2)) {
        if (t == &table)
            return text;
    }
    return {};
}

QDate Protection::ageDateDm2(const Table &table) const
{
    // An element is as old as the examination it belongs to.
    if (&table == m_dm2.osmotr_elem || &table == m_dm2.osmotr1)
        return m_dm2.osmotr1->asDate(QStringLiteral("Date"));
    if (&table == m_dm2.lech_puva)
        return table.asDate(QStringLiteral("Date"));
    return table.asDate(QStringLiteral("Data"));
}

void Protection::checkTable(Table &table)
{
    const QString text = checkText(table);
    if (text.isEmpty())
        return;
    const TableScope scope(*this, QString::fromLatin1(table.def().sqlName));
    if (table.def().dataModule == 1)
        protectedPostDm1(checkLine(text));
    else
        protectedPostDm2(checkLine(text), ageDateDm2(table));
}

void Protection::install()
{
    for (const auto &[table, text] : checkTexts(m_dm1, m_dm2)) {
        Q_UNUSED(text);
        table->beforePost = [this](Table &t) { checkTable(t); };
    }
}

} // namespace pelorin::db
