#include "extract_texts.h"

#include "datamodules.h"
#include "puva_exposure.h"
#include "table.h"

namespace pelorin::documents {

namespace {

const QString nl = QStringLiteral("\n");

QString str(const db::Table &t, const char *field)
{
    return t.asString(QLatin1String(field));
}

// The treatment results are picked from a list and stored cut to 20 characters; the cut form of
// the only long item gets its ending back.
QString treatmentResult(const QString &stored)
{
    if (stored.size() <= 4)
        return {};
    if (stored == QStringLiteral("стойкий положительны"))
        return QStringLiteral("Результат от лечения ") + QStringLiteral("стойкий положительный. ") + nl;
    return QStringLiteral("Результат от лечения ") + stored + nl;
}

// The pick-list summaries end in ". " once anything is ticked; a few characters are leftovers of a
// free text, not a list worth a sentence.
QString listSentence(const db::Table &t, const QString &title)
{
    const QString list = str(t, "List");
    return list.size() > 4 ? QString(title + list + nl) : QString();
}

QString fixedSentence(bool value, const char16_t *whenTrue, const char16_t *whenFalse)
{
    return QString::fromUtf16(value ? whenTrue : whenFalse);
}

} // namespace

QString exposureLine(db::DM1 &dm1)
{
    return treatment::exposureExtractLine(treatment::lifetimeExposure(*dm1.register_));
}

QString remissionSentence(const db::Table &zab)
{
    QString t;
    // Remis is ticked when the patient has no remission at all; then its length means nothing.
    const bool noRemission = zab.asBoolean(QStringLiteral("Remis"));
    const QString fromInd = str(zab, "Prodolz_remis_ot_ind");
    const QString fromName = str(zab, "Prodolz_remis_ot_name");
    const QString toInd = str(zab, "Prodolz_remis_do_ind");
    const QString toName = str(zab, "Prodolz_remis_do_name");
    if (!fromInd.isEmpty() && !fromName.isEmpty() && !toInd.isEmpty() && !toName.isEmpty() && !noRemission) {
        t += QStringLiteral("Продолжительность ремиссии от ") + fromInd + QStringLiteral(" ") + fromName +
             QStringLiteral(" до ") + toInd + QStringLiteral(" ") + toName + QStringLiteral(".") + nl;
    } else if (noRemission) {
        t += QStringLiteral("Ремиссия отсутствует.") + nl;
    }
    return t;
}

QString lastExacerbationSentence(const db::Table &zab)
{
    QString t;
    if (!zab.isNull(QStringLiteral("Posl_obostr_ind"))) {
        t += QStringLiteral("Начало последнего обострения ") + str(zab, "Posl_obostr_ind") + QStringLiteral(" ") +
             str(zab, "Posl_obostr_name") + QStringLiteral(" назад.") + nl;
    }
    return t;
}

QString extractHeader(db::DM1 &dm1, db::DM2 &dm2, const QString &selectionNote)
{
    const db::Table &reg = *dm1.register_;
    QString t = QStringLiteral("Выписка из амбулаторной карты № ") + str(reg, "Amb_karta") + nl + nl;
    t += str(reg, "Last_Name") + QStringLiteral(" ") + str(reg, "First_Name") + QStringLiteral(" ") +
         str(reg, "Father_Name") + nl;
    t += QStringLiteral("Дата рождения: ") + str(reg, "Born_dat") + QStringLiteral(" . Вес - ") + str(reg, "Ves") +
         QStringLiteral(" кг.") + nl;
    // Empty parts keep their blanks: the old extracts look like that and the doctors know it.
    t += QStringLiteral("Место жительства: ") + str(reg, "Live_place_region") + QStringLiteral(" ") +
         str(reg, "Life_place_gorod") + QStringLiteral(" ") + str(reg, "Adress") + QStringLiteral(" .") + nl +
         QStringLiteral("Телефон - ") + str(reg, "Telephone_home") + nl + nl;
    t += selectionNote + nl;
    db::Table &diagnoz = *dm2.diagnoz;
    diagnoz.first();
    t += QStringLiteral("Диагноз: ") + str(diagnoz, "List") + nl;
    return t;
}

QString anamnesisBlock(db::DM1 &dm1, db::DM2 &dm2)
{
    const db::Table &zab = *dm1.anamnez_zab;
    QString t = QStringLiteral("Жалобы при обращении: ") + str(*dm1.anamnez_zab_zalobi, "List") + nl;
    t += nl + QStringLiteral("Анамнез заболевания. ") + nl;

    if (zab.isNull(QStringLiteral("NachZabCount"))) {
        t += QStringLiteral("Первые проявления заболевания возникли в возрасте ") + str(zab, "Zalobi") + nl;
    } else {
        t += QStringLiteral("Первые проявления заболевания возникли ") + str(zab, "NachZabCount") +
             QStringLiteral(" ") + str(zab, "NachZabText") + QStringLiteral(" назад. ") + nl;
    }
    t += listSentence(*dm1.anamnez_zab_start, QStringLiteral("Начало заболевания провоцировали: "));
    t += listSentence(*dm1.anamnez_zab_ranlech, QStringLiteral("Ранее проводимое лечение: "));
    t += treatmentResult(str(zab, "Ran_lech_rez"));

    t += remissionSentence(zab);

    t += listSentence(*dm1.anamnez_zab_obostr_prich, QStringLiteral("Провоцируют обострение: "));
    t += lastExacerbationSentence(zab);
    t += listSentence(*dm1.anamnez_zab_obostr_lech, QStringLiteral("Проведено лечение: "));
    t += treatmentResult(str(zab, "Posl_obostr_rez"));

    t += nl + QStringLiteral("Анамнез жизни.") + nl;
    const db::Table &lifeZab = *dm1.anamnez_life_zab;
    QString diseases;
    for (int i = 1; i <= 10; ++i)
        diseases += lifeZab.asString(QStringLiteral("list%1").arg(i));
    if (diseases.isEmpty())
        t += QStringLiteral("Сопутствующих заболеваний нет. ");
    else
        t += QStringLiteral("Сопутствующие заболевания: ") + diseases + nl;
    t += familyLifeAndTests(dm1, dm2);
    return t;
}

QString familyLifeAndTests(db::DM1 &dm1, db::DM2 &dm2)
{
    QString t;
    const QString family = str(*dm1.anamnez_life_sem, "List");
    if (family.isEmpty())
        t += QStringLiteral("Семейный анамнез не отягощен. ");
    else
        t += QStringLiteral("Семейный анамнез: ") + family + nl;

    const db::Table &life = *dm1.anamnez_life;
    const db::Table &lifeZab = *dm1.anamnez_life_zab;
    t += fixedSentence(life.asBoolean(QStringLiteral("Pitanie")), u"Характер питания - обычный. ",
                       u"Характер питания - гиппоаллергенный. ");
    t += fixedSentence(life.asBoolean(QStringLiteral("Bitovie")), u"Бытовые условия и режим - обычные. ",
                       u"Бытовые условия и режим - гиппоаллергенные. ");
    t += fixedSentence(life.asBoolean(QStringLiteral("Vrednie_privichki")), u"Присутствуют вредные привычки. ",
                       u"Вредных привычек нет. ");
    t += fixedSentence(life.asBoolean(QStringLiteral("Dom_zivotnie")), u"Присутствуют домашние животные. ",
                       u"Домашних животных нет. ");
    t += fixedSentence(lifeZab.asBoolean(QStringLiteral("Travm")), u"Были травмы и(или) операции. ",
                       u"Травм и(или) операций не было. ");
    t += fixedSentence(lifeZab.asBoolean(QStringLiteral("Gepatit")), u"Болел(а) гепатитом. ",
                       u"Гепатитом не болел(а). ");
    t += nl;

    // A first test without a date is how an unfinished record looks; then nothing is listed.
    db::Table &analyz = *dm2.analyz;
    analyz.first();
    if (!analyz.isEmpty() && !analyz.isNull(QStringLiteral("Data"))) {
        t += QStringLiteral("Проведено обследование: ") + nl;
        while (!analyz.eof()) {
            t += str(analyz, "Data") + QStringLiteral(": ") + str(analyz, "List") + nl;
            analyz.next();
        }
    }
    return t;
}

} // namespace pelorin::documents
