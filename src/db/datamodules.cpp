#include "datamodules.h"

#include "database.h"

namespace pelorin::db {

DataModule::DataModule(Database &database, int module, QObject *parent)
    : QObject(parent), m_db(database)
{
    Q_UNUSED(module);
}

Table *DataModule::own(const char *objectName)
{
    const TableDef *def = findTableByObject(QString::fromLatin1(objectName));
    Q_ASSERT(def);
    auto *t = new Table(m_db, *def, this);
    m_tables.push_back(t);
    return t;
}

Table *DataModule::table(const QString &objectName) const
{
    for (Table *t : m_tables) {
        if (t->tableName() == objectName)
            return t;
    }
    return nullptr;
}

bool DataModule::open(QString *error)
{
    for (Table *t : m_tables) {
        QString why;
        if (!t->open(&why)) {
            if (error)
                *error = QStringLiteral("Не удалось открыть таблицу %1 в файле «%2».\n%3")
                             .arg(QString::fromLatin1(t->def().sqlName), m_db.filePath(), why);
            return false;
        }
    }
    return true;
}

DM1::DM1(Database &database, QObject *parent) : DataModule(database, 1, parent)
{
    setObjectName(QStringLiteral("DM1"));
    register_ = own("register");
    anamnez_zab = own("anamnez_zab");
    anamnez_zab_start = own("anamnez_zab_start");
    anamnez_zab_ranlech = own("anamnez_zab_ranlech");
    anamnez_zab_obostr_prich = own("anamnez_zab_obostr_prich");
    anamnez_zab_obostr_lech = own("anamnez_zab_obostr_lech");
    anamnez_zab_zalobi = own("anamnez_zab_zalobi");
    anamnez_life = own("anamnez_life");
    anamnez_life_zab = own("anamnez_life_zab");
    anamnez_life_sem = own("anamnez_life_sem");
    post_vipis = own("post_vipis");

    // A large clinic's register is not held whole: the list keeps the fields its tabs filter and
    // order by, and the records shown or current are read as they are needed.
    register_->setResidentFields({QStringLiteral("Last_Name"), QStringLiteral("Amb_karta"), QStringLiteral("Vip_date")});
    register_->setOrderField(QStringLiteral("Last_Name"));
    for (Table *t : m_tables) {
        if (t != register_)
            t->setMaster(table(QString::fromLatin1(t->def().masterObject)));
    }
}

DM2::DM2(Database &database, DM1 &dm1, QObject *parent) : DataModule(database, 2, parent)
{
    setObjectName(QStringLiteral("DM2"));
    osmotr1 = own("osmotr1");
    osmotr_elem = own("osmotr_elem");
    osmotr_img = own("osmotr_img");
    lech_puva = own("lech_puva");
    diagnoz = own("diagnoz");
    analyz = own("analyz");
    lech_lekar = own("lech_lekar");
    recomend = own("recomend");
    for (Table *t : m_tables) {
        const QString master = QString::fromLatin1(t->def().masterObject);
        t->setMaster(master == QLatin1String("register") ? dm1.register_ : table(master));
    }
}

} // namespace pelorin::db
