#pragma once

#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

class QWidget;

namespace pelorin::ui {

// The usable part of the smallest screen the clinic works on: 1366 × 768 less a task bar and a
// title bar.
inline constexpr QSize kSmallestScreen{1366, 700};

// What a doctor would see wrong in a shown window as it is laid out now: a control outside the
// window or cut by the box it sits in, two controls on the same place (a label on its own buddy
// included), a caption cut short (a check box whose indicator covers its text, a button or tab too
// narrow for its caption, a group box title wider than its box). One line per fault, naming the
// window and both controls by objectName or text. Controls inside a scroll area are checked
// against its contents; item views and text areas count as one control each.
QStringList layoutFaults(QWidget *window);

// "QPushButton Button5 "Применить и закрыть"": a control as the fault lines name it.
QString describeControl(const QWidget *w);

} // namespace pelorin::ui
