// A doctor's visit from start to end through the real windows: the patient picked, a new
// examination with a lesion element on the cheeks, PASI and SCORAD from its area, the index
// dialogs, two PUVA procedures in the editor, the discharge diagnosis and the extract of all courses
// prepared for printing. Then the file, the change log, the text area and the written summary are
// looked over.
#include "application.h"
#include "clock.h"
#include "dbcontrols.h"
#include "dbgrid.h"
#include "dialogs.h"
#include "documentviewer.h"
#include "form1.h"
#include "report_fixture.h"
#include "uitest.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTabWidget>
#include <QTextEdit>
#include <QtTest>
#include <memory>

using namespace pelorin;

namespace {

const QDate kVisit(2026, 3, 10);

template <typename T = QPushButton>
T *child(QWidget *w, const QString &name)
{
    return w ? w->findChild<T *>(name) : nullptr;
}

void click(QAbstractButton *b)
{
    QVERIFY(b);
    QVERIFY2(b->isEnabled() && b->isVisible(), qPrintable(b->objectName()));
    // Check boxes and radio buttons by their indicator, as the doctor clicks them.
    if (qobject_cast<QCheckBox *>(b) || qobject_cast<QRadioButton *>(b))
        testing::clickButton(b);
    else
        b->click();
}

// The doctor opens the page of a tab widget that holds the widget first.
void showPageOf(QWidget *w)
{
    for (QWidget *p = w ? w->parentWidget() : nullptr; p; p = p->parentWidget()) {
        if (auto *tabs = qobject_cast<QTabWidget *>(p)) {
            for (int i = 0; i < tabs->count(); ++i) {
                if (tabs->widget(i)->isAncestorOf(w))
                    tabs->setCurrentIndex(i);
            }
        }
    }
}

} // namespace

class TypicalRoadTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void aVisitFromStartToPrint();
};

void TypicalRoadTest::aVisitFromStartToPrint()
{
    clock::setFixedNow(QDateTime(kVisit, QTime(10, 0)));
    testing::ProgramFolderFixture program;
    QTemporaryDir data;
    {
        // Two patients; Орлова was admitted today with psoriasis.
        db::Database database;
        QString error;
        QVERIFY2(database.open(data.path(), &error), qPrintable(error));
        db::DM1 dm1(database);
        db::DM2 dm2(database, dm1);
        QVERIFY(dm1.open(&error) && dm2.open(&error));
        for (const char *name : {"Андреев", "Орлова"}) {
            dm1.register_->append();
            dm1.register_->setValue("Last_Name", QString::fromUtf8(name));
            dm1.register_->setValue("First_Name", QStringLiteral("Анна"));
            dm1.register_->setValue("Reg_date", kVisit);
            dm1.register_->setValue("Amb_karta", 77);
            QVERIFY(dm1.register_->post());
        }
        dm2.diagnoz->append();
        dm2.diagnoz->setValue("Text", QStringLiteral("Диагноз при первом поступлении"));
        dm2.diagnoz->setValue("Data", kVisit);
        dm2.diagnoz->setValue("B1", true);
        QVERIFY(dm2.diagnoz->post());
    }
    ScopedScriptedDialogs dialogs;
    office::ScopedRecordingDocumentViewer viewer;
    dialogs.answers << QStringLiteral("zlk");
    app::Application a({QStringLiteral("pelorin"), QStringLiteral("--data"), data.path()});
    QCOMPARE(int(a.start()), int(app::Application::Start::Running));
    app::Form1 *form = a.form1();
    app::AppContext &ctx = a.context();
    db::Table &reg = *ctx.dm1->register_;
    const qsizetype logStart = ctx.log.lines().size();
    dialogs.transcript.clear();

    // The patient, picked in the list.
    auto *grid = child<ui::DBGrid>(form, QStringLiteral("DBGrid1"));
    QVERIFY(grid);
    for (int row = 0; row < grid->model()->rowCount(); ++row) {
        if (grid->model()->index(row, 1).data().toString() == QStringLiteral("Орлова"))
            grid->setCurrentIndex(grid->model()->index(row, 1));
    }
    QCOMPARE(reg.asString("Last_Name"), QStringLiteral("Орлова"));

    // "Новый осмотр" in the examination section.
    form->showSection(app::Form1::Osmotr);
    click(child(form, QStringLiteral("Button3")));
    QCOMPARE(ctx.dm2->osmotr1->recordCount(), 1);
    QCOMPARE(ctx.dm2->osmotr1->asDate("Date"), kVisit);

    // A lesion element: plaques on both cheeks, then PASI and SCORAD from the area.
    click(child(form, QStringLiteral("Button46")));
    QWidget *elements = a.window(QStringLiteral("Form_osmotr_elem"));
    QVERIFY(elements && elements->isVisible());
    if (ctx.dm2->osmotr_elem->isEmpty())
        click(child(elements, QStringLiteral("ButtonNewElement_vid2")));
    auto *name = child<QComboBox>(elements, QStringLiteral("DBComboBoxName_vid2"));
    QVERIFY(name);
    QVERIFY(QTest::qWaitForWindowExposed(elements));
    QVERIFY(testing::pickItem(name, name->findText(QStringLiteral("бляшки"))));
    QCheckBox *cheeks = nullptr;
    for (QCheckBox *box : elements->findChildren<QCheckBox *>(QStringLiteral("A162"))) {
        if (box->isVisible())
            cheeks = box;
    }
    click(cheeks);
    click(child(elements, QStringLiteral("ButtonPasiScorad")));
    QVERIFY(dialogs.transcript.join('\n').contains(QStringLiteral("Данные по площади внесены в PASI и SCORAD.")));
    elements->close();
    QVERIFY(!elements->isVisible());

    // The index dialogs: SCORAD and PASI completed and applied.
    click(child(form, QStringLiteral("Button7")));
    QWidget *scorad = a.window(QStringLiteral("Form_osmotr_index"));
    QVERIFY(scorad && scorad->isVisible());
    click(child<ui::DBRadioGroup>(scorad, QStringLiteral("B2"))->button(1));
    click(child(scorad, QStringLiteral("ButtonApply")));
    QVERIFY(!scorad->isVisible());
    showPageOf(child(form, QStringLiteral("Button45")));
    click(child(form, QStringLiteral("Button45")));
    QWidget *pasi = a.window(QStringLiteral("Form_osmotr_index1"));
    QVERIFY(pasi && pasi->isVisible());
    click(child<ui::DBRadioGroup>(pasi, QStringLiteral("Bb41"))->button(2));
    click(child(pasi, QStringLiteral("ButtonApply")));
    QVERIFY(!pasi->isVisible());

    // Two PUVA procedures: a new course, the next procedure, "Применить и закрыть".
    form->showSection(app::Form1::Lech);
    click(child(form, QStringLiteral("Button16")));
    QWidget *editor = a.window(QStringLiteral("Form_lech_puva_edit"));
    QVERIFY(editor && editor->isVisible());
    dialogs.answers << QStringLiteral("yes");
    click(child(editor, QStringLiteral("Button3")));
    db::Table &puva = *ctx.dm2->lech_puva;
    puva.edit();
    puva.setValue("Power1", 25);
    puva.setValue("Time1", 10);
    QVERIFY(puva.post());
    // The next procedure the day after, with the same settings.
    clock::setFixedNow(QDateTime(kVisit.addDays(1), QTime(10, 0)));
    click(child(editor, QStringLiteral("Button1")));
    click(child(editor, QStringLiteral("Button5")));
    QVERIFY(!editor->isVisible());
    QVERIFY(form->isEnabled());

    // The discharge diagnosis, today: not on the examination of the day before.
    form->showSection(app::Form1::Diagnoz);
    QWidget *diagnoses = a.window(QStringLiteral("Form_diagnoz"));
    Q_EMIT child<ui::DBGrid>(form, QStringLiteral("DBGrid7"))->doubleClickedRow(0);
    QVERIFY(diagnoses->isVisible());
    dialogs.answers << QStringLiteral("no");
    click(child(diagnoses, QStringLiteral("Button1")));
    // Discharged with psoriasis.
    QVERIFY(QTest::qWaitForWindowExposed(diagnoses));
    click(child<QCheckBox>(diagnoses, QStringLiteral("B1")));
    click(child(diagnoses, QStringLiteral("Button4")));
    QVERIFY(!diagnoses->isVisible());

    // The extract of all courses, prepared for printing.
    form->showSection(app::Form1::Docs);
    QWidget *report = form->host(QStringLiteral("HostDocsReport"));
    click(child<QRadioButton>(report, QStringLiteral("RadioButton2")));
    click(child(report, QStringLiteral("Button54")));
    const QString text = form->documentsText()->toPlainText();

    // Two questions were asked, each answered as the doctor would; the editor told how to start.
    QCOMPARE(dialogs.transcript.filter(QRegularExpression(QStringLiteral("^(ask|message): "))),
             QStringList({dialogs.transcript.filter(QStringLiteral("Сумма по всем элементам")).value(0),
                          QStringLiteral("message: Внимание!: Чтобы начать новый курс ПУВА-терапии, нажмите кнопку "
                                         "\"Начать новый курс\" "),
                          QStringLiteral("ask: Внимание!: Вы уверены что хотите начать новый курс?"),
                          QStringLiteral("ask: Внимание!: Этот диагноз при выписке ставится на последнем (10.03.2026) "
                                         "осмотре?")}));
    QVERIFY(dialogs.answers.isEmpty());
    // What the file holds.
    QSqlQuery q(ctx.database.sql());
    auto one = [&q](const QString &sql) {
        if (!q.exec(sql) || !q.next())
            return QVariant(QStringLiteral("<нет: %1>").arg(sql));
        return q.value(0);
    };
    QCOMPARE(one("SELECT count(*) FROM osmotr_1").toInt(), 1);
    QCOMPARE(one("SELECT Date FROM osmotr_1").toString(), QStringLiteral("2026-03-10"));
    QCOMPARE(one("SELECT count(*) FROM osmotr_elem WHERE A162 = 1").toInt(), 1);
    QVERIFY(one("SELECT Name_elem FROM osmotr_elem").toString().startsWith(QStringLiteral("бляшк")));
    QCOMPARE(one("SELECT Bb14 FROM osmotr_1").toInt(), 2);
    QCOMPARE(one("SELECT Bb41 FROM osmotr_1").toInt(), 2);
    QCOMPARE(one("SELECT count(*) FROM lech_puva").toInt(), 2);
    QCOMPARE(one("SELECT group_concat(Id_kurs || '/' || Nom_proc, ' ') FROM lech_puva").toString(), QStringLiteral("1/1 1/2"));
    QCOMPARE(one("SELECT group_concat(Date, ' ') FROM lech_puva").toString(), QStringLiteral("2026-03-10 2026-03-11"));
    QCOMPARE(one("SELECT Doza FROM register WHERE Last_Name = 'Орлова'").toInt(), 500);
    QCOMPARE(one("SELECT group_concat(Text, ' | ') FROM diagnoz").toString(),
             QStringLiteral("Диагноз при первом поступлении | Диагноз при выписке"));
    QCOMPARE(one("SELECT Vip_date FROM register WHERE Last_Name = 'Орлова'").toString(), QStringLiteral("2026-03-11"));
    QCOMPARE(one("SELECT count(*) FROM register WHERE Last_Name = 'Андреев' AND Vip_date IS NULL").toInt(), 1);

    // The change log names what was done.
    const QStringList log = ctx.log.lines().mid(logStart);
    QVERIFY(!log.filter(QStringLiteral("Проверка на защищенность данных со стороны osmotr")).isEmpty());
    QVERIFY(!log.filter(QStringLiteral("Значение диагноза добавлено: ")).isEmpty());
    QVERIFY(!log.filter(QStringLiteral("копируем последний статус диагноза")).isEmpty());

    // The extract: the patient, the examination, the course and the discharge.
    QVERIFY2(text.startsWith(QStringLiteral("Выписка из амбулаторной карты № 77")), qPrintable(text.left(200)));
    QVERIFY2(text.contains(QStringLiteral("Орлова")), qPrintable(text));
    for (const char *line : {"Дата поступления на начальный курс - 10.03.2026 Дата выписки с последнего курса - 11.03.2026",
                             "На коже - бляшки локализованы на щеках.",
                             "Пациент выписан после 2 процедуры 1 курса ПУВА-терапии с диагнозом: псориаз.",
                             "количество процедур: 2, доза УФА: 5,00Дж\\см2.", "Суммарная доза УФА: 5,00Дж\\см2"})
        QVERIFY2(text.contains(QString::fromUtf8(line)), qPrintable(QString::fromUtf8(line) + QStringLiteral("\n\n") + text));
    QCOMPARE(viewer.opened.size(), 1);
    QVERIFY(viewer.opened.first().endsWith(QStringLiteral(".docx")));
    QVERIFY(QFileInfo(viewer.opened.first()).size() > 0);
    QVERIFY2(dialogs.transcript.filter(QStringLiteral("Ошибка")).isEmpty(), qPrintable(dialogs.transcript.join('\n')));
    clock::reset();
}

QTEST_MAIN(TypicalRoadTest)
#include "typical_road_test.moc"
