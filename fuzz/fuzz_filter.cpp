// The filter parser and evaluator on any text: a filter typed wrong must give a message, never a crash.
#include "filter.h"

#include <QDate>
#include <QString>
#include <QVariant>
#include <cstddef>
#include <cstdint>

using namespace pelorin::db;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    // Three fields of the kinds the register has: a text, a number and a date.
    const auto lookup = [](const QString &name) -> std::optional<Filter::FieldInfo> {
        if (name.compare(QLatin1String("Last_Name"), Qt::CaseInsensitive) == 0)
            return Filter::FieldInfo{0, FieldType::String};
        if (name.compare(QLatin1String("ID_man"), Qt::CaseInsensitive) == 0)
            return Filter::FieldInfo{1, FieldType::Integer};
        if (name.compare(QLatin1String("Vip_date"), Qt::CaseInsensitive) == 0)
            return Filter::FieldInfo{2, FieldType::Date};
        return std::nullopt;
    };
    QString error;
    const std::unique_ptr<Filter> filter = Filter::parse(text, lookup, &error);
    if (filter) {
        const QVariant rows[][3] = {{QStringLiteral("Антонов"), qint64(7), QDate(2025, 3, 1)},
                                    {QVariant(), QVariant(), QVariant()}};
        for (const auto &row : rows)
            filter->matches(row);
    }
    return 0;
}
