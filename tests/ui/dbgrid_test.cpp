#include "database.h"
#include "datamodules.h"
#include "dbcontrols.h"
#include "dbgrid.h"
#include "dialogs.h"

#include <QAbstractItemModelTester>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QScrollBar>
#include <QSet>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTemporaryDir>
#include "uitest.h"

#include <QtTest>
#include <memory>

using namespace pelorin;

namespace {

using pelorin::testing::typeText;

struct Clinic
{
    QTemporaryDir dir;
    db::Database database;
    std::unique_ptr<db::DM1> dm1;

    // Patients "Пациент 01" .. "Пациент NN" (in that order by surname), card number = position;
    // every third one discharged ("-" in the flag column).
    bool open(int patients)
    {
        QString error;
        if (!database.open(dir.path(), &error)) {
            qWarning("%s", qPrintable(error));
            return false;
        }
        QSqlQuery q(database.sql());
        database.sql().transaction();
        q.prepare(QStringLiteral("INSERT INTO %1 (Last_Name, First_Name, Amb_karta, Vip_date) VALUES (?, ?, ?, ?)")
                      .arg(db::quoteIdentifier(QStringLiteral("register"))));
        for (int i = 1; i <= patients; ++i) {
            q.bindValue(0, QStringLiteral("Пациент %1").arg(i, 5, 10, QLatin1Char('0')));
            q.bindValue(1, QStringLiteral("Имя"));
            q.bindValue(2, i);
            q.bindValue(3,
                        i % 3 == 0 ? QVariant(QStringLiteral("2026-01-10")) : QVariant(QMetaType::fromType<QString>()));
            if (!q.exec()) {
                qWarning("insert failed");
                return false;
            }
        }
        database.sql().commit();
        dm1 = std::make_unique<db::DM1>(database);
        reg().addCalcHandler([](db::Table &t) {
            t.setValue("flag", t.isNull(QStringLiteral("Vip_date")) ? QStringLiteral("!") : QStringLiteral("-"));
        });
        return dm1->open(&error) && reg().recordCount() == patients;
    }

    db::Table &reg() { return *dm1->register_; }
};

QList<ui::TableModel::Column> columns()
{
    return {{QStringLiteral("Amb_karta"), QStringLiteral("№ а\\к")},
            {QStringLiteral("Last_Name"), QStringLiteral("Фамилия")},
            {QStringLiteral("First_Name"), QStringLiteral("Имя")},
            {QStringLiteral("Vip_date"), QStringLiteral("Последняя выписка")},
            {QStringLiteral("flag"), QString()}};
}

} // namespace

class DBGridTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void modelPassesTester();
    void currentRowFollowsTable();
    void userMovesTable();
    void refusedMoveKeepsGridOnRecord();
    void cellBackground();
    void hiddenColumnsAndWidths();
    void doubleClickEmitsRow();
    void tenThousandRows();
};

void DBGridTest::modelPassesTester()
{
    Clinic clinic;
    QVERIFY(clinic.open(5));
    db::Table &r = clinic.reg();
    ui::DBGrid grid(&r, columns());
    QAbstractItemModelTester tester(grid.model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(grid.model()->rowCount(), 5);
    QCOMPARE(grid.model()->columnCount(), 5);
    QCOMPARE(grid.model()->index(2, 1).data().toString(), QStringLiteral("Пациент 00003"));
    QCOMPARE(grid.model()->index(2, 4).data().toString(), QStringLiteral("-"));
    QCOMPARE(grid.model()->index(2, 3).data().toString(), QStringLiteral("10.01.2026"));
    QCOMPARE(grid.model()->index(0, 0).data(Qt::TextAlignmentRole).value<Qt::Alignment>(),
             Qt::AlignRight | Qt::AlignVCenter);
    QCOMPARE(grid.tableModel()->valueAt(1, QStringLiteral("Amb_karta")).toLongLong(), 2);
    r.append();
    r.setValue("Last_Name", QStringLiteral("Аверин"));
    QVERIFY(r.post());
    QCOMPARE(grid.model()->rowCount(), 6);
    QCOMPARE(grid.currentIndex().row(), 0);
    QVERIFY(r.setFilter(QStringLiteral("Last_Name = 'П*'")));
    QCOMPARE(grid.model()->rowCount(), 5);
    r.last();
    QVERIFY(r.deleteRecord());
    QCOMPARE(grid.model()->rowCount(), 4);
    QCOMPARE(grid.currentIndex().row(), 3);
    QVERIFY(r.setFilter(QStringLiteral("Last_Name = 'Я*'")));
    QCOMPARE(grid.model()->rowCount(), 0);
    QVERIFY(!grid.currentIndex().isValid());
}

void DBGridTest::currentRowFollowsTable()
{
    Clinic clinic;
    QVERIFY(clinic.open(200));
    db::Table &r = clinic.reg();
    ui::DBGrid grid(&r, columns());
    grid.resize(500, 300);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    QCOMPARE(grid.currentIndex().row(), 0);
    QVERIFY(grid.selectionModel()->isSelected(grid.currentIndex()));

    r.setRecNo(3);
    QCOMPARE(grid.currentIndex().row(), 2);
    QCOMPARE(grid.selectionModel()->selectedIndexes().size(), 1);
    QCOMPARE(grid.selectionModel()->selectedIndexes().first().row(), 2);

    // Far down: the grid scrolls to the record.
    r.last();
    QCOMPARE(grid.currentIndex().row(), 199);
    QVERIFY(grid.viewport()->rect().intersects(grid.visualRect(grid.currentIndex())));
    QCOMPARE(r.recNo(), 200);
    r.first();
    QCOMPARE(grid.verticalScrollBar()->value(), 0);

    // The table following the grid's echo would walk on: it stays where it was put.
    QSignalSpy moves(&r, &db::Table::currentChanged);
    r.setRecNo(50);
    QCOMPARE(moves.count(), 1);
    QCOMPARE(r.recNo(), 50);
}

void DBGridTest::userMovesTable()
{
    Clinic clinic;
    QVERIFY(clinic.open(30));
    db::Table &r = clinic.reg();
    ui::DBGrid grid(&r, columns());
    grid.resize(500, 300);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));

    QSignalSpy moves(&r, &db::Table::currentChanged);
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.visualRect(grid.model()->index(3, 1)).center());
    QCOMPARE(r.recNo(), 4);
    QCOMPARE(moves.count(), 1);
    QCOMPARE(grid.currentIndex(), grid.model()->index(3, 1));

    grid.setFocus();
    QTest::keyClick(&grid, Qt::Key_Down);
    QCOMPARE(r.recNo(), 5);
    QTest::keyClick(&grid, Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(r.recNo(), 30);
    QTest::keyClick(&grid, Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(r.recNo(), 1);
    // Moving across a row does not move the table.
    const int before = int(moves.count());
    QTest::keyClick(&grid, Qt::Key_Right);
    QCOMPARE(r.recNo(), 1);
    QCOMPARE(moves.count(), before);
    QCOMPARE(r.state(), db::TableState::Browse);
}

void DBGridTest::refusedMoveKeepsGridOnRecord()
{
    Clinic clinic;
    QVERIFY(clinic.open(10));
    db::Table &r = clinic.reg();
    ui::DBGrid grid(&r, columns());
    ui::DBEdit card(&r, QStringLiteral("Amb_karta"));
    grid.resize(500, 300);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    r.setRecNo(2);
    card.selectAll();
    typeText(&card, QStringLiteral("abc"));
    QCOMPARE(r.state(), db::TableState::Edit);

    ScopedScriptedDialogs dialogs;
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.visualRect(grid.model()->index(6, 1)).center());
    QCOMPARE(dialogs.transcript, QStringList{QStringLiteral("message: Ошибка: Amb_karta: значение «abc» не является числом.")});
    QCOMPARE(r.recNo(), 2);
    QCOMPARE(r.state(), db::TableState::Edit);
    QCOMPARE(grid.currentIndex().row(), 1);
    QTRY_COMPARE(grid.selectionModel()->selectedIndexes().first().row(), 1);
    QCOMPARE(card.text(), QStringLiteral("abc"));

    // Corrected, the same click stores the record and moves on.
    card.selectAll();
    typeText(&card, QStringLiteral("42"));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.visualRect(grid.model()->index(6, 1)).center());
    QCOMPARE(r.recNo(), 7);
    QCOMPARE(grid.currentIndex().row(), 6);
    QCOMPARE(grid.model()->index(1, 0).data().toString(), QStringLiteral("42"));
}

void DBGridTest::cellBackground()
{
    Clinic clinic;
    QVERIFY(clinic.open(10));
    db::Table &r = clinic.reg();
    ui::DBGrid grid(&r, columns());
    const QColor green(204, 255, 204);
    QSet<QPair<int, int>> focusedCells;
    grid.setCellBackground([&](int row, int column, bool focused) -> std::optional<QColor> {
        if (focused) {
            focusedCells.insert({row, column});
            return QColor(Qt::black);
        }
        if (grid.tableModel()->valueAt(row, QStringLiteral("flag")).toString() == QLatin1String("-"))
            return green;
        return std::nullopt;
    });
    grid.resize(500, 300);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    grid.activateWindow();
    grid.setFocus();
    QVERIFY(QTest::qWaitForWindowActive(&grid));
    QTRY_VERIFY(grid.hasFocus());
    r.setRecNo(5);
    focusedCells.clear();

    const QImage image = grid.viewport()->grab().toImage();
    const QString shot = qEnvironmentVariable("PELORIN_UI_SHOTS");
    if (!shot.isEmpty())
        grid.grab().save(shot + QStringLiteral("/grid.png"));
    const qreal dpr = image.devicePixelRatio();
    auto sample = [&](int row, int column) {
        // Away from the text: numbers are right-aligned, texts left-aligned.
        const QRect rect = grid.visualRect(grid.model()->index(row, column));
        const int x = column == 0 ? rect.left() + 3 : rect.right() - 3;
        return image.pixelColor(QPoint(int(x * dpr), int(rect.center().y() * dpr)));
    };
    QCOMPARE(sample(2, 1), green);             // "Пациент 00003", discharged
    QCOMPARE(sample(5, 2), green);             // "Пациент 00006"
    QVERIFY(sample(1, 1) != green);            // not discharged: the standard look
    QCOMPARE(sample(4, 0), QColor(Qt::black)); // the focused cell
    QVERIFY(focusedCells.contains({4, 0}));
    QCOMPARE(focusedCells.size(), 1);
}

void DBGridTest::hiddenColumnsAndWidths()
{
    Clinic clinic;
    QVERIFY(clinic.open(3));
    db::Table &r = clinic.reg();
    ui::DBGrid grid(&r, columns());
    grid.setFieldHidden(QStringLiteral("Vip_date"), true);
    QVERIFY(grid.isColumnHidden(3));
    QVERIFY(!grid.isColumnHidden(1));
    // The hidden field is still there for the painters.
    QCOMPARE(grid.model()->index(2, 3).data().toString(), QStringLiteral("10.01.2026"));
    QCOMPARE(grid.tableModel()->columnOfField(QStringLiteral("vip_date")), 3);

    grid.setColumnWidthChars(1, 20);
    QVERIFY(grid.columnWidth(1) >= 20 * grid.charWidth());
    QVERIFY(grid.columnWidth(1) < 22 * grid.charWidth() + 20);
    grid.setColumnWidthChars(4, 2);
    QVERIFY(grid.columnWidth(4) < grid.columnWidth(1));
    // A narrow field never cuts its caption, and the grid's spare width goes to the last column.
    grid.setColumnWidthChars(1, 1);
    QVERIFY(grid.columnWidth(1) >= grid.horizontalHeader()->fontMetrics().horizontalAdvance(QStringLiteral("Фамилия")));
    QVERIFY(grid.horizontalHeader()->stretchLastSection());

    QCOMPARE(grid.verticalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
    QVERIFY(!grid.wordWrap());
    QCOMPARE(grid.verticalHeader()->defaultSectionSize(), grid.fontMetrics().height() + 4);
    QCOMPARE(grid.editTriggers(), QAbstractItemView::NoEditTriggers);

    // A hidden column never holds the current cell.
    grid.setFieldHidden(QStringLiteral("Amb_karta"), true);
    r.last();
    QCOMPARE(grid.currentIndex().row(), 2);
}

void DBGridTest::doubleClickEmitsRow()
{
    Clinic clinic;
    QVERIFY(clinic.open(10));
    db::Table &r = clinic.reg();
    ui::DBGrid grid(&r, columns());
    grid.resize(500, 300);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    QSignalSpy rows(&grid, &ui::DBGrid::doubleClickedRow);
    const QPoint at = grid.visualRect(grid.model()->index(2, 1)).center();
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(rows.count(), 1);
    QCOMPARE(rows.first().first().toInt(), 2);
    QCOMPARE(r.recNo(), 3);
}

void DBGridTest::tenThousandRows()
{
    Clinic clinic;
    QVERIFY(clinic.open(10000));
    db::Table &r = clinic.reg();
    QSet<int> paintedRows;
    QElapsedTimer timer;
    timer.start();
    ui::DBGrid grid(&r, columns());
    grid.setCellBackground([&](int row, int, bool) -> std::optional<QColor> {
        paintedRows.insert(row);
        return std::nullopt;
    });
    grid.resize(600, 400);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    grid.viewport()->grab();
    r.last();
    grid.viewport()->grab();
    QCOMPARE(grid.currentIndex().row(), 9999);
    for (int i = 0; i < 50; ++i)
        r.prior();
    grid.viewport()->grab();
    const qint64 elapsed = timer.elapsed();
    qInfo("10000 rows: %lld ms, %lld rows painted", elapsed, qint64(paintedRows.size()));
    // Only the rows on screen are read and painted, not ten thousand.
    QVERIFY2(paintedRows.size() < 200, qPrintable(QString::number(paintedRows.size())));
    QVERIFY(paintedRows.contains(9999));
    QVERIFY2(elapsed < 3000, qPrintable(QStringLiteral("%1 ms").arg(elapsed)));
    QCOMPARE(r.recNo(), 9950);
}

QTEST_MAIN(DBGridTest)
#include "dbgrid_test.moc"
