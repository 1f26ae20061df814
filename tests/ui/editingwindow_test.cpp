// The editing window's one closing step, whichever way the doctor closes the window, and the main
// window it holds while shown.
#include "editingwindow.h"

#include <QPushButton>
#include <QtTest>

#include <functional>

using namespace pelorin::ui;

namespace {

// A window whose closing step counts its runs and refuses while told to.
class Editor : public EditingWindow
{
public:
    using EditingWindow::EditingWindow;
    int closings = 0;
    bool refuse = false;

protected:
    bool closing() override
    {
        ++closings;
        return !refuse;
    }
};

using Way = std::function<void(Editor &)>;

} // namespace

Q_DECLARE_METATYPE(Way)

class EditingWindowTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyWayRunsTheClosingOnce_data()
    {
        QTest::addColumn<Way>("way");
        QTest::addColumn<int>("result");
        QTest::newRow("Esc") << Way([](Editor &w) { QTest::keyClick(&w, Qt::Key_Escape); }) << int(QDialog::Rejected);
        QTest::newRow("title bar") << Way([](Editor &w) { w.close(); }) << int(QDialog::Rejected);
        QTest::newRow("reject") << Way([](Editor &w) { w.reject(); }) << int(QDialog::Rejected);
        QTest::newRow("accept") << Way([](Editor &w) { w.accept(); }) << int(QDialog::Accepted);
        QTest::newRow("a close button") << Way([](Editor &w) {
            auto *button = new QPushButton(QStringLiteral("Закрыть"), &w);
            QObject::connect(button, &QPushButton::clicked, &w, &EditingWindow::reject);
            button->click();
        }) << int(QDialog::Rejected);
    }

    void everyWayRunsTheClosingOnce()
    {
        QFETCH(Way, way);
        QFETCH(int, result);
        QWidget main;
        Editor w;
        w.holdMainWindow(&main, [] { return true; });
        QSignalSpy finished(&w, &QDialog::finished);
        w.show();
        QVERIFY(!main.isEnabled());
        QVERIFY(w.locksMainWindow());

        w.refuse = true;
        way(w);
        QVERIFY2(w.isVisible(), "a refused closing keeps the window open");
        QCOMPARE(w.closings, 1);
        QVERIFY(!main.isEnabled());
        QCOMPARE(finished.count(), 0);

        w.refuse = false;
        way(w);
        QVERIFY(!w.isVisible());
        QCOMPARE(w.closings, 2);
        QCOMPARE(finished.count(), 1);
        QCOMPARE(w.result(), result);
        QVERIFY(main.isEnabled());
        QVERIFY(!w.locksMainWindow());

        // Opened again, the next closing runs its step again.
        w.show();
        w.close();
        QCOMPARE(w.closings, 3);
    }

    void holdsTheMainWindowOnlyWhenWanted()
    {
        QWidget main;
        Editor w;
        bool wanted = false;
        w.holdMainWindow(&main, [&wanted] { return wanted; });
        w.show();
        QVERIFY(main.isEnabled());
        w.close();
        wanted = true; // the clinic's setting changed between two openings
        w.show();
        QVERIFY(!main.isEnabled());
        w.hide(); // hidden by the program: given back as well
        QVERIFY(main.isEnabled());
    }

    void closingAHiddenWindowRunsNothing()
    {
        Editor w;
        w.close();
        QCOMPARE(w.closings, 0);
    }
};

QTEST_MAIN(EditingWindowTest)
#include "editingwindow_test.moc"
