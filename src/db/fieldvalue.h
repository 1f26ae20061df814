#pragma once

#include "schema.h"

#include <QDate>
#include <QVariant>

namespace pelorin::db {

// The zero date a blank date field reads as.
inline QDate zeroDate()
{
    return QDate(1899, 12, 30);
}

// Normalises a value written to a field of the given type: empty text becomes blank,
// text is cut to the field's width, a date-time loses its time, booleans become 0/1.
// Returns an invalid QVariant for blank; ok=false when the value cannot be converted.
QVariant normalizeValue(FieldType type, int width, const QVariant &value, bool *ok = nullptr);

// A converted value the field can hold: false for a quantity below zero where the field forbids it.
bool valueAllowed(const FieldDef &field, const QVariant &normalized);
// The field's name in messages to the doctor.
QString fieldCaption(const FieldDef &field);
// Why a typed text cannot be stored: "Вес: значение «-5» недопустимо.", "Вес: значение «abc» не
// является числом."; empty when it can be.
QString refusalText(const FieldDef &field, const QString &caption, const QVariant &value);

// Reads of a possibly blank value with the blank semantics of the tables.
QString valueAsString(FieldType type, const QVariant &v);
qint64 valueAsInteger(const QVariant &v);
double valueAsFloat(const QVariant &v);
bool valueAsBoolean(const QVariant &v);
QDate valueAsDate(const QVariant &v);

// Conversions between the stored database representation and in-memory values.
QVariant toStorage(FieldType type, const QVariant &v);
QVariant fromStorage(FieldType type, const QVariant &v);

} // namespace pelorin::db
