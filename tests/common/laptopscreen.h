#pragma once

// The clinic's smallest screen for window tests: an offscreen 1366 × 768 laptop less a 40 px task
// bar, so that windows open at their own size rather than at the 800 × 600 of the plain offscreen
// screen. Windows learn their frame only from a window manager; the title bar is assumed
// (ui::kAssumedTitleBar).
#include <QApplication>
#include <QTemporaryFile>
#include <QtTest>

#include <functional>

namespace pelorin::testing {

// Runs the test class on that screen; `prepare` sees the application before the test object exists.
template <class Test>
int runOnLaptopScreen(int argc, char *argv[], const std::function<void(QApplication &)> &prepare = {})
{
    QTemporaryFile screen;
    if (!screen.open())
        return 1;
    screen.write(R"({"synchronousWindowSystemEvents": false, "windowFrameMargins": false,
                     "screens": [{"name": "laptop", "x": 0, "y": 0, "width": 1366, "height": 728,
                                  "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    screen.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + screen.fileName().toLocal8Bit());
    QApplication app(argc, argv);
    if (prepare)
        prepare(app);
    Test test;
    return QTest::qExec(&test, argc, argv);
}

} // namespace pelorin::testing
