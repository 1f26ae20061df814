#pragma once

#include <QString>
#include <QtGlobal>

namespace pelorin::db {
class Table;
}

// Links between the PUVA procedures (lech_puva.Osmotr) and the examinations (osmotr1.PUVA,
// PUVA_k, PUVA_p). The two sides are written separately; the automatic linking rebuilds both.
namespace pelorin::treatment {

// "5 курс 2": the text the automatic linking gives an examination.
QString autoLinkText(qint64 procedure, qint64 course);
// "5пр. 2к.": the text the two hand-link windows give an examination.
QString handLinkText(qint64 procedure, qint64 course);

// The automatic linking over the listed procedures and the listed examinations, in list order:
// each examination falls on the first procedure, from the previous one's on, dated on or after it
// (or on the last procedure); the procedure keeps the examination's place in the list and the
// examination named last by a procedure gets that procedure's text and numbers. A procedure
// pointing at a place the list does not have is left out. Both cursors come back to their records.
// False when a post failed.
bool linkProcedures(db::Table &lech_puva, db::Table &osmotr1);

// "Применить" of both hand-link windows: the current procedure's Osmotr takes the current
// examination's Nom_osm and the examination's PUVA the hand-link text of the procedure; both posted.
bool linkCurrentPair(db::Table &lech_puva, db::Table &osmotr1);
// "Осмотр отсутствует.": the current procedure loses its examination; the examination list goes to
// its first examination.
bool unlinkProcedure(db::Table &lech_puva, db::Table &osmotr1);
// "Процедура отсутствует.": the current examination's PUVA text is emptied.
bool unlinkExamination(db::Table &osmotr1);

} // namespace pelorin::treatment
