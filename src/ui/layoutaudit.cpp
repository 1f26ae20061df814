#include "layoutaudit.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTextDocumentFragment>
#include <QToolButton>

namespace pelorin::ui {

namespace {

QString shortText(QString text)
{
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    text.remove(QLatin1Char('&'));
    return text.size() > 40 ? text.left(37) + QStringLiteral("...") : text;
}

QString visibleText(const QWidget *w)
{
    if (auto *b = qobject_cast<const QAbstractButton *>(w))
        return b->text();
    if (auto *l = qobject_cast<const QLabel *>(w))
        return l->text();
    if (auto *g = qobject_cast<const QGroupBox *>(w))
        return g->title();
    if (auto *e = qobject_cast<const QLineEdit *>(w))
        return e->text();
    if (auto *c = qobject_cast<const QComboBox *>(w))
        return c->currentText();
    return {};
}

// A control as placed in the window: the widget, or the title of a group box.
struct Item
{
    QWidget *w;
    QRect r;         // in the window's coordinates
    QWidget *region; // the scroll area whose contents hold it; nullptr: the window itself
    bool title;
};

class Audit
{
public:
    explicit Audit(QWidget *window) : m_window(window) {}

    QStringList run()
    {
        collect(m_window, nullptr);
        checkPlaces();
        checkOverlaps();
        return m_faults;
    }

private:
    QRect mapped(const QWidget *w, const QRect &r) const
    {
        return QRect(w == m_window ? r.topLeft() : w->mapTo(m_window, r.topLeft()), r.size());
    }

    QString name(const Item &item) const
    {
        const QString control = describeControl(item.w);
        return item.title ? QStringLiteral("title of ") + control : control;
    }

    void fault(const QString &text) { m_faults << m_window->objectName() + QStringLiteral(": ") + text; }

    void add(QWidget *w, QWidget *region)
    {
        m_items.append({w, mapped(w, w->rect()), region, false});
        checkCaption(w);
    }

    static bool isContainer(const QWidget *w)
    {
        const QMetaObject *m = w->metaObject();
        return m == &QWidget::staticMetaObject || m == &QFrame::staticMetaObject ||
               m == &QStackedWidget::staticMetaObject || m == &QTabWidget::staticMetaObject ||
               qobject_cast<const QGroupBox *>(w);
    }

    static bool hasVisibleChildren(const QWidget *w)
    {
        for (const QObject *o : w->children()) {
            auto *c = qobject_cast<const QWidget *>(o);
            if (c && !c->isWindow() && c->isVisible())
                return true;
        }
        return false;
    }

    void collect(QWidget *parent, QWidget *region)
    {
        for (QObject *o : parent->children()) {
            auto *w = qobject_cast<QWidget *>(o);
            if (!w || w->isWindow() || !w->isVisible())
                continue;
            if (auto *scroll = qobject_cast<QScrollArea *>(w)) {
                // Its frame is one control for the rest of the window; its contents are checked
                // among themselves, wherever they are scrolled to.
                add(w, region);
                if (scroll->widget() && scroll->widget()->isVisible())
                    collect(scroll->widget(), scroll);
                continue;
            }
            if (qobject_cast<QAbstractScrollArea *>(w) || qobject_cast<QAbstractButton *>(w) ||
                qobject_cast<QComboBox *>(w) || qobject_cast<QAbstractSpinBox *>(w) || qobject_cast<QLineEdit *>(w) ||
                qobject_cast<QTabBar *>(w)) {
                add(w, region);
                continue;
            }
            if (auto *label = qobject_cast<QLabel *>(w)) {
                if (!label->text().isEmpty() || !label->pixmap().isNull())
                    add(w, region);
                continue;
            }
            if (auto *box = qobject_cast<QGroupBox *>(w); box && !box->title().isEmpty())
                addTitle(box, region);
            if (!hasVisibleChildren(w)) {
                // A widget that paints itself (a picture, a chart) is a control of its own.
                if (!isContainer(w))
                    add(w, region);
                continue;
            }
            collect(w, region);
        }
    }

    void addTitle(QGroupBox *box, QWidget *region)
    {
        QStyleOptionGroupBox option;
        option.initFrom(box);
        option.text = box->title();
        option.lineWidth = 1;
        option.midLineWidth = 0;
        option.textAlignment = box->alignment();
        option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        if (box->isCheckable())
            option.subControls |= QStyle::SC_GroupBoxCheckBox;
        if (box->isFlat())
            option.features |= QStyleOptionFrame::Flat;
        QRect title = box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box);
        if (box->isCheckable())
            title |= box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxCheckBox, box);
        const int needed = box->fontMetrics().horizontalAdvance(box->title());
        if (!box->rect().contains(title) || title.width() < needed)
            fault(QStringLiteral("title of %1 is cut (%2 px of %3)")
                      .arg(describeControl(box))
                      .arg(box->rect().intersected(title).width())
                      .arg(needed));
        m_items.append({box, mapped(box, title), region, true});
    }

    // The caption of a control fits it.
    void checkCaption(QWidget *w)
    {
        const QString what = describeControl(w);
        if (qobject_cast<QCheckBox *>(w) || qobject_cast<QRadioButton *>(w)) {
            const QSize hint = w->sizeHint();
            if (hint.width() > w->width() || hint.height() > w->height() + 1)
                fault(QStringLiteral("%1 is %2x%3, its indicator and caption need %4x%5")
                          .arg(what)
                          .arg(w->width())
                          .arg(w->height())
                          .arg(hint.width())
                          .arg(hint.height()));
            return;
        }
        if (qobject_cast<QPushButton *>(w) || qobject_cast<QToolButton *>(w)) {
            auto *b = static_cast<QAbstractButton *>(w);
            if (b->text().isEmpty())
                return;
            QString text = b->text();
            text.remove(QLatin1Char('&'));
            const int needed =
                b->fontMetrics().horizontalAdvance(text) + 8 + (b->icon().isNull() ? 0 : b->iconSize().width() + 4);
            if (needed > b->width() || b->fontMetrics().height() + 4 > b->height())
                fault(QStringLiteral("%1 is %2x%3, too small for its caption")
                          .arg(what)
                          .arg(b->width())
                          .arg(b->height()));
            return;
        }
        if (auto *label = qobject_cast<QLabel *>(w)) {
            if (label->text().isEmpty())
                return;
            if (label->wordWrap()) {
                if (label->heightForWidth(label->width()) > label->height() + 1)
                    fault(QStringLiteral("%1 is cut at the bottom").arg(what));
                return;
            }
            const QSize hint = label->minimumSizeHint();
            if (hint.width() > label->width() + 1 || hint.height() > label->height() + 1)
                fault(QStringLiteral("%1 is %2x%3, its text needs %4x%5")
                          .arg(what)
                          .arg(label->width())
                          .arg(label->height())
                          .arg(hint.width())
                          .arg(hint.height()));
            return;
        }
        if (auto *bar = qobject_cast<QTabBar *>(w)) {
            for (QToolButton *arrow : bar->findChildren<QToolButton *>()) {
                if (arrow->isVisible()) {
                    fault(QStringLiteral("%1: its tabs do not fit, the scroll arrows are shown").arg(what));
                    return;
                }
            }
            for (int i = 0; i < bar->count(); ++i) {
                if (!bar->isTabVisible(i))
                    continue;
                const QRect tab = bar->tabRect(i);
                if (!bar->rect().contains(tab) ||
                    tab.width() < bar->fontMetrics().horizontalAdvance(bar->tabText(i)) + 8)
                    fault(QStringLiteral("%1: tab \"%2\" is cut").arg(what, bar->tabText(i)));
            }
            return;
        }
        if (qobject_cast<QLineEdit *>(w) || qobject_cast<QComboBox *>(w) || qobject_cast<QAbstractSpinBox *>(w)) {
            if (w->minimumSizeHint().height() > w->height() + 1)
                fault(QStringLiteral("%1 is %2 px high, it needs %3")
                          .arg(what)
                          .arg(w->height())
                          .arg(w->minimumSizeHint().height()));
        }
    }

    // Inside the window (or the scrolled contents), and not cut by the box it sits in.
    void checkPlaces()
    {
        for (const Item &item : std::as_const(m_items)) {
            QWidget *stop = item.region ? static_cast<QScrollArea *>(item.region)->widget() : m_window;
            const QRect bounds = mapped(stop, stop->rect());
            if (!bounds.contains(item.r)) {
                fault(
                    QStringLiteral("%1 at %2,%3 %4x%5 lies outside %6")
                        .arg(name(item))
                        .arg(item.r.x())
                        .arg(item.r.y())
                        .arg(item.r.width())
                        .arg(item.r.height())
                        .arg(item.region
                                 ? QStringLiteral("the contents of ") + describeControl(item.region)
                                 : QStringLiteral("the window %1x%2").arg(m_window->width()).arg(m_window->height())));
                continue;
            }
            for (QWidget *p = item.w->parentWidget(); p && p != stop; p = p->parentWidget()) {
                if (!mapped(p, p->rect()).contains(item.r)) {
                    fault(QStringLiteral("%1 is cut by %2").arg(name(item), describeControl(p)));
                    break;
                }
            }
        }
    }

    void checkOverlaps()
    {
        for (int i = 0; i < m_items.size(); ++i) {
            const Item &a = m_items[i];
            for (int j = i + 1; j < m_items.size(); ++j) {
                const Item &b = m_items[j];
                if (a.region != b.region)
                    continue;
                if (related(a, b))
                    continue;
                const QRect common = a.r.intersected(b.r);
                if (common.width() < 2 || common.height() < 2)
                    continue;
                fault(QStringLiteral("%1 and %2 overlap (%3x%4 at %5,%6)")
                          .arg(name(a), name(b))
                          .arg(common.width())
                          .arg(common.height())
                          .arg(common.x())
                          .arg(common.y()));
            }
        }
    }

    // A control and what it contains are one thing; a title stays clear of everything in its box.
    static bool related(const Item &a, const Item &b)
    {
        if (a.w == b.w)
            return true;
        if (a.title && b.title)
            return false;
        if (a.title)
            return b.w->isAncestorOf(a.w);
        if (b.title)
            return a.w->isAncestorOf(b.w);
        return a.w->isAncestorOf(b.w) || b.w->isAncestorOf(a.w);
    }

    QWidget *m_window;
    QList<Item> m_items;
    QStringList m_faults;
};

} // namespace

QString describeControl(const QWidget *w)
{
    if (!w)
        return QStringLiteral("(none)");
    QString cls = QString::fromLatin1(w->metaObject()->className());
    cls = cls.mid(cls.lastIndexOf(QLatin1Char(':')) + 1);
    QString out = cls;
    if (!w->objectName().isEmpty())
        out += QLatin1Char(' ') + w->objectName();
    const QString text = visibleText(w);
    if (!text.isEmpty())
        out += QStringLiteral(" \"") +
               shortText(Qt::mightBeRichText(text) ? QTextDocumentFragment::fromHtml(text).toPlainText() : text) +
               QLatin1Char('"');
    else if (w->objectName().isEmpty() && w->parentWidget())
        out += QStringLiteral(" in ") + describeControl(w->parentWidget());
    return out;
}

QStringList layoutFaults(QWidget *window)
{
    return Audit(window).run();
}

} // namespace pelorin::ui
