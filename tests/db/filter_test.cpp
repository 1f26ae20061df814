#include "filter.h"

#include <QtTest>

#include <vector>

using pelorin::db::FieldType;
using pelorin::db::Filter;

namespace {

// A row of a few fields of the register and the examination / procedure tables, enough
// to exercise every kind of constant.
enum Column { IdMan, LastName, VipDate, IdKurs, ExamDate, Weight, Flag, Notes, ColumnCount };

struct TestField
{
    const char *name;
    FieldType type;
};

const TestField kFields[ColumnCount] = {
    {"ID_man", FieldType::AutoInc},  {"Last_Name", FieldType::String}, {"Vip_date", FieldType::Date},
    {"Id_kurs", FieldType::Integer}, {"Date", FieldType::Date},        {"Ves", FieldType::Float},
    {"Flag", FieldType::Boolean},    {"Notes", FieldType::Memo},
};

std::optional<Filter::FieldInfo> lookup(const QString &name)
{
    for (int i = 0; i < ColumnCount; ++i)
        if (name.compare(QLatin1String(kFields[i].name), Qt::CaseInsensitive) == 0)
            return Filter::FieldInfo{i, kFields[i].type};
    return std::nullopt;
}

// Builds a row; every field not set stays blank.
struct Row
{
    QVariantList values = QVariantList(ColumnCount);

    Row &set(Column c, const QVariant &v)
    {
        values[c] = v;
        return *this;
    }
    Row &id(qint64 v) { return set(IdMan, v); }
    Row &name(const QString &v) { return set(LastName, v); }
    Row &vip(const QDate &v) { return set(VipDate, v); }
    Row &kurs(qint64 v) { return set(IdKurs, v); }
    Row &date(const QDate &v) { return set(ExamDate, v); }
    Row &weight(double v) { return set(Weight, v); }
    Row &flag(bool v) { return set(Flag, v); }
    Row &notes(const QString &v) { return set(Notes, v); }
    operator QVariantList() const { return values; }
};

const QString kArchive = QStringLiteral("( Vip_date > '01.01.2025' or Vip_date < '1.1.1910 ')");
const QString kBase = QStringLiteral("Last_Name <> 'ЫЫЫЫЫЫЫ' AND ( Vip_date > '01.01.2025' or Vip_date < '1.1.1910 ')");
const QString kNumberTab = QStringLiteral("( Vip_date > '01.01.2025' or Vip_date < '1.1.1990 ')");
const QString kExamArchive = QStringLiteral("( Date > '15.03.2025' or Date < '1.1.1910 ')");

// The alphabet tab's expression with the archive clause appended, as the patient list writes it.
QString withArchive(const char *tabFilter)
{
    return QString::fromUtf8(tabFilter) + QStringLiteral(" AND ") + kArchive;
}

const QString kTabLetters = QStringLiteral("АБВГДЕЁЖЗИКЛМНОПРСТУФХЦЧШЩЭЮЯ");
const QStringList kSurnames = {
    QStringLiteral("Абрамов"),  QStringLiteral("Борисова"),   QStringLiteral("Власов"),    QStringLiteral("Гусева"),
    QStringLiteral("Денисов"),  QStringLiteral("Егорова"),    QStringLiteral("Ёлкин"),     QStringLiteral("Жуков"),
    QStringLiteral("Зайцева"),  QStringLiteral("Ильин"),      QStringLiteral("Козлов"),    QStringLiteral("Лебедева"),
    QStringLiteral("Морозов"),  QStringLiteral("Никитина"),   QStringLiteral("Орлов"),     QStringLiteral("Петрова"),
    QStringLiteral("Романов"),  QStringLiteral("Соколова"),   QStringLiteral("Тихонов"),   QStringLiteral("Усова"),
    QStringLiteral("Фёдоров"),  QStringLiteral("Харитонова"), QStringLiteral("Цветков"),   QStringLiteral("Чернова"),
    QStringLiteral("Шевченко"), QStringLiteral("Щукина"),     QStringLiteral("Эйдельман"), QStringLiteral("Юдин"),
    QStringLiteral("Яковлева"),
};

} // namespace

class FilterTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void matches_data();
    void matches();
    void malformed_data();
    void malformed();
    void blankTextIsNoFilter_data();
    void blankTextIsNoFilter();
    void errorNamesFieldAndQuotesExpression();
    void nestedParentheses();
};

void FilterTest::matches_data()
{
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QVariantList>("row");
    QTest::addColumn<bool>("expected");

    const QDate recent(2025, 6, 1);
    const QDate old(2020, 3, 14);

    // Alphabet tabs: each letter takes its own surnames and no other tab's.
    QCOMPARE(kTabLetters.size(), kSurnames.size());
    for (qsizetype i = 0; i < kTabLetters.size(); ++i) {
        const QString expression = QStringLiteral("Last_Name = '%1*'").arg(kTabLetters.at(i));
        const QString own = kSurnames.at(i);
        const QString other = kSurnames.at((i + 1) % kSurnames.size());
        QTest::addRow("tab %s own", qPrintable(kTabLetters.at(i)))
            << expression << QVariantList(Row().name(own)) << true;
        QTest::addRow("tab %s other", qPrintable(kTabLetters.at(i)))
            << expression << QVariantList(Row().name(other)) << false;
    }
    QTest::newRow("tab Е skips Ё") << "Last_Name = 'Е*'" << QVariantList(Row().name("Ёлкин")) << false;
    QTest::newRow("tab Ё skips Е") << "Last_Name = 'Ё*'" << QVariantList(Row().name("Егорова")) << false;
    QTest::newRow("tab letter blank surname") << "Last_Name = 'А*'" << QVariantList(Row()) << false;
    QTest::newRow("prefix is case-sensitive") << "Last_Name = 'а*'" << QVariantList(Row().name("Абрамов")) << false;
    QTest::newRow("lower-case prefix") << "Last_Name = 'а*'" << QVariantList(Row().name("абрамов")) << true;
    QTest::newRow("multi-letter prefix") << "Last_Name = 'Абр*'" << QVariantList(Row().name("Абрамов")) << true;
    QTest::newRow("prefix longer than value")
        << "Last_Name = 'Абрамова*'" << QVariantList(Row().name("Абрамов")) << false;
    QTest::newRow("negated prefix") << "Last_Name <> 'А*'" << QVariantList(Row().name("Абрамов")) << false;
    QTest::newRow("negated prefix other") << "Last_Name <> 'А*'" << QVariantList(Row().name("Борисова")) << true;
    QTest::newRow("negated prefix blank") << "Last_Name <> 'А*'" << QVariantList(Row()) << true;
    QTest::newRow("star alone filled") << "Last_Name = '*'" << QVariantList(Row().name("Юдин")) << true;
    QTest::newRow("star alone blank") << "Last_Name = '*'" << QVariantList(Row()) << false;
    QTest::newRow("star alone negated") << "Last_Name <> '*'" << QVariantList(Row()) << true;
    QTest::newRow("star with > is literal") << "Last_Name > 'Я*'" << QVariantList(Row().name("Яковлева")) << true;

    // Tab "(*)" and the grid double click.
    QTest::newRow("id tab same") << "ID_man = '12'" << QVariantList(Row().id(12).name("Орлов")) << true;
    QTest::newRow("id tab other") << "ID_man = '12'" << QVariantList(Row().id(120).name("Орлов")) << false;
    QTest::newRow("id tab blank") << "ID_man = '12'" << QVariantList(Row()) << false;
    QTest::newRow("id tab with archive") << withArchive("ID_man = '12'") << QVariantList(Row().id(12)) << true;

    // The archive clause: recent and never discharged pass, discharged long ago does not.
    QTest::newRow("archive blank") << kArchive << QVariantList(Row()) << true;
    QTest::newRow("archive old") << kArchive << QVariantList(Row().vip(old)) << false;
    QTest::newRow("archive recent") << kArchive << QVariantList(Row().vip(recent)) << true;
    QTest::newRow("archive cut-off day") << kArchive << QVariantList(Row().vip(QDate(2025, 1, 1))) << false;
    QTest::newRow("archive day after") << kArchive << QVariantList(Row().vip(QDate(2025, 1, 2))) << true;
    QTest::newRow("archive before 1910") << kArchive << QVariantList(Row().vip(QDate(1905, 5, 5))) << true;
    QTest::newRow("number tab blank") << kNumberTab << QVariantList(Row()) << true;
    QTest::newRow("number tab 1985") << kNumberTab << QVariantList(Row().vip(QDate(1985, 1, 1))) << true;
    QTest::newRow("number tab old") << kNumberTab << QVariantList(Row().vip(old)) << false;

    // Tab "*" with archiving: the base comparison holds for everybody, the blank surname too.
    QTest::newRow("base blank everything") << kBase << QVariantList(Row()) << true;
    QTest::newRow("base recent") << kBase << QVariantList(Row().name("Петрова").vip(recent)) << true;
    QTest::newRow("base old") << kBase << QVariantList(Row().name("Петрова").vip(old)) << false;
    QTest::newRow("base never discharged") << kBase << QVariantList(Row().name("Петрова")) << true;
    QTest::newRow("letter tab with archive")
        << withArchive("Last_Name = 'П*'") << QVariantList(Row().name("Петрова").vip(recent)) << true;
    QTest::newRow("letter tab with archive old")
        << withArchive("Last_Name = 'П*'") << QVariantList(Row().name("Петрова").vip(old)) << false;
    QTest::newRow("letter tab with archive other")
        << withArchive("Last_Name = 'П*'") << QVariantList(Row().name("Орлов").vip(recent)) << false;

    // Course views of the procedures.
    QTest::newRow("course equal") << "Id_kurs = 2" << QVariantList(Row().kurs(2)) << true;
    QTest::newRow("course other") << "Id_kurs = 2" << QVariantList(Row().kurs(3)) << false;
    QTest::newRow("course blank") << "Id_kurs = 2" << QVariantList(Row()) << false;
    QTest::newRow("courses before last") << "Id_kurs < 3" << QVariantList(Row().kurs(2)) << true;
    QTest::newRow("courses before last, last") << "Id_kurs < 3" << QVariantList(Row().kurs(3)) << false;
    QTest::newRow("course 0 before") << "Id_kurs < 1" << QVariantList(Row().kurs(0)) << true;
    QTest::newRow("negative constant") << "Id_kurs > -1" << QVariantList(Row().kurs(0)) << true;

    // Examination archive.
    QTest::newRow("exam archive blank") << kExamArchive << QVariantList(Row()) << true;
    QTest::newRow("exam archive recent") << kExamArchive << QVariantList(Row().date(QDate(2025, 3, 16))) << true;
    QTest::newRow("exam archive old") << kExamArchive << QVariantList(Row().date(QDate(2025, 3, 15))) << false;

    // A blank field is below every constant and equal to none.
    struct BlankCase
    {
        const char *field;
        const char *constant;
    };
    const BlankCase blanks[] = {
        {"Last_Name", "'Абрамов'"}, {"Vip_date", "'01.01.2025'"}, {"Id_kurs", "0"}, {"ID_man", "'12'"}, {"Ves", "'0'"},
        {"Flag", "'False'"},        {"Notes", "'текст'"}};
    const struct
    {
        const char *op;
        bool expected;
    } blankOps[] = {{"=", false}, {"<>", true}, {"<", true}, {">", false}};
    for (const BlankCase &b : blanks)
        for (const auto &o : blankOps)
            QTest::addRow("blank %s %s", b.field, o.op)
                << QStringLiteral("%1 %2 %3")
                       .arg(QLatin1String(b.field), QLatin1String(o.op), QString::fromUtf8(b.constant))
                << QVariantList(Row()) << o.expected;

    // Every operator on filled values of each kind.
    QTest::newRow("text =") << "Last_Name = 'Орлов'" << QVariantList(Row().name("Орлов")) << true;
    QTest::newRow("text = longer") << "Last_Name = 'Орлов'" << QVariantList(Row().name("Орлова")) << false;
    QTest::newRow("text <>") << "Last_Name <> 'Орлов'" << QVariantList(Row().name("Орлова")) << true;
    QTest::newRow("text >") << "Last_Name > 'Орлов'" << QVariantList(Row().name("Петров")) << true;
    QTest::newRow("text <") << "Last_Name < 'Орлов'" << QVariantList(Row().name("Петров")) << false;
    QTest::newRow("text case") << "Last_Name = 'орлов'" << QVariantList(Row().name("Орлов")) << false;
    QTest::newRow("text blank inside quotes") << "Last_Name = 'Орлов '" << QVariantList(Row().name("Орлов")) << false;
    QTest::newRow("text doubled quote") << "Last_Name = 'О''Хара'" << QVariantList(Row().name("О'Хара")) << true;
    QTest::newRow("text doubled quote prefix") << "Last_Name = 'О''*'" << QVariantList(Row().name("О'Хара")) << true;
    QTest::newRow("text bare integer") << "Last_Name = 12" << QVariantList(Row().name("12")) << true;
    QTest::newRow("memo prefix") << "Notes = 'Жал*'" << QVariantList(Row().notes("Жалоб нет")) << true;
    QTest::newRow("empty constant finds blank") << "Last_Name = ''" << QVariantList(Row()) << true;
    QTest::newRow("empty constant not filled") << "Last_Name = ''" << QVariantList(Row().name("Юдин")) << false;
    QTest::newRow("not empty constant filled") << "Last_Name <> ''" << QVariantList(Row().name("Юдин")) << true;
    QTest::newRow("date quoted blank finds blank") << "Vip_date = ' '" << QVariantList(Row()) << true;
    QTest::newRow("date =") << "Vip_date = '05.03.2025'" << QVariantList(Row().vip(QDate(2025, 3, 5))) << true;
    QTest::newRow("date short form") << "Vip_date = '5.3.2025'" << QVariantList(Row().vip(QDate(2025, 3, 5))) << true;
    QTest::newRow("date blanks around") << "Vip_date = '  5.3.2025 '" << QVariantList(Row().vip(QDate(2025, 3, 5)))
                                        << true;
    QTest::newRow("date two-digit 25") << "Vip_date = '05.03.25'" << QVariantList(Row().vip(QDate(2025, 3, 5))) << true;
    QTest::newRow("date two-digit 49") << "Vip_date = '1.1.49'" << QVariantList(Row().vip(QDate(2049, 1, 1))) << true;
    QTest::newRow("date two-digit 50") << "Vip_date = '1.1.50'" << QVariantList(Row().vip(QDate(1950, 1, 1))) << true;
    QTest::newRow("date two-digit 99") << "Vip_date = '1.1.99'" << QVariantList(Row().vip(QDate(1999, 1, 1))) << true;
    QTest::newRow("date <>") << "Vip_date <> '05.03.2025'" << QVariantList(Row().vip(QDate(2025, 3, 6))) << true;
    QTest::newRow("integer quoted blanks") << "Id_kurs = ' 2 '" << QVariantList(Row().kurs(2)) << true;
    QTest::newRow("integer <>") << "Id_kurs <> 2" << QVariantList(Row().kurs(2)) << false;
    QTest::newRow("integer >") << "Id_kurs > 2" << QVariantList(Row().kurs(10)) << true;
    QTest::newRow("float comma") << "Ves = '72,5'" << QVariantList(Row().weight(72.5)) << true;
    QTest::newRow("float point") << "Ves > '72.4'" << QVariantList(Row().weight(72.5)) << true;
    QTest::newRow("float bare integer") << "Ves < 73" << QVariantList(Row().weight(72.5)) << true;
    QTest::newRow("boolean True") << "Flag = 'True'" << QVariantList(Row().flag(true)) << true;
    QTest::newRow("boolean t") << "Flag = 't'" << QVariantList(Row().flag(true)) << true;
    QTest::newRow("boolean FALSE") << "Flag = 'FALSE'" << QVariantList(Row().flag(true)) << false;
    QTest::newRow("boolean F") << "Flag = 'F'" << QVariantList(Row().flag(false)) << true;
    QTest::newRow("boolean 1") << "Flag = 1" << QVariantList(Row().flag(true)) << true;
    QTest::newRow("boolean 0") << "Flag = 0" << QVariantList(Row().flag(true)) << false;
    QTest::newRow("boolean > false") << "Flag > 'False'" << QVariantList(Row().flag(true)) << true;

    // Keywords in any case, layout and field names.
    const Row patient = Row().id(7).name("Орлов").kurs(2);
    QTest::newRow("and lower") << "Last_Name = 'О*' and Id_kurs = 2" << QVariantList(patient) << true;
    QTest::newRow("And mixed") << "Last_Name = 'О*' And Id_kurs = 3" << QVariantList(patient) << false;
    QTest::newRow("OR upper") << "Last_Name = 'А*' OR Id_kurs = 2" << QVariantList(patient) << true;
    QTest::newRow("oR mixed") << "Last_Name = 'А*' oR Id_kurs = 3" << QVariantList(patient) << false;
    QTest::newRow("no blanks") << "(Last_Name='О*')AND(Id_kurs<3)" << QVariantList(patient) << true;
    QTest::newRow("tabs and line breaks")
        << "\t( Last_Name = 'О*'\r\n)\nand\tId_kurs = 2 " << QVariantList(patient) << true;
    QTest::newRow("field name in other case") << "last_name = 'О*' AND ID_KURS = 2" << QVariantList(patient) << true;

    // AND binds tighter than OR; parentheses regroup.
    QTest::newRow("precedence a or b and c")
        << "Id_kurs = 2 or Id_kurs = 5 and ID_man = 1" << QVariantList(patient) << true;
    QTest::newRow("parentheses (a or b) and c")
        << "( Id_kurs = 2 or Id_kurs = 5 ) and ID_man = 1" << QVariantList(patient) << false;
    QTest::newRow("precedence a and b or c")
        << "ID_man = 1 and Id_kurs = 5 or Id_kurs = 2" << QVariantList(patient) << true;
    QTest::newRow("parentheses a and (b or c)")
        << "ID_man = 1 and ( Id_kurs = 5 or Id_kurs = 2 )" << QVariantList(patient) << false;
    QTest::newRow("nested parentheses") << "((ID_man = 7) and ((Id_kurs = 5) or (Last_Name = 'О*')))"
                                        << QVariantList(patient) << true;
    QTest::newRow("long or chain") << "Id_kurs = 1 or Id_kurs = 3 or Id_kurs = 4 or Id_kurs = 2"
                                   << QVariantList(patient) << true;
}

void FilterTest::matches()
{
    QFETCH(QString, expression);
    QFETCH(QVariantList, row);
    QFETCH(bool, expected);

    QString error = QStringLiteral("not cleared");
    const std::unique_ptr<Filter> filter = Filter::parse(expression, lookup, &error);
    QVERIFY2(filter, qPrintable(error));
    QVERIFY(error.isEmpty());
    QCOMPARE(filter->matches(row.constData()), expected);
    const Filter::RowAccess access = [&row](int index) -> const QVariant & { return row.at(index); };
    QCOMPARE(filter->matches(access), expected);
}

void FilterTest::malformed_data()
{
    QTest::addColumn<QString>("expression");

    QTest::newRow("unknown field") << "Vip_dat > '01.01.2025'";
    QTest::newRow("unknown field in or") << "( Vip_date > '01.01.2025' or Vip_dat < '1.1.1910 ')";
    QTest::newRow("missing constant") << "Id_kurs = ";
    QTest::newRow("missing constant before and") << "Id_kurs = AND ID_man = 1";
    QTest::newRow("missing operator") << "Id_kurs 2";
    QTest::newRow("field alone") << "Id_kurs";
    QTest::newRow("operator >=") << "Id_kurs >= 2";
    QTest::newRow("operator <=") << "Id_kurs <= 2";
    QTest::newRow("operator ==") << "Id_kurs == 2";
    QTest::newRow("operator !=") << "Id_kurs != 2";
    QTest::newRow("operator ><") << "Id_kurs >< 2";
    QTest::newRow("operator word") << "Id_kurs like 2";
    QTest::newRow("unclosed quote") << "Last_Name = 'А*";
    QTest::newRow("unclosed quote after doubled") << "Last_Name = 'О''";
    QTest::newRow("unclosed parenthesis") << "( Vip_date > '01.01.2025' or Vip_date < '1.1.1910 '";
    QTest::newRow("extra closing parenthesis") << "Vip_date > '01.01.2025' )";
    QTest::newRow("empty parentheses") << "()";
    QTest::newRow("lone parenthesis") << "(";
    QTest::newRow("trailing garbage") << "Id_kurs = 2 3";
    QTest::newRow("trailing word") << "Id_kurs = 2 xyz";
    QTest::newRow("trailing and") << "Id_kurs = 2 and";
    QTest::newRow("trailing or") << "Id_kurs = 2 OR ";
    QTest::newRow("leading and") << "and Id_kurs = 2";
    QTest::newRow("double and") << "Id_kurs = 2 and and ID_man = 1";
    QTest::newRow("constant first") << "'А*' = Last_Name";
    QTest::newRow("unquoted text") << "Last_Name = Абрамов";
    QTest::newRow("field to field") << "Id_kurs = ID_man";
    QTest::newRow("text for number") << "Id_kurs = 'abc'";
    QTest::newRow("fraction for integer") << "Id_kurs = '2.5'";
    QTest::newRow("bare fraction") << "Ves = 72.5";
    QTest::newRow("bare number with letters") << "Id_kurs = 2abc";
    QTest::newRow("number overflow") << "Id_kurs = 99999999999999999999";
    QTest::newRow("text for float") << "Ves = 'много'";
    QTest::newRow("bad date text") << "Vip_date > 'вчера'";
    QTest::newRow("bad date day") << "Vip_date > '32.01.2025'";
    QTest::newRow("bad date month") << "Vip_date > '01.13.2025'";
    QTest::newRow("bad date 29 Feb") << "Vip_date > '29.02.2023'";
    QTest::newRow("date with slashes") << "Vip_date > '01/01/2025'";
    QTest::newRow("date two parts") << "Vip_date > '01.01'";
    QTest::newRow("date three-digit year") << "Vip_date > '01.01.202'";
    QTest::newRow("date unquoted") << "Vip_date > 2025";
    QTest::newRow("bad boolean") << "Flag = 'Да'";
    QTest::newRow("bad boolean number") << "Flag = 2";
    QTest::newRow("stray character") << "Id_kurs = 2 # 3";
    QTest::newRow("stray minus") << "Id_kurs = - 2";
    QTest::newRow("double-quoted constant") << "Last_Name = \"А*\"";
    QTest::newRow("missing and") << "Id_kurs = 2 ID_man = 1";
    QTest::newRow("parenthesis after comparison") << "Id_kurs = 2 ( ID_man = 1 )";
}

void FilterTest::malformed()
{
    QFETCH(QString, expression);

    QString error;
    const std::unique_ptr<Filter> filter = Filter::parse(expression, lookup, &error);
    QVERIFY(!filter);
    QVERIFY(!error.isEmpty());
    QVERIFY2(error.startsWith(QStringLiteral("Ошибка в выражении фильтра «") + expression.trimmed() + u"»: "),
             qPrintable(error));
    // No null pointer is required for the message.
    QVERIFY(!Filter::parse(expression, lookup, nullptr));
}

void FilterTest::blankTextIsNoFilter_data()
{
    QTest::addColumn<QString>("expression");
    QTest::newRow("empty") << QString();
    QTest::newRow("blank") << "   ";
    QTest::newRow("tabs and line breaks") << "\t\r\n ";
}

void FilterTest::blankTextIsNoFilter()
{
    QFETCH(QString, expression);
    QString error = QStringLiteral("stale");
    QVERIFY(!Filter::parse(expression, lookup, &error));
    QVERIFY(error.isEmpty());
}

void FilterTest::errorNamesFieldAndQuotesExpression()
{
    QString error;
    QVERIFY(!Filter::parse(QStringLiteral("Vip_dat > '01.01.2025'"), lookup, &error));
    QCOMPARE(error, QStringLiteral("Ошибка в выражении фильтра «Vip_dat > '01.01.2025'»: неизвестное поле «Vip_dat»"));

    QVERIFY(!Filter::parse(QStringLiteral("Id_kurs >= 2"), lookup, &error));
    QVERIFY2(error.contains(QStringLiteral("«>=»")), qPrintable(error));

    QVERIFY(!Filter::parse(QStringLiteral("Id_kurs = 'abc'"), lookup, &error));
    QVERIFY2(error.contains(QStringLiteral("'abc'")) && error.contains(QStringLiteral("«Id_kurs»")), qPrintable(error));

    QVERIFY(!Filter::parse(QStringLiteral("( Id_kurs = 2"), lookup, &error));
    QVERIFY2(error.contains(QStringLiteral("скобк")), qPrintable(error));

    QVERIFY(!Filter::parse(QStringLiteral("Last_Name = 'А*"), lookup, &error));
    QVERIFY2(error.contains(QStringLiteral("кавычк")), qPrintable(error));

    // A later successful parse clears the message of the previous one.
    QVERIFY(Filter::parse(QStringLiteral("Id_kurs = 2"), lookup, &error));
    QVERIFY(error.isEmpty());
}

void FilterTest::nestedParentheses()
{
    const QVariantList row = Row().kurs(2);
    QString error;
    const QString deep = QString(50, u'(') + QStringLiteral("Id_kurs = 2") + QString(50, u')');
    const std::unique_ptr<Filter> filter = Filter::parse(deep, lookup, &error);
    QVERIFY2(filter, qPrintable(error));
    QVERIFY(filter->matches(row.constData()));

    // Pathological nesting is refused instead of exhausting the stack.
    const QString tooDeep = QString(100000, u'(') + QStringLiteral("Id_kurs = 2") + QString(100000, u')');
    QVERIFY(!Filter::parse(tooDeep, lookup, &error));
    QVERIFY(!error.isEmpty());
}

QTEST_GUILESS_MAIN(FilterTest)
#include "filter_test.moc"
