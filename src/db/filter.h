#pragma once

#include "schema.h"

#include <QString>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>

namespace pelorin::db {

// A filter expression of the tables:
//   comparison  := field op constant          op: = <> > <
//   constant    := 'quoted text' | integer    a quoted constant is converted to the field's type
//   expression  := comparison | ( expression ) | expression AND expression | expression OR expression
// AND binds tighter than OR; keywords in any letter case; blanks around operators and parentheses
// are not significant. A quoted text ending in '*' compared with '=' is a prefix match.
// A blank field is lower than any constant and never equal to one. Text comparison is case-sensitive.
class Filter
{
public:
    struct FieldInfo
    {
        int index;
        FieldType type;
    };
    using FieldLookup = std::function<std::optional<FieldInfo>(const QString &name)>;
    // Values of the row being tested, by field index, in the in-memory form of the tables
    // (invalid QVariant for blank, qint64, double, QString, bool, QDate).
    using RowAccess = std::function<const QVariant &(int index)>;

    ~Filter();

    // Parses text; on a malformed expression returns nullptr and a Russian message in *error.
    // An empty or blank text is not a filter: callers treat it as "no filter".
    static std::unique_ptr<Filter> parse(const QString &text, const FieldLookup &lookup, QString *error);

    bool matches(const RowAccess &row) const;
    // Faster form for rows kept as arrays of values.
    bool matches(const QVariant *rowValues) const;

    struct Node;

private:
    explicit Filter(std::unique_ptr<Node> root);
    std::unique_ptr<Node> m_root;
};

} // namespace pelorin::db
