// "Итоги лечения" over a demo clinic inside the whole program: opened from the system panel, its
// figures those of the logic, the course table sorted by a header click, a double click making the
// patient current, the workbook saved, and the window within the smallest screen.
#include "application.h"
#include "archive.h"
#include "clock.h"
#include "datamodules.h"
#include "demo.h"
#include "dialogs.h"
#include "form1.h"
#include "form_outcomes.h"
#include "laptopscreen.h"
#include "layoutaudit.h"
#include "programfolder.h"
#include "table.h"
#include "workbook.h"

#include <QDateEdit>
#include <QGroupBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

using namespace pelorin;

namespace {

const QDate kToday(2026, 12, 10);

} // namespace

class FormOutcomesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void opensFromTheSystemPanelAndFits();
    void showsTheFiguresOfThePeriod();
    void headerClickSortsTheCourses();
    void doubleClickMakesThePatientCurrent();
    void savesBothTablesInOneWorkbook();
    void aPeriodTheWrongWayRoundIsRefused();
    void escAndTheButtonHideIt();

private:
    app::Form_outcomes *window() const
    {
        return static_cast<app::Form_outcomes *>(m_app->window(QStringLiteral("Form_outcomes")));
    }
    QTableView *courses() const { return window()->findChild<QTableView *>(QStringLiteral("GridCourses")); }
    // Opens the window as the doctor does: the system panel, its first page, the button.
    void open();
    treatment::TreatmentOutcomes expected(const QDate &from, const QDate &to) const;

    QTemporaryDir m_dir;
    std::unique_ptr<ScopedScriptedDialogs> m_dialogs;
    std::unique_ptr<app::Application> m_app;
};

void FormOutcomesTest::initTestCase()
{
    folder::setRoot(QStringLiteral(PELORIN_PROGRAM_DIR));
    clock::setFixedToday(kToday);
    {
        db::Database database;
        QString error;
        QVERIFY2(database.open(m_dir.path(), &error), qPrintable(error));
        cli::DemoOptions options;
        options.patients = 60;
        options.seed = 5;
        options.today = kToday;
        QVERIFY(cli::generateDemo(database.sql(), options).ok);
    }
    m_dialogs = std::make_unique<ScopedScriptedDialogs>();
    m_dialogs->answers << QStringLiteral("zlk");
    m_app = std::make_unique<app::Application>(
        QStringList{QStringLiteral("pelorin"), QStringLiteral("--data"), m_dir.path()});
    QCOMPARE(int(m_app->start()), int(app::Application::Start::Running));
    m_dialogs->transcript.clear();
}

void FormOutcomesTest::cleanupTestCase()
{
    m_app.reset();
    m_dialogs.reset();
    clock::reset();
    folder::setRoot(QString());
}

void FormOutcomesTest::open()
{
    app::Form1 *f = m_app->form1();
    m_dialogs->answers.prepend(QStringLiteral("vorpe")); // the panel's password
    f->openSystemPanel();
    auto *pages = f->findChild<QGroupBox *>(QStringLiteral("GroupBox_sys"))->findChild<QTabWidget *>();
    pages->setCurrentIndex(0); // "Глобальные"
    auto *button = f->findChild<QPushButton *>(QStringLiteral("ButtonSysOutcomes"));
    QVERIFY(button);
    QVERIFY(button->isVisible());
    button->click();
    QVERIFY(QTest::qWaitForWindowExposed(window()));
}

treatment::TreatmentOutcomes FormOutcomesTest::expected(const QDate &from, const QDate &to) const
{
    db::Database database;
    treatment::TreatmentOutcomes result;
    if (!database.open(m_dir.path(), nullptr, db::Database::OpenMode::ReadOnly) ||
        !treatment::computeOutcomes(database, from, to, &result))
        qFatal("outcomes failed");
    return result;
}

void FormOutcomesTest::opensFromTheSystemPanelAndFits()
{
    open();
    app::Form_outcomes *w = window();
    QCOMPARE(w->windowTitle(), QStringLiteral("Пелорин. Итоги лечения."));
    QVERIFY(w->width() <= ui::kSmallestScreen.width());
    QVERIFY(w->height() <= ui::kSmallestScreen.height());
    const QStringList faults = ui::layoutFaults(w);
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join('\n')));
    for (const char *name : {"DateFrom", "DateTo", "ButtonShow", "GridSummary", "GridCourses", "ChartShares",
                             "ChartDose", "ButtonExcel", "ButtonClose"})
        QVERIFY2(w->findChild<QWidget *>(QString::fromLatin1(name)), name);
}

void FormOutcomesTest::showsTheFiguresOfThePeriod()
{
    open();
    app::Form_outcomes *w = window();
    // Ten calendar years up to today at first.
    QCOMPARE(w->findChild<QDateEdit *>(QStringLiteral("DateFrom"))->date(), QDate(2017, 1, 1));
    QCOMPARE(w->findChild<QDateEdit *>(QStringLiteral("DateTo"))->date(), kToday);
    const treatment::TreatmentOutcomes e = expected(QDate(2017, 1, 1), kToday);
    QVERIFY(!e.courses.isEmpty());
    QCOMPARE(w->outcomes().courses.size(), e.courses.size());
    auto *summary = w->findChild<QTableView *>(QStringLiteral("GridSummary"))->model();
    QCOMPARE(summary->rowCount(), e.years.size() + 1);
    QCOMPARE(summary->index(summary->rowCount() - 1, 0).data().toString(), QStringLiteral("Всего"));
    QCOMPARE(summary->index(summary->rowCount() - 1, 5).data().toString(), treatment::summaryTexts(e.total).at(5));
    QCOMPARE(courses()->model()->rowCount(), e.courses.size());
    QCOMPARE(courses()->model()->index(0, 0).data().toString(), e.courses.first().patient);

    // Another period, on "Показать".
    w->findChild<QDateEdit *>(QStringLiteral("DateFrom"))->setDate(QDate(2026, 1, 1));
    w->findChild<QPushButton *>(QStringLiteral("ButtonShow"))->click();
    const treatment::TreatmentOutcomes y2026 = expected(QDate(2026, 1, 1), kToday);
    QCOMPARE(courses()->model()->rowCount(), y2026.courses.size());
    QCOMPARE(summary->rowCount(), 2);
    w->findChild<QDateEdit *>(QStringLiteral("DateFrom"))->setDate(QDate(2017, 1, 1));
    w->findChild<QPushButton *>(QStringLiteral("ButtonShow"))->click();
}

void FormOutcomesTest::headerClickSortsTheCourses()
{
    open();
    QTableView *view = courses();
    QAbstractItemModel *model = view->model();
    const int dose = int(treatment::courseColumns().indexOf(QStringLiteral("Доза УФА, Дж/см²")));
    QHeaderView *header = view->horizontalHeader();
    header->setSortIndicator(dose, Qt::AscendingOrder);
    double least = 1e9;
    double most = 0;
    for (const treatment::CourseOutcome &c : window()->outcomes().courses) {
        least = std::min(least, c.dose / 100.0);
        most = std::max(most, c.dose / 100.0);
    }
    auto doseAt = [&](int row) { return model->index(row, dose).data().toString().replace(',', '.').toDouble(); };
    QCOMPARE(doseAt(0), least);
    QCOMPARE(doseAt(model->rowCount() - 1), most);
    for (int row = 1; row < model->rowCount(); ++row)
        QVERIFY(doseAt(row - 1) <= doseAt(row));
    header->setSortIndicator(dose, Qt::DescendingOrder);
    QCOMPARE(doseAt(0), most);
    // The improvement: the figures first, "нет данных" after them.
    const int pasi = int(treatment::courseColumns().indexOf(QStringLiteral("PASI, улучшение %")));
    header->setSortIndicator(pasi, Qt::DescendingOrder);
    QVERIFY(model->index(0, pasi).data().toString() != QString::fromUtf8(treatment::kNoData));
    QCOMPARE(model->index(model->rowCount() - 1, pasi).data().toString(), QString::fromUtf8(treatment::kNoData));
}

void FormOutcomesTest::doubleClickMakesThePatientCurrent()
{
    open();
    QTableView *view = courses();
    db::Table &reg = *m_app->context().dm1->register_;
    // A course of a patient other than the current one, scrolled into sight.
    int row = 0;
    while (row + 1 < window()->outcomes().courses.size() &&
           static_cast<app::CourseOutcomesModel *>(view->model())->course(row).patientId == reg.asInteger("ID_man"))
        ++row;
    const qint64 patient = static_cast<app::CourseOutcomesModel *>(view->model())->course(row).patientId;
    QVERIFY(patient != reg.asInteger("ID_man"));
    const QModelIndex index = view->model()->index(row, 0);
    view->scrollTo(index);
    const QPoint at = view->visualRect(index).center();
    QSignalSpy chosen(window(), &app::Form_outcomes::patientChosen);
    // A double click is a press on the row, then the second press.
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(chosen.size(), 1);
    QCOMPARE(chosen.first().first().toLongLong(), patient);
    QCOMPARE(reg.asInteger("ID_man"), patient);
    QCOMPARE(reg.recordCount(), 1);
    QCOMPARE(m_app->form1()->currentTab(), app::kTabCurrent);
}

void FormOutcomesTest::savesBothTablesInOneWorkbook()
{
    open();
    const QString path = QDir(m_dir.path()).filePath(QStringLiteral("итоги.xlsx"));
    m_dialogs->transcript.clear();
    m_dialogs->answers << path;
    QVERIFY(window()->saveWorkbook());
    QVERIFY(m_dialogs->transcript.first().startsWith(QStringLiteral("save: Сохранить итоги лечения")));
    QCOMPARE(m_dialogs->transcript.last(),
             QStringLiteral("message: Пелорин. Итоги лечения.: Итоги лечения сохранены в файл %1.")
                 .arg(QDir::toNativeSeparators(path)));
    office::Workbook book;
    QVERIFY(book.open(path));
    QCOMPARE(book.sheetCount(), 2);
    QCOMPARE(book.cellText(1, 1, 1), QStringLiteral("Итоги лечения ПУВА за период с 01.01.2017 по 10.12.2026"));
    QCOMPARE(book.cellText(2, 3, 1), window()->outcomes().courses.first().patient);
    QCOMPARE(book.cellText(2, 2 + int(window()->outcomes().courses.size()), 1),
             window()->outcomes().courses.last().patient);
    // A cancelled file dialog writes nothing and says nothing.
    m_dialogs->transcript.clear();
    QVERIFY(!window()->saveWorkbook());
    QCOMPARE(m_dialogs->transcript.size(), 1);
}

void FormOutcomesTest::aPeriodTheWrongWayRoundIsRefused()
{
    open();
    app::Form_outcomes *w = window();
    const qsizetype before = w->outcomes().courses.size();
    w->findChild<QDateEdit *>(QStringLiteral("DateFrom"))->setDate(QDate(2026, 12, 11));
    m_dialogs->transcript.clear();
    QVERIFY(!w->compute());
    QCOMPARE(m_dialogs->transcript,
             QStringList{QStringLiteral("message: Пелорин. Итоги лечения.: Начало периода позже его конца.")});
    QCOMPARE(w->outcomes().courses.size(), before);
    w->findChild<QDateEdit *>(QStringLiteral("DateFrom"))->setDate(QDate(2017, 1, 1));
}

void FormOutcomesTest::escAndTheButtonHideIt()
{
    open();
    QTest::keyClick(window(), Qt::Key_Escape);
    QVERIFY(!window()->isVisible());
    open();
    window()->findChild<QPushButton *>(QStringLiteral("ButtonClose"))->click();
    QVERIFY(!window()->isVisible());
    open();
    window()->close();
    QVERIFY(!window()->isVisible());
    // Shown again, it keeps its figures and is not computed anew.
    open();
    QVERIFY(!window()->outcomes().courses.isEmpty());
}

int main(int argc, char *argv[])
{
    return testing::runOnLaptopScreen<FormOutcomesTest>(argc, argv);
}
#include "form_outcomes_test.moc"
