#include "database.h"
#include "datamodules.h"
#include "formwait.h"
#include "tablemodel.h"

#include <QAbstractItemModelTester>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

using namespace pelorin;

class TableModelTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void followsTheTable();
    void waitWindowCaption();
};

void TableModelTest::followsTheTable()
{
    QTemporaryDir dir;
    db::Database database;
    QString error;
    QVERIFY2(database.open(dir.path(), &error), qPrintable(error));
    db::DM1 dm1(database);
    QVERIFY(dm1.open(&error));
    db::Table &r = *dm1.register_;
    r.addCalcHandler([](db::Table &t) { t.setValue("flag", t.isNull(QStringLiteral("Vip_date")) ? "!" : "-"); });
    ui::TableModel model(&r, {{QStringLiteral("Last_Name"), QStringLiteral("Фамилия")},
                              {QStringLiteral("Vip_date"), QStringLiteral("Выписка")},
                              {QStringLiteral("Ves"), QStringLiteral("Вес")},
                              {QStringLiteral("flag"), QStringLiteral("")}});
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(model.rowCount(), 0);
    r.append();
    r.setValue("Last_Name", QStringLiteral("Белов"));
    r.setValue("Vip_date", QDate(2026, 3, 5));
    r.setValue("Ves", 72.5);
    r.post();
    r.append();
    r.setValue("Last_Name", QStringLiteral("Антонов"));
    r.post();
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Фамилия"));
    QCOMPARE(model.index(0, 0).data().toString(), QStringLiteral("Антонов"));
    QCOMPARE(model.index(0, 3).data().toString(), QStringLiteral("!"));
    QCOMPARE(model.index(1, 1).data().toString(), QStringLiteral("05.03.2026"));
    QCOMPARE(model.index(1, 2).data().toString(), QStringLiteral("72,5"));
    QCOMPARE(model.index(1, 3).data().toString(), QStringLiteral("-"));
    r.last();
    r.edit();
    r.setValue("Ves", 70);
    QCOMPARE(model.index(1, 2).data().toString(), QStringLiteral("70"));
    r.cancel();
    QCOMPARE(model.index(1, 2).data().toString(), QStringLiteral("72,5"));
    QVERIFY(r.setFilter(QStringLiteral("Last_Name = 'Б*'")));
    QCOMPARE(model.rowCount(), 1);
    r.first();
    r.deleteRecord();
    QCOMPARE(model.rowCount(), 0);
}

void TableModelTest::waitWindowCaption()
{
    ui::Form_wait wait;
    QCOMPARE(wait.windowTitle(), QStringLiteral("Внимание! Пожалуйста  подождите! "));
    QVERIFY(wait.windowFlags() & Qt::WindowStaysOnTopHint);
    auto *label = wait.findChild<QLabel *>();
    QVERIFY(label);
    QCOMPARE(label->text(), QStringLiteral("Пожалуйста, подождите!"));
    QVERIFY(label->font().bold());
    wait.showWaiting();
    QVERIFY(wait.isVisible());
    wait.close(); // never closed by the user
    QVERIFY(wait.isVisible());
    wait.hideWaiting();
    QVERIFY(!wait.isVisible());
}

QTEST_MAIN(TableModelTest)
#include "tablemodel_test.moc"
