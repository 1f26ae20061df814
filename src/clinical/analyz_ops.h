#pragma once

namespace pelorin::db {
class Table;
}

// Operations on the patient's blood test records (DM2's analyz), as the buttons of the blood test
// section run them.
namespace pelorin::clinical {

// "Добавить новое.": a record dated today with every check box cleared (stored as false, not
// blank), posted through the protection rule; the list ends on the last record. False when the
// post was refused.
bool addBloodTest(db::Table &analyz);

// "Удалить текущее.": asks; Yes deletes the current record when there is one. Then, whatever the
// answer, a patient left without any record receives the placeholder: every check box cleared and
// no date. True when the answer was Yes.
bool deleteBloodTest(db::Table &analyz);

// Clears every Boolean field of the record being edited.
void clearBloodTestFlags(db::Table &analyz);

} // namespace pelorin::clinical
