#pragma once

#include "recordview.h"

#include <QDate>
#include <QHash>
#include <QString>
#include <QVariant>
#include <functional>

namespace pelorin::db {
class Table;
}

// Calculated fields of the examination table osmotr1: the Russian summary sentences and the
// SCORAD and PASI indices. Each is a pure function of one examination record; the record is read
// through OsmotrRecord so that the texts can be checked without a database.
namespace pelorin::examination {

using OsmotrRecord = db::RecordView;

// Widths of the calculated text fields; every function below returns its text already cut to them.
namespace width {
inline constexpr int obostrenie = 1000;
inline constexpr int opisPASI = 512;
inline constexpr int Date_txt = 255;
inline constexpr int simp = 300;
inline constexpr int List_zalob = 500;
inline constexpr int List_zalob1 = 1000;
inline constexpr int koza_opisanie = 100;
inline constexpr int List_proizv = 300;
inline constexpr int List_proizv_list = 250;
} // namespace width

// Last exacerbation; empty unless Ob is ticked.
QString obostrenie(const OsmotrRecord &r);
// PASI findings per body region: head, trunk, arms, legs.
QString opisPASI(const OsmotrRecord &r);
// Examination date as a short date.
QString dateTxt(const OsmotrRecord &r);
// Clinical signs, or "те же" when they are the same as at the previous examination.
QString simp(const OsmotrRecord &r);
// Complaints: sites, skin, other and general groups and the free text, or the short characterisation.
QString listZalob(const OsmotrRecord &r);
// Complaints followed by the last exacerbation.
QString listZalob1(const OsmotrRecord &r);
// Skin moisture and colour.
QString kozaOpisanie(const OsmotrRecord &r);
// Hair, finger and toe nails, nail colour and other appendage findings.
QString listProizv(const OsmotrRecord &r);
// Skin followed by the appendages.
QString listProizvList(const OsmotrRecord &r);

// SCORAD intensity sum B2..B7.
qint64 ind1(const OsmotrRecord &r);
// SCORAD subjective sum B8 + B9.
qint64 ind2(const OsmotrRecord &r);
// SCORAD index: B1/5 + 7*ind1/2 + ind2 rounded half to even; 0 when both sums are 0.
qint64 ind3(const OsmotrRecord &r);
// PASI index with the region weights head 0.1, arms 0.2, trunk 0.3, legs 0.4; not rounded.
double index1(const OsmotrRecord &r);

// Registers the calculation of all the fields above on the examination table. Dinam is left to the
// dynamics chart.
void installOsmotrCalc(db::Table &osmotr1);

} // namespace pelorin::examination
