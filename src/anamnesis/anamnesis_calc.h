#pragma once

#include "recordview.h"

#include <QHash>
#include <QString>
#include <QVariant>
#include <functional>

namespace pelorin::db {
class DM1;
class Table;
} // namespace pelorin::db

// Calculated fields of the anamnesis tables: the Russian sentences made of the pick-list check boxes of the
// disease anamnesis (one `List` per detail table) and of the life anamnesis (list1..list10 of the accompanying
// diseases, `List` of the relatives' diseases). Each is a pure function of one record, read through
// AnamnezRecord so that the texts can be checked without a database.
namespace pelorin::anamnesis {

using AnamnezRecord = db::RecordView;

// Widths of the calculated text fields; every function below returns its text already cut to them.
namespace width {
inline constexpr int List = 500;
inline constexpr int lifeList = 255; // list1..list10
} // namespace width

// ---- disease anamnesis: `List` of each detail of anamnez_zab

// What the beginning of the disease is associated with (anamnez_zab_start).
QString zabStartList(const AnamnezRecord &r);
// What provokes the exacerbations (anamnez_zab_obostr_prich); the same as the onset, except A1_15.
QString zabObostrPrichList(const AnamnezRecord &r);
// Treatment before (anamnez_zab_ranlech): kind, methods, external remedies, free text; or "не проводилось.".
QString zabRanlechList(const AnamnezRecord &r);
// Treatment of the last exacerbation (anamnez_zab_obostr_lech); or "не проводилось.".
QString zabObostrLechList(const AnamnezRecord &r);
// Complaints at the visit (anamnez_zab_zalobi): rash sites, skin, joints/nails/hair, general, free text;
// "Жалоб нет" when nothing is said.
QString zabZalobiList(const AnamnezRecord &r);

// ---- life anamnesis: anamnez_life_zab

QString lifeList1(const AnamnezRecord &r); // ear, nose, throat and mouth
QString lifeList2(const AnamnezRecord &r); // allergic reactions
QString lifeList3(const AnamnezRecord &r); // digestive tract
QString lifeList4(const AnamnezRecord &r); // central nervous system
QString lifeList5(const AnamnezRecord &r); // respiratory tract
QString lifeList6(const AnamnezRecord &r); // urinary system
QString lifeList7(const AnamnezRecord &r); // helminth invasions
QString lifeList8(const AnamnezRecord &r); // accompanying skin diseases
QString lifeList9(const AnamnezRecord &r); // atopic diseases
// Other: operations or injuries, hepatitis in the grammatical gender of the patient's sex as the register
// spells it ("Мужской", "Женский"; any other sex gives no hepatitis phrase), free text.
QString lifeList10(const AnamnezRecord &r, const QString &sex);

// ---- life anamnesis: anamnez_life_sem

// The relatives' diseases, relative by relative, followed by the free text.
QString lifeSemList(const AnamnezRecord &r);

// Registers the calculation of all the texts above on their tables of dm1. list10 reads the patient's sex from
// the register's current record and is recalculated when it changes.
void installAnamnesisCalc(db::DM1 &dm1);

} // namespace pelorin::anamnesis
