// The "Отчет" page inside the whole program, as the start-up makes and wires it.
#include "application.h"
#include "clock.h"
#include "dbgrid.h"
#include "dialogs.h"
#include "documentviewer.h"
#include "form1.h"
#include "patient_report.h"
#include "report_fixture.h"
#include "workbook.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QTabWidget>
#include <QTextEdit>
#include <QLabel>
#include <QtTest>
#include <memory>

using namespace pelorin;
using documents::ReportMode;
using testing::feb;

namespace {

template <typename T = QPushButton> T *child(QWidget *w, const char *name)
{
    return w ? w->findChild<T *>(QString::fromLatin1(name)) : nullptr;
}

void settle()
{
    for (int i = 0; i < 10; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

} // namespace

class ReportTabTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void pagesOfTheSection();
    void controlsOfTheReportPage_data();
    void controlsOfTheReportPage();
    void oneGroupOfModes();
    void prepareFillsTheTextArea_data();
    void prepareFillsTheTextArea();
    void examinationChosenInTheGrid();
    void olderCardButtonFillsTheOlderCard();
    void fitsTheMainWindow();

private:
    QWidget *page() const { return m_app->form1()->host(QStringLiteral("HostDocsReport")); }

    std::unique_ptr<testing::ProgramFolderFixture> m_program;
    std::unique_ptr<QTemporaryDir> m_data;
    std::unique_ptr<ScopedScriptedDialogs> m_dialogs;
    std::unique_ptr<office::ScopedRecordingDocumentViewer> m_viewer;
    std::unique_ptr<app::Application> m_app;
};

void ReportTabTest::init()
{
    clock::setFixedToday(testing::kReportToday);
    m_program = std::make_unique<testing::ProgramFolderFixture>();
    m_data = std::make_unique<QTemporaryDir>();
    {
        db::Database database;
        QString error;
        QVERIFY2(database.open(m_data->path(), &error), qPrintable(error));
        db::DM1 dm1(database);
        db::DM2 dm2(database, dm1);
        QVERIFY(dm1.open(&error) && dm2.open(&error));
        testing::RecordWriter{dm1, dm2}.twoCoursesSecondOpen();
    }
    m_dialogs = std::make_unique<ScopedScriptedDialogs>();
    m_dialogs->answers << QStringLiteral("zlk");
    m_viewer = std::make_unique<office::ScopedRecordingDocumentViewer>();
    m_app = std::make_unique<app::Application>(
        QStringList{QStringLiteral("pelorin"), QStringLiteral("--data"), m_data->path()});
    QCOMPARE(int(m_app->start()), int(app::Application::Start::Running));
    m_app->form1()->showSection(app::Form1::Docs);
    m_dialogs->transcript.clear();
    m_dialogs->beeps = 0;
}

void ReportTabTest::cleanup()
{
    m_app.reset();
    m_viewer.reset();
    m_dialogs.reset();
    m_data.reset();
    m_program.reset();
    clock::reset();
}

void ReportTabTest::pagesOfTheSection()
{
    app::Form1 *form = m_app->form1();
    QTabWidget *pages = form->documentsPages();
    QCOMPARE(pages->objectName(), QStringLiteral("PageControl2"));
    QCOMPARE(pages->count(), 6);
    QCOMPARE(pages->tabText(0), QStringLiteral("Отчет"));
    QCOMPARE(pages->tabText(1), QStringLiteral("Справка"));
    QCOMPARE(pages->tabText(2), QStringLiteral("Направление"));
    QVERIFY(!pages->isTabVisible(3));
    QCOMPARE(pages->tabText(4), QStringLiteral("Динамика лечения в графиках"));
    QCOMPARE(pages->tabText(5), QStringLiteral("Рекомендации пациенту"));
    QVERIFY(pages->widget(0)->isAncestorOf(page()));
    QVERIFY(pages->widget(4)->isAncestorOf(form->host(QStringLiteral("HostChart"))));
    QVERIFY(pages->widget(5)->isAncestorOf(form->host(QStringLiteral("HostDocsRecomend"))));
    // The certificate and referral controls stay on their pages.
    QVERIFY(child<QComboBox>(pages->widget(1), "ComboBox1"));
    QVERIFY(child<QDateEdit>(pages->widget(1), "DateTimePicker9"));
    QVERIFY(child<QComboBox>(pages->widget(2), "ComboBox6"));
    QVERIFY(child<QDateEdit>(pages->widget(2), "DateTimePicker10"));
    QCOMPARE(pages->currentIndex(), 0);
    QVERIFY(form->documentsText()->isVisible());
    pages->setCurrentIndex(4);
    QVERIFY(!form->documentsText()->isVisible());
    pages->setCurrentIndex(0);
    QVERIFY(form->documentsText()->isVisible());
}

void ReportTabTest::controlsOfTheReportPage_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("bold");

    QTest::newRow("RadioButton1") << "RadioButton1"
                                  << "Полная амбулаторная карта" << false;
    QTest::newRow("RadioButton2") << "RadioButton2"
                                  << "Выписка по всем курсам" << true;
    QTest::newRow("RadioButton3") << "RadioButton3"
                                  << "Печать карты с курсом ПУВА №" << false;
    QTest::newRow("RadioButton4") << "RadioButton4"
                                  << "Информация при поступлении" << false;
    QTest::newRow("RadioButton5") << "RadioButton5"
                                  << "Последний осмотр" << false;
    QTest::newRow("RadioButton6") << "RadioButton6"
                                  << "Отдельный осмотр (выберите:)" << false;
    QTest::newRow("RadioButton7") << "RadioButton7"
                                  << "Все события между датами" << false;
    QTest::newRow("RadioButton8") << "RadioButton8"
                                  << "Выписка по курсу ПУВА №" << true;
    QTest::newRow("Button54") << "Button54"
                              << "Подготовить данные к печати." << false;
    QTest::newRow("Button38") << "Button38"
                              << "Старый отчет." << false;
}

void ReportTabTest::controlsOfTheReportPage()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(bool, bold);

    auto *button = page()->findChild<QAbstractButton *>(name);
    QVERIFY(button);
    QCOMPARE(button->text(), caption);
    QCOMPARE(button->font().bold(), bold);
    QVERIFY(button->isVisible());
}

void ReportTabTest::oneGroupOfModes()
{
    QList<QRadioButton *> radios;
    for (int i = 1; i <= 8; ++i)
        radios << page()->findChild<QRadioButton *>(QStringLiteral("RadioButton%1").arg(i));
    QVERIFY(!radios.contains(nullptr));
    QButtonGroup *group = radios.first()->group();
    QVERIFY(group && group->exclusive());
    QCOMPARE(group->buttons().size(), 8);
    for (QRadioButton *r : radios)
        QCOMPARE(r->group(), group);
    QVERIFY(radios.first()->isChecked());
    for (QRadioButton *chosen : radios) {
        chosen->click();
        for (QRadioButton *r : radios)
            QCOMPARE(r->isChecked(), r == chosen);
    }

    auto *spin = child<QSpinBox>(page(), "SpinEdit1");
    QVERIFY(spin);
    QCOMPARE(spin->minimum(), 1);
    QCOMPARE(spin->maximum(), 99);
    QCOMPARE(spin->value(), 1);
    for (const char *name : {"DateTimePicker5", "DateTimePicker6"}) {
        auto *picker = child<QDateEdit>(page(), name);
        QVERIFY(picker);
        QCOMPARE(picker->date(), testing::kReportToday);
    }
    auto *grid = child<ui::DBGrid>(page(), "DBGrid8");
    QVERIFY(grid);
    QCOMPARE(grid->table(), m_app->context().dm2->osmotr1);
    QStringList captions;
    for (int c = 0; c < grid->model()->columnCount(); ++c)
        captions << grid->model()->headerData(c, Qt::Horizontal).toString();
    QCOMPARE(captions, QStringList({"№кур.", "№пр.", "Дата"}));
    QCOMPARE(grid->model()->rowCount(), 3);
}

void ReportTabTest::prepareFillsTheTextArea_data()
{
    QTest::addColumn<QString>("radio");
    QTest::addColumn<int>("course");
    QTest::addColumn<QString>("starts"); // the text area's first line
    QTest::addColumn<QString>("folder"); // where the file goes, empty for none
    QTest::addColumn<QStringList>("transcript");

    QTest::newRow("full card") << "RadioButton1" << 1 << QString() << "reports"
                               << QStringList{"beep", "beep", "beep", "beep"};
    QTest::newRow("extract of all courses") << "RadioButton2" << 1 << "Выписка из амбулаторной карты № 42"
                                            << "sourses/reports" << QStringList{"beep", "beep", "beep", "beep"};
    QTest::newRow("extract of a course without events")
        << "RadioButton8" << 3 << QString() << QString()
        << QStringList{"beep", "message: Внимание!: Данный курс у этого пациента не найден!"};
}

void ReportTabTest::prepareFillsTheTextArea()
{
    QFETCH(QString, radio);
    QFETCH(int, course);
    QFETCH(QString, starts);
    QFETCH(QString, folder);
    QFETCH(QStringList, transcript);

    QTextEdit *text = m_app->form1()->documentsText();
    QCOMPARE(text->objectName(), QStringLiteral("RichEdit1"));
    text->setPlainText(QStringLiteral("прежний текст"));
    page()->findChild<QRadioButton *>(radio)->click();
    child<QSpinBox>(page(), "SpinEdit1")->setValue(course);
    child(page(), "Button54")->click();

    QCOMPARE(m_dialogs->transcript, transcript);
    QVERIFY(!m_app->window(QStringLiteral("Form_wait"))->isVisible());
    const QString plain = text->toPlainText();
    QVERIFY(!plain.contains(QStringLiteral("прежний текст")));
    if (folder.isEmpty()) {
        QVERIFY(plain.isEmpty());
        QVERIFY(m_viewer->opened.isEmpty());
        return;
    }
    QCOMPARE(plain.section(QLatin1Char('\n'), 0, 0), starts);
    // The same paragraphs as the composition, each entry's line feeds its paragraph breaks.
    QVERIFY(plain.contains(QStringLiteral("Произведен осмотр.\nОбъективно: Индекс SCORAD - 5. ")));
    QCOMPARE(m_viewer->opened.size(), 1);
    QCOMPARE(QFileInfo(m_viewer->opened.first()).absolutePath(), QFileInfo(m_program->path(folder)).absoluteFilePath());
    // The doctor is told which file was written, and where.
    const QString written = child<QLabel>(page(), "LabelFiles")->text();
    QVERIFY2(written.contains(QFileInfo(m_viewer->opened.first()).fileName()), qPrintable(written));
    QVERIFY2(written.contains(QDir::toNativeSeparators(QFileInfo(m_program->path(folder)).absoluteFilePath())),
             qPrintable(written));
}

void ReportTabTest::examinationChosenInTheGrid()
{
    auto *grid = child<ui::DBGrid>(page(), "DBGrid8");
    grid->setCurrentIndex(grid->model()->index(1, 2));
    QCOMPARE(m_app->context().dm2->osmotr1->asDate(QStringLiteral("Date")), feb(20));
    child<QRadioButton>(page(), "RadioButton6")->click();
    child(page(), "Button54")->click();
    QCOMPARE(m_viewer->opened.size(), 1);
    office::Workbook card;
    QVERIFY(card.open(m_viewer->opened.first()));
    QVERIFY(card.cellText(3, 2, 2).startsWith(QStringLiteral("20 февраля 2025 г.\nПроизведен осмотр.")));
    QCOMPARE(card.cellText(1, 1, 2).section(QLatin1Char('\n'), 0, 0),
             QStringLiteral("Министерство здравоохранения Тульской области"));
}

void ReportTabTest::olderCardButtonFillsTheOlderCard()
{
    // The older card's course control is there, hidden, at course 1.
    auto *hidden = child<QSpinBox>(page(), "SpinEdit2");
    QVERIFY(!hidden->isVisibleTo(page()));
    QCOMPARE(hidden->value(), 1);
    QCOMPARE(hidden->minimum(), 1);
    QCOMPARE(hidden->maximum(), 10);
    QTextEdit *text = m_app->form1()->documentsText();
    text->setPlainText(QStringLiteral("прежний текст"));
    child<QRadioButton>(page(), "RadioButton8")->click();
    child(page(), "Button38")->click();
    // "Выписка по курсу ПУВА №" only empties the text area.
    QCOMPARE(text->toPlainText(), QString());
    QVERIFY(m_viewer->opened.isEmpty());
    child<QRadioButton>(page(), "RadioButton1")->click();
    child(page(), "Button38")->click();
    QVERIFY(text->toPlainText().startsWith(QStringLiteral("Министерство")));
    QCOMPARE(m_viewer->opened.size(), 1);
    QVERIFY(m_viewer->opened.first().endsWith(QStringLiteral("reports/karta.xlsx")));
}

void ReportTabTest::fitsTheMainWindow()
{
    app::Form1 *form = m_app->form1();
    form->resize(1366, 700);
    form->show();
    form->showSection(app::Form1::Docs);
    settle();
    QWidget *tab = page()->findChild<QWidget *>(QStringLiteral("ReportTab"));
    QVERIFY(tab);
    QList<QWidget *> controls;
    for (QWidget *w : tab->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (w->isVisible())
            controls << w;
    }
    QVERIFY(controls.size() >= 14);
    const QRect room = tab->rect();
    for (QWidget *w : controls) {
        const QString name =
            w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName();
        QVERIFY2(room.contains(w->geometry()), qPrintable(name));
        const QSize least = w->minimumSizeHint();
        QVERIFY2(w->width() >= least.width() && w->height() >= least.height(), qPrintable(name));
        for (QWidget *other : controls) {
            if (other != w)
                QVERIFY2(!w->geometry().intersects(other->geometry()), qPrintable(name + " / " + other->objectName()));
        }
    }
    // The section fits without scrolling, and the text area keeps a good part of it.
    auto *scroll = form->findChild<QScrollArea *>(QStringLiteral("SectionScroll"));
    QCOMPARE(scroll->verticalScrollBar()->maximum(), 0);
    QCOMPARE(scroll->horizontalScrollBar()->maximum(), 0);
    QVERIFY2(form->documentsText()->height() >= 150,
             qPrintable(QStringLiteral("text area %1 px, pages %2 px").arg(form->documentsText()->height()).arg(form->documentsPages()->height())));
}

QTEST_MAIN(ReportTabTest)
#include "report_tab_test.moc"
