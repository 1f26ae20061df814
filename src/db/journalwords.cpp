#include "journalwords.h"

#include <QSqlQuery>

namespace pelorin::db {

QString JournalWords::patient(const QVariant &id)
{
    if (id.isNull() || !id.isValid())
        return QStringLiteral("пациент не указан");
    const qint64 key = id.toLongLong();
    if (const auto it = m_names.constFind(key); it != m_names.constEnd())
        return *it;
    QSqlQuery q(m_sql);
    q.prepare(QStringLiteral("SELECT \"Amb_karta\", \"Last_Name\" FROM register WHERE \"ID_man\" = ?"));
    q.addBindValue(key);
    QString words;
    if (q.exec() && q.next()) {
        const QString card = q.value(0).isNull() || q.value(0).toLongLong() == 0
                                 ? QStringLiteral("карта не указана")
                                 : QStringLiteral("карта ") + QString::number(q.value(0).toLongLong());
        const QString surname = q.value(1).toString().trimmed();
        words = card + QStringLiteral(", ") + (surname.isEmpty() ? QStringLiteral("фамилия не указана") : surname);
    } else {
        // His card is gone; the key still tells his lines from another removed patient's.
        words = QStringLiteral("удалённый пациент (запись %1)").arg(key);
    }
    m_names.insert(key, words);
    return words;
}

QString JournalWords::record(const QString &table)
{
    static const QHash<QString, QString> kinds = {
        {QStringLiteral("register"), QStringLiteral("регистрационная карта")},
        {QStringLiteral("anamnez_zab"), QStringLiteral("анамнез болезни")},
        {QStringLiteral("anamnez_zab_start"), QStringLiteral("анамнез болезни: начало заболевания")},
        {QStringLiteral("anamnez_zab_ranlech"), QStringLiteral("анамнез болезни: ранее проводимое лечение")},
        {QStringLiteral("anamnez_zab_obostr_prich"), QStringLiteral("анамнез болезни: причины обострения")},
        {QStringLiteral("anamnez_zab_obostr_lech"), QStringLiteral("анамнез болезни: лечение при обострении")},
        {QStringLiteral("anamnez_zab_zalobi"), QStringLiteral("анамнез болезни: жалобы")},
        {QStringLiteral("anamnez_life"), QStringLiteral("анамнез жизни")},
        {QStringLiteral("anamnez_life_zab"), QStringLiteral("анамнез жизни: сопутствующие заболевания")},
        {QStringLiteral("anamnez_life_sem"), QStringLiteral("анамнез жизни: семейный анамнез")},
        {QStringLiteral("post_vip"), QStringLiteral("поступление и выписка")},
        {QStringLiteral("osmotr_1"), QStringLiteral("осмотр")},
        {QStringLiteral("osmotr_elem"), QStringLiteral("элемент высыпания")},
        {QStringLiteral("osmotr_img"), QStringLiteral("фотография осмотра")},
        {QStringLiteral("lech_puva"), QStringLiteral("процедура ПУВА")},
        {QStringLiteral("diagnoz"), QStringLiteral("диагноз")},
        {QStringLiteral("analyz"), QStringLiteral("анализ крови")},
        {QStringLiteral("lech_lekar"), QStringLiteral("назначение")},
        {QStringLiteral("recomend"), QStringLiteral("рекомендация")},
    };
    return kinds.value(table.toLower(), table);
}

QString JournalWords::place(const AuditEntry &entry)
{
    QStringList parts{patient(entry.patient)};
    if (const QString kind = record(entry.table); !kind.isEmpty())
        parts << kind;
    if (!entry.seat.isEmpty())
        parts << QStringLiteral("рабочее место ") + entry.seat;
    return parts.join(QStringLiteral("; "));
}

} // namespace pelorin::db
