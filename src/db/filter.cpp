#include "filter.h"

#include <QDate>
#include <QMetaType>

#include <algorithm>
#include <cmath>
#include <vector>

namespace pelorin::db {

// A parsed filter is a tree of AND / OR nodes over comparisons. Every constant is converted
// to the compared field's kind while parsing, so that testing a row reads the value in place
// and compares it with a ready number, date or text: refiltering the whole register has to
// stay far below what the user could notice.
struct Filter::Node
{
    enum class Kind { And, Or, Compare };
    enum class Op { Equal, NotEqual, Greater, Less };
    enum class ValueKind { Integer, Float, Text, Date, Boolean };

    Kind kind = Kind::Compare;
    std::vector<std::unique_ptr<Node>> children; // And, Or

    int index = -1;
    Op op = Op::Equal;
    ValueKind valueKind = ValueKind::Text;
    // An empty constant ('' or a quoted blank for non-text fields) stands for the blank value:
    // '=' then finds blank fields and '<>' the filled ones.
    bool blankConstant = false;
    // Text '=' / '<>' against a constant ending in '*': the constant without the star is a prefix.
    bool prefix = false;
    qint64 integer = 0; // Integer fields, Boolean (0/1) and Date (Julian day)
    double real = 0;    // Float fields
    QString text;       // Text fields
};

namespace {

using Node = Filter::Node;

constexpr int kMaxNesting = 100;

// ---------------------------------------------------------------------------------------------
// Evaluation

// The value of a field of the given kind, read without copying it out of the QVariant.
// Returns false for a blank field; an empty text counts as blank, as it does everywhere else
// in the tables.
inline bool readInteger(const QVariant &v, qint64 &out)
{
    if (!v.isValid())
        return false;
    if (v.typeId() == QMetaType::LongLong)
        out = *static_cast<const qint64 *>(v.constData());
    else
        out = v.toLongLong();
    return true;
}

inline bool readFloat(const QVariant &v, double &out)
{
    if (!v.isValid())
        return false;
    if (v.typeId() == QMetaType::Double)
        out = *static_cast<const double *>(v.constData());
    else
        out = v.toDouble();
    return true;
}

inline bool readDay(const QVariant &v, qint64 &out)
{
    if (!v.isValid())
        return false;
    const QDate date = v.typeId() == QMetaType::QDate ? *static_cast<const QDate *>(v.constData()) : v.toDate();
    if (!date.isValid())
        return false;
    out = date.toJulianDay();
    return true;
}

inline bool readBoolean(const QVariant &v, qint64 &out)
{
    if (!v.isValid())
        return false;
    const bool b = v.typeId() == QMetaType::Bool ? *static_cast<const bool *>(v.constData()) : v.toBool();
    out = b ? 1 : 0;
    return true;
}

template <class T> inline int threeWay(const T &a, const T &b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

inline bool outcome(Node::Op op, int order)
{
    switch (op) {
    case Node::Op::Equal:
        return order == 0;
    case Node::Op::NotEqual:
        return order != 0;
    case Node::Op::Greater:
        return order > 0;
    case Node::Op::Less:
        return order < 0;
    }
    return false;
}

// A blank field sorts below every constant and equals none of them.
inline bool blankFieldOutcome(const Node &n)
{
    if (n.blankConstant)
        return n.op == Node::Op::Equal;
    return n.op == Node::Op::NotEqual || n.op == Node::Op::Less;
}

// A filled field against the blank constant: it is above it and differs from it.
inline bool filledAgainstBlankOutcome(Node::Op op)
{
    return op == Node::Op::NotEqual || op == Node::Op::Greater;
}

bool compareText(const Node &n, const QString &value)
{
    if (value.isEmpty())
        return blankFieldOutcome(n);
    if (n.blankConstant)
        return filledAgainstBlankOutcome(n.op);
    if (n.prefix) {
        const bool starts = value.startsWith(n.text);
        return n.op == Node::Op::Equal ? starts : !starts;
    }
    return outcome(n.op, QString::compare(value, n.text));
}

bool compareValue(const Node &n, const QVariant &v)
{
    if (n.valueKind == Node::ValueKind::Text) {
        if (!v.isValid())
            return blankFieldOutcome(n);
        if (v.typeId() == QMetaType::QString)
            return compareText(n, *static_cast<const QString *>(v.constData()));
        return compareText(n, v.toString());
    }

    if (n.valueKind == Node::ValueKind::Float) {
        double x = 0;
        if (!readFloat(v, x))
            return blankFieldOutcome(n);
        if (n.blankConstant)
            return filledAgainstBlankOutcome(n.op);
        return outcome(n.op, threeWay(x, n.real));
    }

    qint64 x = 0;
    bool filled = false;
    switch (n.valueKind) {
    case Node::ValueKind::Integer:
        filled = readInteger(v, x);
        break;
    case Node::ValueKind::Date:
        filled = readDay(v, x);
        break;
    case Node::ValueKind::Boolean:
        filled = readBoolean(v, x);
        break;
    case Node::ValueKind::Float:
    case Node::ValueKind::Text:
        break;
    }
    if (!filled)
        return blankFieldOutcome(n);
    if (n.blankConstant)
        return filledAgainstBlankOutcome(n.op);
    return outcome(n.op, threeWay(x, n.integer));
}

template <class Row> bool evaluate(const Node &n, const Row &row)
{
    switch (n.kind) {
    case Node::Kind::And:
        for (const auto &child : n.children)
            if (!evaluate(*child, row))
                return false;
        return true;
    case Node::Kind::Or:
        for (const auto &child : n.children)
            if (evaluate(*child, row))
                return true;
        return false;
    case Node::Kind::Compare:
        return compareValue(n, row(n.index));
    }
    return false;
}

// ---------------------------------------------------------------------------------------------
// Lexer

struct Token
{
    enum class Type { End, Ident, Integer, Quoted, Op, LParen, RParen, Bad };
    Type type = Type::End;
    int pos = 0;
    int length = 0;
    QString value;   // identifier, integer digits, unquoted constant text, operator
    QString problem; // Bad: what is wrong here
};

inline bool isIdentStart(QChar c)
{
    return c.isLetter() || c == u'_';
}

inline bool isIdentPart(QChar c)
{
    return c.isLetterOrNumber() || c == u'_';
}

inline bool isOperatorChar(QChar c)
{
    return c == u'=' || c == u'<' || c == u'>' || c == u'!';
}

// Splits the whole text at once. Scanning stops at the first malformed piece, which becomes
// a Bad token in its place, so that the parser reports problems in reading order.
std::vector<Token> tokenize(const QString &s)
{
    std::vector<Token> tokens;
    const int n = int(s.size());
    int i = 0;
    while (true) {
        while (i < n && s.at(i).isSpace())
            ++i;
        Token t;
        t.pos = i;
        if (i >= n) {
            tokens.push_back(t);
            break;
        }
        const QChar c = s.at(i);
        if (c == u'(' || c == u')') {
            t.type = c == u'(' ? Token::Type::LParen : Token::Type::RParen;
            t.length = 1;
            ++i;
        } else if (isIdentStart(c)) {
            int j = i + 1;
            while (j < n && isIdentPart(s.at(j)))
                ++j;
            t.type = Token::Type::Ident;
            t.value = s.mid(i, j - i);
            t.length = j - i;
            i = j;
        } else if (c.isDigit() || (c == u'-' && i + 1 < n && s.at(i + 1).isDigit())) {
            int j = i + 1;
            while (j < n && s.at(j).isDigit())
                ++j;
            // "12.5", "12abc" or "1,5" are not integers; a quoted constant is needed for them.
            if (j < n && (isIdentPart(s.at(j)) || s.at(j) == u'.' || s.at(j) == u',')) {
                int k = j;
                while (k < n && (isIdentPart(s.at(k)) || s.at(k) == u'.' || s.at(k) == u','))
                    ++k;
                t.type = Token::Type::Bad;
                t.problem = QStringLiteral("константа «%1» не является целым числом; другие значения пишутся "
                                           "в одинарных кавычках")
                                .arg(s.mid(i, k - i));
                tokens.push_back(t);
                break;
            }
            t.type = Token::Type::Integer;
            t.value = s.mid(i, j - i);
            t.length = j - i;
            i = j;
        } else if (c == u'\'') {
            QString value;
            int j = i + 1;
            bool closed = false;
            while (j < n) {
                if (s.at(j) == u'\'') {
                    if (j + 1 < n && s.at(j + 1) == u'\'') {
                        value += u'\'';
                        j += 2;
                        continue;
                    }
                    closed = true;
                    ++j;
                    break;
                }
                value += s.at(j);
                ++j;
            }
            if (!closed) {
                t.type = Token::Type::Bad;
                t.problem = QStringLiteral("не закрыта кавычка у константы «%1»").arg(s.mid(i).trimmed());
                tokens.push_back(t);
                break;
            }
            t.type = Token::Type::Quoted;
            t.value = value;
            t.length = j - i;
            i = j;
        } else if (isOperatorChar(c)) {
            int j = i + 1;
            while (j < n && isOperatorChar(s.at(j)))
                ++j;
            const QString op = s.mid(i, j - i);
            if (op != u"=" && op != u"<>" && op != u">" && op != u"<") {
                t.type = Token::Type::Bad;
                t.problem = QStringLiteral("неизвестный оператор «%1»; допустимы =, <>, >, <").arg(op);
                tokens.push_back(t);
                break;
            }
            t.type = Token::Type::Op;
            t.value = op;
            t.length = j - i;
            i = j;
        } else {
            t.type = Token::Type::Bad;
            t.problem = QStringLiteral("недопустимый символ «%1»").arg(c);
            tokens.push_back(t);
            break;
        }
        tokens.push_back(t);
    }
    return tokens;
}

// ---------------------------------------------------------------------------------------------
// Constants

// day.month.year as the Russian short date format writes it; a one- or two-digit year falls
// into 1950..2049.
std::optional<QDate> parseShortDate(const QString &text)
{
    const QList<QStringView> parts = QStringView(text).split(u'.');
    if (parts.size() != 3)
        return std::nullopt;
    for (const QStringView part : parts) {
        if (part.isEmpty())
            return std::nullopt;
        for (const QChar c : part)
            if (c < u'0' || c > u'9')
                return std::nullopt;
    }
    if (parts[0].size() > 2 || parts[1].size() > 2 || parts[2].size() == 3 || parts[2].size() > 4)
        return std::nullopt;
    const int day = parts[0].toInt();
    const int month = parts[1].toInt();
    int year = parts[2].toInt();
    if (parts[2].size() <= 2)
        year += year < 50 ? 2000 : 1900;
    const QDate date(year, month, day);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

// ---------------------------------------------------------------------------------------------
// Parser
//
//   or-expression  := and-expression { OR and-expression }
//   and-expression := primary { AND primary }
//   primary        := ( or-expression ) | field op constant

class Parser
{
public:
    Parser(const QString &text, const Filter::FieldLookup &lookup)
        : m_text(text), m_lookup(lookup), m_tokens(tokenize(text))
    {
    }

    std::unique_ptr<Node> parse()
    {
        auto root = parseOr(0);
        if (!root)
            return nullptr;
        const Token &t = peek();
        if (t.type == Token::Type::End)
            return root;
        if (t.type == Token::Type::Bad)
            return fail(t.problem);
        if (t.type == Token::Type::RParen)
            return fail(QStringLiteral("лишняя закрывающая скобка «)»"));
        const QString rest = m_text.mid(t.pos).trimmed();
        // A comparison or a parenthesis right after a finished one usually means a lost AND / OR.
        if (t.type == Token::Type::Ident || t.type == Token::Type::LParen)
            return fail(QStringLiteral("лишний текст «%1» после конца выражения (не хватает AND или OR?)").arg(rest));
        return fail(QStringLiteral("лишний текст «%1» после конца выражения").arg(rest));
    }

    const QString &problem() const { return m_problem; }

private:
    const Token &peek() const { return m_tokens[m_pos]; }
    const Token &take() { return m_tokens[m_pos++]; }

    std::unique_ptr<Node> fail(const QString &problem)
    {
        if (m_problem.isEmpty())
            m_problem = problem;
        return nullptr;
    }

    QString sourceOf(const Token &t) const { return m_text.mid(t.pos, t.length); }

    bool isKeyword(const Token &t, QStringView word) const
    {
        return t.type == Token::Type::Ident && t.value.compare(word, Qt::CaseInsensitive) == 0;
    }

    // The Bad token's own message, or what was expected and what stands there instead.
    std::unique_ptr<Node> unexpected(const Token &t, const QString &expected, const QString &after)
    {
        if (t.type == Token::Type::Bad)
            return fail(t.problem);
        if (t.type == Token::Type::End)
            return fail(QStringLiteral("выражение оборвано после «%1»: ожидается %2").arg(after, expected));
        if (!after.isEmpty())
            return fail(QStringLiteral("после «%1» ожидается %2, а найдено «%3»").arg(after, expected, sourceOf(t)));
        return fail(QStringLiteral("ожидается %1, а найдено «%2»").arg(expected, sourceOf(t)));
    }

    // Collects the operands of one AND or OR chain; a nested chain of the same kind, written
    // in parentheses, is merged into it.
    static std::unique_ptr<Node> join(Node::Kind kind, std::vector<std::unique_ptr<Node>> operands)
    {
        if (operands.size() == 1)
            return std::move(operands.front());
        auto node = std::make_unique<Node>();
        node->kind = kind;
        for (auto &operand : operands) {
            if (operand->kind == kind) {
                for (auto &grandchild : operand->children)
                    node->children.push_back(std::move(grandchild));
            } else {
                node->children.push_back(std::move(operand));
            }
        }
        return node;
    }

    std::unique_ptr<Node> parseOr(int depth, const QString &after = QString())
    {
        std::vector<std::unique_ptr<Node>> operands;
        auto first = parseAnd(depth, after);
        if (!first)
            return nullptr;
        operands.push_back(std::move(first));
        while (isKeyword(peek(), u"or")) {
            const QString keyword = take().value;
            auto next = parseAnd(depth, keyword);
            if (!next)
                return nullptr;
            operands.push_back(std::move(next));
        }
        return join(Node::Kind::Or, std::move(operands));
    }

    std::unique_ptr<Node> parseAnd(int depth, const QString &after = QString())
    {
        std::vector<std::unique_ptr<Node>> operands;
        auto first = parsePrimary(depth, after);
        if (!first)
            return nullptr;
        operands.push_back(std::move(first));
        while (isKeyword(peek(), u"and")) {
            const QString keyword = take().value;
            auto next = parsePrimary(depth, keyword);
            if (!next)
                return nullptr;
            operands.push_back(std::move(next));
        }
        return join(Node::Kind::And, std::move(operands));
    }

    std::unique_ptr<Node> parsePrimary(int depth, const QString &after)
    {
        const Token &t = peek();
        if (t.type == Token::Type::LParen) {
            take();
            if (depth >= kMaxNesting)
                return fail(QStringLiteral("слишком глубокая вложенность скобок"));
            auto inner = parseOr(depth + 1, QStringLiteral("("));
            if (!inner)
                return nullptr;
            const Token &close = peek();
            if (close.type == Token::Type::RParen) {
                take();
                return inner;
            }
            if (close.type == Token::Type::End)
                return fail(QStringLiteral("не хватает закрывающей скобки «)»"));
            return unexpected(close, QStringLiteral("«)», AND или OR"), QString());
        }
        if (t.type == Token::Type::Ident && !isKeyword(t, u"and") && !isKeyword(t, u"or"))
            return parseComparison();
        const QString expected = QStringLiteral("сравнение «поле оператор константа»");
        if (t.type == Token::Type::RParen && after == u"(")
            return fail(QStringLiteral("пустые скобки «()»"));
        return unexpected(t, expected, after);
    }

    std::unique_ptr<Node> parseComparison()
    {
        const Token &fieldToken = take();
        const QString field = fieldToken.value;
        const std::optional<Filter::FieldInfo> info = m_lookup ? m_lookup(field) : std::nullopt;
        if (!info)
            return fail(QStringLiteral("неизвестное поле «%1»").arg(field));

        const Token &opToken = peek();
        if (opToken.type != Token::Type::Op)
            return unexpected(opToken, QStringLiteral("оператор сравнения (=, <>, >, <)"), field);
        take();

        auto node = std::make_unique<Node>();
        node->kind = Node::Kind::Compare;
        node->index = info->index;
        if (opToken.value == u"=")
            node->op = Node::Op::Equal;
        else if (opToken.value == u"<>")
            node->op = Node::Op::NotEqual;
        else if (opToken.value == u">")
            node->op = Node::Op::Greater;
        else
            node->op = Node::Op::Less;

        const Token &constant = peek();
        const QString comparison = field + u' ' + opToken.value;
        if (constant.type != Token::Type::Quoted && constant.type != Token::Type::Integer)
            return unexpected(constant, QStringLiteral("константа в одинарных кавычках или целое число"), comparison);
        take();
        if (!convertConstant(*node, info->type, field, constant))
            return nullptr;
        return node;
    }

    bool convertConstant(Node &node, FieldType type, const QString &field, const Token &constant)
    {
        const bool quoted = constant.type == Token::Type::Quoted;
        const QString written = sourceOf(constant);
        auto reject = [&](const QString &what) {
            fail(QStringLiteral("константа «%1» не подходит полю «%2»: %3").arg(written, field, what));
            return false;
        };

        switch (type) {
        case FieldType::AutoInc:
        case FieldType::Integer:
        case FieldType::Short: {
            node.valueKind = Node::ValueKind::Integer;
            const QString value = constant.value.trimmed();
            if (quoted && value.isEmpty()) {
                node.blankConstant = true;
                return true;
            }
            bool ok = false;
            node.integer = value.toLongLong(&ok, 10);
            if (!ok) {
                const QStringView digits = QStringView(value).mid(value.startsWith(u'-') || value.startsWith(u'+'));
                const bool tooLong =
                    !digits.isEmpty() && std::all_of(digits.begin(), digits.end(), [](QChar c) { return c.isDigit(); });
                return reject(tooLong ? QStringLiteral("число слишком велико") : QStringLiteral("нужно целое число"));
            }
            return true;
        }
        case FieldType::Float: {
            node.valueKind = Node::ValueKind::Float;
            QString value = constant.value.trimmed();
            if (quoted && value.isEmpty()) {
                node.blankConstant = true;
                return true;
            }
            // Both the Russian decimal comma and the point are accepted.
            value.replace(u',', u'.');
            bool ok = false;
            node.real = value.toDouble(&ok);
            if (!ok || !std::isfinite(node.real))
                return reject(QStringLiteral("нужно число"));
            return true;
        }
        case FieldType::String:
        case FieldType::Memo:
            node.valueKind = Node::ValueKind::Text;
            node.text = constant.value;
            if (node.text.isEmpty()) {
                node.blankConstant = true;
                return true;
            }
            if (quoted && node.text.endsWith(u'*') && (node.op == Node::Op::Equal || node.op == Node::Op::NotEqual)) {
                node.prefix = true;
                node.text.chop(1);
            }
            return true;
        case FieldType::Date: {
            node.valueKind = Node::ValueKind::Date;
            if (!quoted)
                return reject(QStringLiteral("дата пишется в кавычках как день.месяц.год"));
            const QString value = constant.value.trimmed();
            if (value.isEmpty()) {
                node.blankConstant = true;
                return true;
            }
            const std::optional<QDate> date = parseShortDate(value);
            if (!date)
                return reject(QStringLiteral("нужна дата день.месяц.год"));
            node.integer = date->toJulianDay();
            return true;
        }
        case FieldType::Boolean: {
            node.valueKind = Node::ValueKind::Boolean;
            const QString value = constant.value.trimmed();
            if (quoted && value.isEmpty()) {
                node.blankConstant = true;
                return true;
            }
            if (value.compare(u"true", Qt::CaseInsensitive) == 0 || value.compare(u"t", Qt::CaseInsensitive) == 0 ||
                value == u"1")
                node.integer = 1;
            else if (value.compare(u"false", Qt::CaseInsensitive) == 0 ||
                     value.compare(u"f", Qt::CaseInsensitive) == 0 || value == u"0")
                node.integer = 0;
            else
                return reject(QStringLiteral("нужно True или False"));
            return true;
        }
        }
        return reject(QStringLiteral("неизвестный тип поля"));
    }

    const QString &m_text;
    const Filter::FieldLookup &m_lookup;
    std::vector<Token> m_tokens;
    size_t m_pos = 0;
    QString m_problem;
};

} // namespace

Filter::Filter(std::unique_ptr<Node> root) : m_root(std::move(root)) {}

Filter::~Filter() = default;

std::unique_ptr<Filter> Filter::parse(const QString &text, const FieldLookup &lookup, QString *error)
{
    if (error)
        error->clear();
    if (text.trimmed().isEmpty())
        return nullptr;

    Parser parser(text, lookup);
    std::unique_ptr<Node> root = parser.parse();
    if (!root) {
        if (error)
            *error = QStringLiteral("Ошибка в выражении фильтра «%1»: %2").arg(text.trimmed(), parser.problem());
        return nullptr;
    }
    return std::unique_ptr<Filter>(new Filter(std::move(root)));
}

bool Filter::matches(const RowAccess &row) const
{
    return evaluate(*m_root, row);
}

bool Filter::matches(const QVariant *rowValues) const
{
    return evaluate(*m_root, [rowValues](int index) -> const QVariant & { return rowValues[index]; });
}

} // namespace pelorin::db
