#pragma once

namespace pelorin::db {
class Table;
}

// Operations on the patient's recommendation records (DM2's recomend), as the buttons of the
// recommendations page run them before the recommendations window is shown.
namespace pelorin::clinical {

// "Добавить": pending changes are posted, a record dated today is inserted and posted, then put in
// edit state for the window. False when a post was refused.
bool addRecommendation(db::Table &recomend);

// "Изменить": a patient without recommendations first receives one dated today; the current record
// is put in edit state for the window.
bool editRecommendation(db::Table &recomend);

// "Удалить текущую": asks; Yes deletes the current record when there is one. There is no
// placeholder: the list may stay empty. True when the answer was Yes.
bool deleteRecommendation(db::Table &recomend);

} // namespace pelorin::clinical
