#pragma once

#include <QString>

namespace pelorin::db {
class DM1;
class DM2;
class Table;
} // namespace pelorin::db

// The two texts that open the patient extract: who the patient is (with the note on the chosen
// period) and the anamnesis block. Both read the current patient's records through the data
// modules; the ambulatory card reuses the anamnesis block in its first diary row.
namespace pelorin::documents {

// "Выписка из амбулаторной карты № ..." down to the diagnosis of the first diagnosis event.
// Leaves diagnoz on its first record.
QString extractHeader(db::DM1 &dm1, db::DM2 &dm2, const QString &selectionNote);

// Complaints, anamnesis of the disease, anamnesis of life and the blood tests done.
// Leaves analyz on its last record when the tests are listed.
QString anamnesisBlock(db::DM1 &dm1, db::DM2 &dm2);

// "За все курсы проведено процедур ПУВА: …" and a line feed: the current patient's lifetime PUVA
// figures, over every course whatever course view lists the procedures. The clinic switches it on.
QString exposureLine(db::DM1 &dm1);

// The sentences on the remission and on the last exacerbation, worded alike in the extract and in
// the older card; each ends with a line feed, and is empty when its fields say nothing.
QString remissionSentence(const db::Table &anamnezZab);
QString lastExacerbationSentence(const db::Table &anamnezZab);

// The family history, the way of life, injuries and hepatitis and the blood tests done, ending the
// anamnesis alike in the extract and in the older card. Leaves analyz on its last record when the
// tests are listed.
QString familyLifeAndTests(db::DM1 &dm1, db::DM2 &dm2);

} // namespace pelorin::documents
