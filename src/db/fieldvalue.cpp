#include "fieldvalue.h"

#include "texts.h"

#include <QDateTime>
#include <QtNumeric>

namespace pelorin::db {

QVariant normalizeValue(FieldType type, int width, const QVariant &value, bool *ok)
{
    if (ok)
        *ok = true;
    if (!value.isValid() || value.isNull())
        return {};
    bool conv = true;
    switch (type) {
    case FieldType::AutoInc:
    case FieldType::Integer:
    case FieldType::Short: {
        qint64 v = 0;
        if (value.typeId() == QMetaType::QString) {
            const QString s = value.toString().trimmed();
            if (s.isEmpty())
                return {};
            v = s.toLongLong(&conv);
        } else if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float) {
            const double d = value.toDouble();
            if (!qIsFinite(d) || d < double(INT64_MIN) || d > double(INT64_MAX))
                conv = false;
            else
                v = qRound64(d);
        } else {
            v = value.toLongLong(&conv);
        }
        if (conv && type == FieldType::Short && (v < -32768 || v > 32767))
            conv = false;
        if (conv && type != FieldType::Short && (v < INT32_MIN || v > INT32_MAX))
            conv = false;
        if (!conv)
            break;
        return QVariant::fromValue<qint64>(v);
    }
    case FieldType::Float: {
        double v = 0;
        if (value.typeId() == QMetaType::QString) {
            QString s = value.toString().trimmed();
            if (s.isEmpty())
                return {};
            s.replace(QLatin1Char(','), QLatin1Char('.'));
            v = s.toDouble(&conv);
        } else {
            v = value.toDouble(&conv);
        }
        // Infinity and "not a number" are no quantity a doctor records.
        if (!conv || !qIsFinite(v))
            break;
        return v;
    }
    case FieldType::String:
    case FieldType::Memo: {
        QString s = value.toString();
        if (type == FieldType::String && width > 0)
            s = text::cutToWidth(s, width);
        if (s.isEmpty())
            return {};
        return s;
    }
    case FieldType::Boolean:
        return value.toBool();
    case FieldType::Date: {
        QDate d;
        if (value.typeId() == QMetaType::QDate)
            d = value.toDate();
        else if (value.typeId() == QMetaType::QDateTime)
            d = value.toDateTime().date();
        else if (value.typeId() == QMetaType::QString) {
            const QString s = value.toString().trimmed();
            if (s.isEmpty())
                return {};
            d = QDate::fromString(s, QStringLiteral("dd.MM.yyyy"));
            if (!d.isValid())
                d = QDate::fromString(s, QStringLiteral("d.M.yyyy"));
            if (!d.isValid())
                d = QDate::fromString(s, Qt::ISODate);
        }
        if (!d.isValid()) {
            conv = false;
            break;
        }
        return d;
    }
    }
    if (ok)
        *ok = false;
    return {};
}

QString valueAsString(FieldType type, const QVariant &v)
{
    if (!v.isValid())
        return {};
    switch (type) {
    case FieldType::Date:
        return v.toDate().toString(QStringLiteral("dd.MM.yyyy"));
    case FieldType::Boolean:
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case FieldType::Float:
        return text::floatToText(v.toDouble());
    default:
        return v.toString();
    }
}

qint64 valueAsInteger(const QVariant &v)
{
    if (!v.isValid())
        return 0;
    if (v.typeId() == QMetaType::Double)
        return qRound64(v.toDouble());
    return v.toLongLong();
}

double valueAsFloat(const QVariant &v)
{
    return v.isValid() ? v.toDouble() : 0.0;
}

bool valueAsBoolean(const QVariant &v)
{
    return v.isValid() && v.toBool();
}

QDate valueAsDate(const QVariant &v)
{
    if (!v.isValid())
        return zeroDate();
    return v.toDate();
}

bool valueAllowed(const FieldDef &field, const QVariant &normalized)
{
    if (!field.nonNegative || !normalized.isValid())
        return true;
    return normalized.toDouble() >= 0;
}

QString fieldCaption(const FieldDef &field)
{
    return field.caption ? QString::fromUtf8(field.caption) : QString::fromLatin1(field.name);
}

QString refusalText(const FieldDef &field, const QString &caption, const QVariant &value)
{
    bool ok = true;
    const QVariant v = normalizeValue(field.type, field.width, value, &ok);
    const QString name = caption.isEmpty() ? fieldCaption(field) : caption;
    const QString text = value.toString();
    if (ok)
        return valueAllowed(field, v) ? QString() : QStringLiteral("%1: значение «%2» недопустимо.").arg(name, text);
    switch (field.type) {
    case FieldType::AutoInc:
    case FieldType::Integer:
    case FieldType::Short:
    case FieldType::Float:
        return QStringLiteral("%1: значение «%2» не является числом.").arg(name, text);
    case FieldType::Date:
        return QStringLiteral("%1: значение «%2» не является датой.").arg(name, text);
    default:
        return QStringLiteral("%1: значение «%2» не подходит.").arg(name, text);
    }
}

QVariant toStorage(FieldType type, const QVariant &v)
{
    if (!v.isValid())
        return QVariant(QMetaType::fromType<QString>()); // bound as NULL
    switch (type) {
    case FieldType::Date:
        return v.toDate().toString(Qt::ISODate);
    case FieldType::Boolean:
        return v.toBool() ? 1 : 0;
    default:
        return v;
    }
}

QVariant fromStorage(FieldType type, const QVariant &v)
{
    if (v.isNull())
        return {};
    switch (type) {
    case FieldType::AutoInc:
    case FieldType::Integer:
    case FieldType::Short:
        return QVariant::fromValue<qint64>(v.toLongLong());
    case FieldType::Float:
        return v.toDouble();
    case FieldType::Boolean:
        return v.toLongLong() != 0;
    case FieldType::Date: {
        const QDate d = QDate::fromString(v.toString().left(10), Qt::ISODate);
        return d.isValid() ? QVariant(d) : QVariant();
    }
    case FieldType::String:
    case FieldType::Memo: {
        const QString s = v.toString();
        return s.isEmpty() ? QVariant() : QVariant(s);
    }
    }
    return {};
}

} // namespace pelorin::db
