#include "application.h"
#include "clock.h"
#include "database.h"
#include "datamodules.h"
#include "dialogs.h"
#include "docprinter.h"
#include "form1.h"
#include "programfolder.h"

#include <QAbstractButton>
#include <QDateEdit>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTextEdit>
#include <QTreeWidget>
#include <QtTest>
#include <memory>

using namespace pelorin;

namespace {

const QDate kToday(2025, 6, 2);

// Copies the shipped reference files into a program folder of the test's own, so that the drug
// window may write its tree there.
void copySourses(const QString &to)
{
    QDir().mkpath(to);
    QDirIterator it(QStringLiteral(PELORIN_SOURSES_DIR), QDir::Files);
    while (it.hasNext()) {
        it.next();
        QFile::copy(it.filePath(), to + QLatin1Char('/') + it.fileName());
    }
}

} // namespace

class ClinicalPagesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void windowsAreCreatedWithTheirNames();
    void pagesAreFilled();
    void drugWindowFromThePrescriptionsPage();
    void bloodTestWindowFromTheSection();
    void recommendationsAndSheets();
    void registerDocumentsFromTheCard();
    void brokenDrugTreeStopsTheStart();

private:
    std::unique_ptr<app::Application> start(ScopedScriptedDialogs &dialogs);
    QAbstractButton *button(QWidget *w, const char *name)
    {
        return w->findChild<QAbstractButton *>(QString::fromLatin1(name));
    }

    QTemporaryDir m_program;
    QTemporaryDir m_data;
    std::unique_ptr<app::Application> m_app;
};

void ClinicalPagesTest::initTestCase()
{
    clock::setFixedToday(kToday);
    copySourses(m_program.filePath(QStringLiteral("sourses")));
    QDir().mkpath(m_program.filePath(QStringLiteral("sourses/reports")));
    folder::setRoot(m_program.path());
    // One patient, "Крылова", with a blood test, a prescription and a recommendation.
    db::Database database;
    QString error;
    QVERIFY(database.open(m_data.path(), &error));
    db::DM1 dm1(database);
    db::DM2 dm2(database, dm1);
    QVERIFY(dm1.open(&error) && dm2.open(&error));
    dm1.register_->append();
    dm1.register_->setValue("Last_Name", QStringLiteral("Крылова"));
    dm1.register_->setValue("Reg_date", kToday);
    QVERIFY(dm1.register_->post());
    dm2.analyz->append();
    dm2.analyz->setValue("Data", kToday);
    dm2.analyz->setValue("B9", true);
    QVERIFY(dm2.analyz->post());
    dm2.lech_lekar->append();
    dm2.lech_lekar->setValue("Data", kToday);
    dm2.lech_lekar->setValue("Lek", QStringLiteral("Лоратадин"));
    dm2.lech_lekar->setValue("Recept", QStringLiteral("по 1 таб. 1 раз в день"));
    QVERIFY(dm2.lech_lekar->post());
    dm2.recomend->append();
    dm2.recomend->setValue("Data", kToday);
    dm2.recomend->setValue("B3", true);
    QVERIFY(dm2.recomend->post());
}

void ClinicalPagesTest::cleanupTestCase()
{
    m_app.reset();
    folder::setRoot(QString());
    clock::reset();
}

std::unique_ptr<app::Application> ClinicalPagesTest::start(ScopedScriptedDialogs &dialogs)
{
    auto a = std::make_unique<app::Application>(
        QStringList{QStringLiteral("pelorin"), QStringLiteral("--data"), m_data.path()});
    dialogs.answers << QStringLiteral("zlk");
    if (a->start() != app::Application::Start::Running)
        return nullptr;
    dialogs.transcript.clear();
    return a;
}

void ClinicalPagesTest::windowsAreCreatedWithTheirNames()
{
    ScopedScriptedDialogs dialogs;
    m_app = start(dialogs);
    QVERIFY(m_app);
    const std::pair<const char *, const char *> windows[] = {
        {"Form_analyz", "pelorin::clinical::Form_analyz"},
        {"Form_lech_lekar", "pelorin::treatment::Form_lech_lekar"},
        {"Form_register_docks", "pelorin::app::Form_register_docks"},
        {"Form_recomend", "pelorin::clinical::Form_recomend"},
    };
    for (const auto &[name, type] : windows) {
        QWidget *w = m_app->window(QString::fromLatin1(name));
        QVERIFY2(w, name);
        QCOMPARE(QLatin1String(w->metaObject()->className()), QLatin1String(type));
        QVERIFY(!w->isVisible());
    }
    QWidget *drugs = m_app->window(QStringLiteral("Form_lech_lekar"));
    QCOMPARE(drugs->findChild<QDateEdit *>(QStringLiteral("DateTimePicker1"))->date(), kToday);
    QVERIFY(drugs->findChild<QTreeWidget *>(QStringLiteral("TreeView1"))->topLevelItemCount() > 0);
    QCOMPARE(m_app->form1()->findChild<QDateEdit *>(QStringLiteral("DateTimePicker2"))->date(), kToday);
}

void ClinicalPagesTest::pagesAreFilled()
{
    app::Form1 *f = m_app->form1();
    const std::pair<const char *, const char *> pages[] = {
        {"HostLechLekar", "Button20"}, {"HostSysLekar", "Button37"},     {"HostAnalyz", "Button32"},
        {"HostRecomend", "Button18"},  {"HostDocsRecomend", "Button48"},
    };
    for (const auto &[host, control] : pages)
        QVERIFY2(button(f->host(QString::fromLatin1(host)), control), host);
    auto *memo = f->findChild<QPlainTextEdit *>(QStringLiteral("DBMemo_analyz_List2"));
    QVERIFY(memo);
    QCOMPARE(memo->toPlainText(), QStringLiteral("Кал на яйца гельминтов: норма. "));
    QCOMPARE(f->findChild<QPlainTextEdit *>(QStringLiteral("DBMemo_recomend_List_0"))->toPlainText(),
             QStringLiteral("Уход за кожей. "));

    f->resize(1280, 760);
    f->showSection(app::Form1::Lech);
    f->findChild<QTabWidget *>(QStringLiteral("PageControl_lech"))->setCurrentIndex(1);
    QTest::qWait(20);
    QVERIFY(!f->grab().isNull()); // it paints; no picture is left outside the test
    f->showSection(app::Form1::Analyz);
    QTest::qWait(20);
    QVERIFY(!f->grab().isNull()); // it paints; no picture is left outside the test
    f->showSection(app::Form1::Diagnoz);
    f->findChild<QTabWidget *>(QStringLiteral("PageControl_diagnoz"))->setCurrentIndex(1);
    QTest::qWait(20);
    QVERIFY(!f->grab().isNull()); // it paints; no picture is left outside the test
}

void ClinicalPagesTest::drugWindowFromThePrescriptionsPage()
{
    ScopedScriptedDialogs dialogs;
    app::Form1 *f = m_app->form1();
    QWidget *drugs = m_app->window(QStringLiteral("Form_lech_lekar"));
    button(f->host(QStringLiteral("HostLechLekar")), "Button20")->click();
    QVERIFY(drugs->isVisible());
    QVERIFY(!f->isEnabled());
    auto *tree = drugs->findChild<QTreeWidget *>(QStringLiteral("TreeView1"));
    QVERIFY(!tree->topLevelItem(0)->isExpanded());
    drugs->close();
    QVERIFY(f->isEnabled());
    QVERIFY(dialogs.transcript.isEmpty());
}

void ClinicalPagesTest::bloodTestWindowFromTheSection()
{
    ScopedScriptedDialogs dialogs;
    app::Form1 *f = m_app->form1();
    QWidget *tests = m_app->window(QStringLiteral("Form_analyz"));
    button(f->host(QStringLiteral("HostAnalyz")), "Button28")->click();
    QVERIFY(tests->isVisible());
    QVERIFY(tests->findChild<QWidget *>(QStringLiteral("GroupBox2"))->isVisible());
    QVERIFY(!tests->findChild<QWidget *>(QStringLiteral("GroupBox1"))->isVisible());
    QVERIFY(!f->isEnabled());
    button(tests, "Button1")->click();
    QVERIFY(f->isEnabled());
}

void ClinicalPagesTest::recommendationsAndSheets()
{
    ScopedScriptedDialogs dialogs;
    documents::ScopedRecordingPrinter printer;
    app::Form1 *f = m_app->form1();
    QWidget *page = f->host(QStringLiteral("HostRecomend"));
    page->findChild<QRadioButton *>(QStringLiteral("RadioPrintSheet1"))->click();
    button(page, "Button50")->click();
    QCOMPARE(printer.jobs.size(), 1);
    QCOMPARE(printer.jobs.first().title, QStringLiteral("BD"));
    QVERIFY(f->documentsText()->toPlainText().startsWith(QStringLiteral("РЕКОМЕНДАЦИИ ПАЦИЕНТУ С ПСОРИАЗОМ")));

    QWidget *sheets = f->host(QStringLiteral("HostDocsRecomend"));
    sheets->findChild<QRadioButton *>(QStringLiteral("RadioSheet0"))->click();
    button(sheets, "Button48")->click();
    QVERIFY(f->documentsText()->toPlainText().startsWith(QStringLiteral("РЕКОМЕНДАЦИИ ПАЦИЕНТУ С АТОПИЧЕСКИМ")));
    f->showSection(app::Form1::Docs);
    f->documentsPages()->setCurrentIndex(5);
    QTest::qWait(20);
    QVERIFY(!f->grab().isNull()); // it paints; no picture is left outside the test

    button(page, "Button47")->click();
    QWidget *window = m_app->window(QStringLiteral("Form_recomend"));
    QVERIFY(window->isVisible());
    QCOMPARE(m_app->context().dm2->recomend->state(), db::TableState::Edit);
    button(window, "Button1")->click();
    QVERIFY(!window->isVisible());
    QVERIFY(dialogs.transcript.isEmpty());
}

void ClinicalPagesTest::registerDocumentsFromTheCard()
{
    ScopedScriptedDialogs dialogs;
    app::Form1 *f = m_app->form1();
    f->showSection(app::Form1::Register);
    QAbstractButton *change = nullptr;
    for (QAbstractButton *b : f->findChildren<QAbstractButton *>()) {
        if (b->text() == QStringLiteral("Изменить") && b->objectName() != QStringLiteral("Button47"))
            change = b;
    }
    QVERIFY(change);
    change->click();
    QWidget *docs = m_app->window(QStringLiteral("Form_register_docks"));
    QVERIFY(docs->isVisible());
    button(docs, "Button1")->click();
    QVERIFY(!docs->isVisible());
}

void ClinicalPagesTest::brokenDrugTreeStopsTheStart()
{
    m_app.reset();
    const QString path = folder::sourses() + QStringLiteral("lekar.txt");
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    const QByteArray broken = QByteArray("\xEF\xBB\xBF") + QStringLiteral("Раздел\r\n\t\tПрепарат\r\n").toUtf8();
    f.write(broken);
    f.close();
    ScopedScriptedDialogs dialogs;
    dialogs.answers << QStringLiteral("zlk");
    app::Application a({QStringLiteral("pelorin"), QStringLiteral("--data"), m_data.path()});
    QCOMPARE(a.start(), app::Application::Start::Failed);
    QVERIFY2(dialogs.transcript.last().endsWith(QStringLiteral("lekar.txt», строка 2: строка вложена глубже, чем на один "
                                                               "уровень под предыдущей (Invalid level (2) for item "
                                                               "\"Препарат\").")),
             qPrintable(dialogs.transcript.last()));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), broken);
}

QTEST_MAIN(ClinicalPagesTest)
#include "clinical_pages_test.moc"
