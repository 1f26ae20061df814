#pragma once

// What the window tests do as the doctor would: type Russian text, click a box where its indicator
// is, pick an item of an open list.
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QtTest>

namespace pelorin::testing {

// QTest::keyClicks only knows Latin-1; the doctors type Russian.
inline void typeText(QWidget *w, const QString &text)
{
    for (const QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key(ch.toUpper().unicode()), QString(ch), Qt::NoModifier);
}

// A click on the box's indicator: the middle of a wide box may lie beside its caption.
inline void clickButton(QAbstractButton *button)
{
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
}

// The keys the doctor uses in an open list; a click may miss a row of a long list offscreen.
inline bool pickItem(QComboBox *combo, int item)
{
    combo->showPopup();
    QAbstractItemView *view = combo->view();
    if (!QTest::qWaitForWindowExposed(view->window()))
        return false;
    view->setCurrentIndex(view->model()->index(item, 0));
    QTest::keyClick(view, Qt::Key_Return);
    return combo->currentIndex() == item;
}

} // namespace pelorin::testing
