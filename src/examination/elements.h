#pragma once

#include <QString>
#include <QVariant>
#include <functional>

namespace pelorin::db {
class Table;
}

namespace pelorin::examination {

// Reads one field of one element record by name; a blank field reads as an invalid QVariant.
using FieldReader = std::function<QVariant(const QString &name)>;

// Calculated field Name_elem1: the name in straight double quotes.
QString elementName1(const FieldReader &value);
// The characteristics part of the description (size, colour, shape, ...), keeping its final ", ".
QString elementCharacteristics(const FieldReader &value);
// The location part of the description: "локализованы ..." closed by a full stop, or empty.
QString elementLocations(const FieldReader &value);
// Calculated field List: characteristics followed by locations.
QString elementList(const FieldReader &value);

// Registers List and Name_elem1 with the element table.
void installElementCalc(db::Table &osmotr_elem);

// Messages of the element operations, shown by the elements window.
QString newElementMessage();
QString copiedElementMessage();
QString deleteElementQuestion();

// "Нового элемента": appends an unstored element row of the current examination with every
// Boolean false. False when the row could not be appended (the current row could not be stored).
bool appendElement(db::Table &osmotr1, db::Table &osmotr_elem);
// "Новый  элемент (те же хар-ки)": appends an unstored row carrying every stored field of the
// current element from Razmer_ot on, named " ".
bool appendElementCopy(db::Table &osmotr1, db::Table &osmotr_elem);
// "Удалить элемент высыпания": with at least two elements asks and, on Yes, deletes the current
// one. True when a row was deleted.
bool deleteElement(db::Table &osmotr_elem);
// The "Х" button of a characteristic: sets a field holding one of its listed codes to 0 and
// stores the row. True when the field was cleared.
bool clearCharacteristic(db::Table &osmotr_elem, const QString &fieldName);

} // namespace pelorin::examination
