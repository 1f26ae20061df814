#include "diagnoz_calc.h"

#include "fieldvalue.h"
#include "table.h"
#include "texts.h"

#include <utility>

namespace pelorin::clinical {

using text::appendIf;
using text::closeList;
using text::cutToWidth;

namespace {

// Every block of the sentence is collected in a short string of the original platform.
constexpr int kShortString = 255;

void appendShort(QString &buffer, bool condition, const QString &phrase)
{
    appendIf(buffer, condition, phrase);
    buffer = cutToWidth(buffer, kShortString);
}

using Phrases = std::initializer_list<std::pair<const char *, const char *>>;

// One block: the phrase of each set field, in the given order.
QString block(const DiagnozRecord &r, Phrases phrases)
{
    QString buffer;
    for (const auto &[field, phrase] : phrases)
        appendShort(buffer, r.b(QString::fromLatin1(field)), QString::fromUtf8(phrase));
    return buffer;
}

QString psoriasisBlock(const DiagnozRecord &r)
{
    const bool plaque = r.b(QStringLiteral("A1_3"));
    const bool spread = r.b(QStringLiteral("12"));
    QString buffer = block(r, {{"A1_1", "фолликулярня форма, "}, {"A1_2", "каплевидная форма, "}});
    appendShort(buffer, plaque && spread, QStringLiteral("распространенно - бляшечная форма, "));
    appendShort(buffer, plaque && !spread, QStringLiteral("бляшечная форма, "));
    buffer += block(r, {{"A1_4", "экссудативная форма, "},
                        {"A1_5", "себорейная форма, "},
                        {"A1_6", "эритродермическая форма, "},
                        {"A1_7", "артропатическая форма, "},
                        {"A1_8", "пустулезная форма, "},
                        {"A1_9", "ладоней и подошв, "},
                        {"A1_10", "ногтей, "},
                        {"A1_11", "волосистой части головы, "},
                        {"A1_12", "складок, "}});
    return cutToWidth(buffer, kShortString);
}

QString atopicBlock(const DiagnozRecord &r)
{
    return block(r, {{"B1_1", "экссудативная  форма, "},
                     {"B1_2", "эритерматозно-сквамозная  форма, "},
                     {"B1_3", "эритерматозно-сквамозная  форма с лихенификацией, "},
                     {"B1_4", "лихеноидная  форма, "},
                     {"B1_5", "пругигоподобная  форма, "}});
}

QString spreadBlock(const DiagnozRecord &r)
{
    const QString sites = block(r, {{"111", "волосистой части головы, "},
                                    {"112", "ладоней, "},
                                    {"113", "подошв, "},
                                    {"114", "ногтей, "},
                                    {"115", "складок, "},
                                    {"116", "коленных суставов, "},
                                    {"117", "локтевых суставов, "},
                                    {"118", "лица, "},
                                    {"119", "шеи, "},
                                    {"1110", "стоп, "},
                                    {"1111", "кистей рук, "}});
    QString buffer;
    if (!sites.isEmpty()) {
        // The sites' final ", " closes the bracket instead.
        appendShort(buffer, true,
                    QStringLiteral("локализованный ( ") + sites.left(sites.size() - 2) + QStringLiteral(" ), "));
    }
    appendShort(buffer, r.b(QStringLiteral("12")) && !r.b(QStringLiteral("A1_3")),
                QStringLiteral("распространенный, "));
    appendShort(buffer, r.b(QStringLiteral("13")), QStringLiteral("диффузный, "));
    return buffer;
}

QString stageBlock(const DiagnozRecord &r)
{
    return block(r, {{"21", "стадия обострения, "},
                     {"22", "стадия подострая, "},
                     {"23", "хроническая стадия, "},
                     {"24", "стационарная стадия, "},
                     {"25", "стадия регресса высыпаний, "},
                     {"26", "стадия ремиссии, "}});
}

QString severity(qint64 value)
{
    switch (value) {
    case 1:
        return QStringLiteral("лёгкое течение, ");
    case 2:
        return QStringLiteral("средней тяжести, ");
    case 3:
        return QStringLiteral("тяжелое течение, ");
    default:
        return {};
    }
}

QString effect(qint64 value)
{
    switch (value) {
    case 1:
        return QStringLiteral("клиническое выздоровление. ");
    case 2:
        return QStringLiteral("значительное улучшение. ");
    case 3:
        return QStringLiteral("улучшение. ");
    case 4:
        return QStringLiteral("без улучшения. ");
    default:
        return {};
    }
}

// 1-based place of the row being calculated among the rows the table shows; -1 for a row not
// stored yet (it has no key) or one the table does not show.
int placeInList(const db::Table &t)
{
    const QVariant key = t.value(QStringLiteral("ID"));
    if (!key.isValid())
        return -1;
    const int keyIndex = t.fieldIndex(QStringLiteral("ID"));
    const qint64 id = db::valueAsInteger(key);
    for (int row = 0; row < t.recordCount(); ++row) {
        const QVariant v = t.valueAt(row, keyIndex);
        if (v.isValid() && db::valueAsInteger(v) == id)
            return row + 1;
    }
    return -1;
}

} // namespace






QString diagnozList(const DiagnozRecord &r)
{
    QString w;

    const QString psoriasis = psoriasisBlock(r);
    if (!psoriasis.isEmpty())
        w += QStringLiteral("псориаз, ") + psoriasis;
    else if (r.b(QStringLiteral("B1")))
        w += QStringLiteral("псориаз, ");

    const QString atopic = atopicBlock(r);
    if (!atopic.isEmpty())
        w += QStringLiteral("атопический дерматит, ") + atopic;
    else if (r.b(QStringLiteral("B2")))
        w += QStringLiteral("атопический дерматит, ");

    w += spreadBlock(r);

    const QString stage = stageBlock(r);
    if (!stage.isEmpty())
        w += QStringLiteral(" ") + stage;

    w += severity(r.i(QStringLiteral("30")));
    w += effect(r.i(QStringLiteral("40")));

    if (!w.isEmpty())
        w = closeList(w);

    const QString other = r.s(QStringLiteral("C1"));
    if (!other.isEmpty()) {
        if (!r.b(QStringLiteral("B1")) && !r.b(QStringLiteral("B2"))) {
            w = other + QStringLiteral(" ") + w;
        } else {
            if (w.size() >= 2)
                w[w.size() - 2] = QLatin1Char(';');
            w += other + QStringLiteral(".");
        }
    }
    return cutToWidth(w, diagnoz_width::List);
}

QString diagnozTextType(const DiagnozRecord &r)
{
    const QString status = r.s(QStringLiteral("Text"));
    if (status == QStringLiteral("Диагноз при первом поступлении"))
        return QStringLiteral("Поступил впервые");
    if (status == QStringLiteral("Диагноз при поступлении"))
        return QStringLiteral("Поступил");
    if (status == QStringLiteral("Диагноз при выписке"))
        return QStringLiteral("Выписан");
    return {};
}

qint64 kursCalk(qint64 bornDay, int place)
{
    if (bornDay == 0)
        return 0;
    // C++ division truncates toward zero, as the course rule wants for the unstored place -1.
    return (place + 1) / 2 + bornDay - 1;
}

void installDiagnozCalc(db::Table &diagnoz)
{
    diagnoz.addCalcHandler([](db::Table &t) {
        const DiagnozRecord r = DiagnozRecord::fromTable(t);
        const qint64 bornDay = t.master() ? t.master()->asInteger(QStringLiteral("Born_Day")) : 0;
        t.setValue(QStringLiteral("kurs_calk"), kursCalk(bornDay, placeInList(t)));
        t.setValue(QStringLiteral("Text_type"), diagnozTextType(r));
        t.setValue(QStringLiteral("List"), diagnozList(r));
    });
}

} // namespace pelorin::clinical
