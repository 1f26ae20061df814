#include "dbnavigator.h"

#include "table.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QToolButton>

namespace pelorin::examination {

namespace {

enum class Glyph { First, Prior, Next, Last };

// The navigator's own small arrows, the same on every desktop style: a triangle, with a bar for
// the ends of the list.
QIcon arrowIcon(Glyph glyph, const QColor &colour)
{
    QPixmap pixmap(16, 16); // drawn at 16, shown smaller where room is short
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    const bool back = glyph == Glyph::First || glyph == Glyph::Prior;
    const bool end = glyph == Glyph::First || glyph == Glyph::Last;
    QPolygonF triangle;
    if (back)
        triangle << QPointF(11, 3) << QPointF(11, 13) << QPointF(4, 8);
    else
        triangle << QPointF(5, 3) << QPointF(5, 13) << QPointF(12, 8);
    if (end)
        triangle.translate(back ? 1.5 : -1.5, 0);
    p.drawPolygon(triangle);
    if (end)
        p.drawRect(back ? QRectF(2.5, 3, 2, 10) : QRectF(11.5, 3, 2, 10));
    p.end();
    return QIcon(pixmap);
}

} // namespace

DBNavigator::DBNavigator(db::Table *table, QWidget *parent) : QWidget(parent), m_table(table)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto make = [&](const char *name, Glyph glyph, const QString &tip, void (db::Table::*move)()) {
        auto *b = new QToolButton(this);
        b->setObjectName(QString::fromLatin1(name));
        QIcon icon = arrowIcon(glyph, palette().color(QPalette::Active, QPalette::ButtonText));
        icon.addPixmap(arrowIcon(glyph, palette().color(QPalette::Disabled, QPalette::ButtonText)).pixmap(16, 16),
                       QIcon::Disabled);
        b->setIcon(icon);
        b->setToolTip(tip);
        b->setAutoRaise(false);
        b->setIconSize(QSize(12, 12));
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        b->setFocusPolicy(Qt::NoFocus);
        connect(b, &QToolButton::clicked, this, [this, move] {
            if (m_table)
                (m_table->*move)();
        });
        layout->addWidget(b);
        return b;
    };
    m_first = make("nbFirst", Glyph::First, QStringLiteral("Первая запись"), &db::Table::first);
    m_prior = make("nbPrior", Glyph::Prior, QStringLiteral("Предыдущая запись"), &db::Table::prior);
    m_next = make("nbNext", Glyph::Next, QStringLiteral("Следующая запись"), &db::Table::next);
    m_last = make("nbLast", Glyph::Last, QStringLiteral("Последняя запись"), &db::Table::last);
    if (m_table) {
        connect(m_table, &db::Table::currentChanged, this, &DBNavigator::updateButtons);
        connect(m_table, &db::Table::rowsChanged, this, &DBNavigator::updateButtons);
    }
    updateButtons();
}

void DBNavigator::updateButtons()
{
    const int count = m_table ? m_table->recordCount() : 0;
    const int at = m_table ? m_table->recNo() : 0;
    m_first->setEnabled(at > 1);
    m_prior->setEnabled(at > 1);
    m_next->setEnabled(at < count);
    m_last->setEnabled(at < count);
}

} // namespace pelorin::examination
