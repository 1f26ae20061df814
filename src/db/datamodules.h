#pragma once

#include "table.h"

#include <QObject>
#include <QString>
#include <vector>

namespace pelorin::db {

class Database;

// Owner of a group of table objects for the whole run.
class DataModule : public QObject
{
    Q_OBJECT

public:
    DataModule(Database &database, int module, QObject *parent);

    // Opens every table in the order of the table list; false with the engine's message on failure.
    bool open(QString *error);
    Table *table(const QString &objectName) const;
    const std::vector<Table *> &tables() const { return m_tables; }
    Database &database() { return m_db; }

protected:
    Table *own(const char *objectName);
    Database &m_db;
    std::vector<Table *> m_tables;
};

// The register and the anamnesis tables.
class DM1 : public DataModule
{
    Q_OBJECT

public:
    explicit DM1(Database &database, QObject *parent = nullptr);

    Table *register_; // "register" is a C++ keyword
    Table *anamnez_zab;
    Table *anamnez_zab_start;
    Table *anamnez_zab_ranlech;
    Table *anamnez_zab_obostr_prich;
    Table *anamnez_zab_obostr_lech;
    Table *anamnez_zab_zalobi;
    Table *anamnez_life;
    Table *anamnez_life_zab;
    Table *anamnez_life_sem;
    Table *post_vipis;
};

// Examinations, treatment, diagnoses, blood tests and recommendations; details of DM1's register.
class DM2 : public DataModule
{
    Q_OBJECT

public:
    DM2(Database &database, DM1 &dm1, QObject *parent = nullptr);

    Table *osmotr1;
    Table *osmotr_elem;
    Table *osmotr_img;
    Table *lech_puva;
    Table *diagnoz;
    Table *analyz;
    Table *lech_lekar;
    Table *recomend;
};

} // namespace pelorin::db
