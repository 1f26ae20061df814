#include "application.h"
#include "clock.h"
#include "dbcontrols.h"
#include "dialogs.h"
#include "form1.h"
#include "picklistwindow.h"
#include "programfolder.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSqlQuery>
#include <QTemporaryDir>
#include "uitest.h"

#include <QtTest>
#include <memory>

using namespace pelorin;

namespace {

const QDate kToday(2025, 3, 1);

// Patient "Белова", born 10.05.1980, registered 20.02.2025, with the blank anamnesis records a new patient
// gets and no examination; written before the program starts.
void seed(const QString &folder)
{
    db::Database database;
    QString error;
    QVERIFY2(database.open(folder, &error), qPrintable(error));
    db::DM1 dm1(database);
    QVERIFY(dm1.open(&error));
    db::Table &r = *dm1.register_;
    r.append();
    r.setValue("Last_Name", QStringLiteral("Белова"));
    r.setValue("Born_dat", QDate(1980, 5, 10));
    r.setValue("Reg_date", QDate(2025, 2, 20));
    QVERIFY(r.post());
    for (db::Table *t : {dm1.anamnez_zab, dm1.anamnez_zab_start, dm1.anamnez_zab_ranlech, dm1.anamnez_zab_obostr_prich,
                         dm1.anamnez_zab_obostr_lech, dm1.anamnez_zab_zalobi, dm1.anamnez_life, dm1.anamnez_life_zab,
                         dm1.anamnez_life_sem}) {
        t->append();
        QVERIFY(t->post());
    }
}

QAbstractButton *buttonOf(QWidget *w, const char *name)
{
    return w->findChild<QAbstractButton *>(QString::fromLatin1(name));
}

using testing::pickItem;
const auto clickBox = testing::clickButton;

QVariant stored(app::Application &a, const QString &sql)
{
    QSqlQuery q(a.context().database.sql());
    if (!q.exec(sql) || !q.next())
        return QVariant(QStringLiteral("<no row>"));
    return q.value(0);
}

// Every widget of the section lies inside it and none is squeezed below its smallest readable size.
void checkFits(QWidget *section)
{
    const QRect area = section->rect();
    for (QWidget *w : section->findChildren<QWidget *>()) {
        if (!w->isVisible() || w->isWindow())
            continue;
        const QRect r(w->mapTo(section, QPoint(0, 0)), w->size());
        QVERIFY2(area.contains(r), qPrintable(w->objectName() + QLatin1Char(' ') + w->metaObject()->className()));
        const QSize least = w->minimumSizeHint();
        if (least.isValid() && qobject_cast<QAbstractButton *>(w))
            QVERIFY2(w->width() >= least.width() && w->height() >= least.height(),
                     qPrintable(w->objectName() + QStringLiteral(" is squeezed")));
    }
}

} // namespace

class AnamnesisAppTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void everyPickListWindowIsMade();
    void sectionsFitTheMainWindow();
    void complaintsFromTheSectionIntoTheFirstExamination();
    void pickListWindowsFollowTheNoFastScrollingSetting();
    void diseaseAnamnesisApplyPair();
    void lifeAnamnesisCancelPair();
    void onsetCalculatorFromTheSection();
    void admissionDiagnosisButtonShowsTheQuickWindow();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<ScopedScriptedDialogs> m_dialogs;
    std::unique_ptr<app::Application> m_app;
    app::Form1 *form() const { return m_app->form1(); }
};

void AnamnesisAppTest::initTestCase()
{
    folder::setRoot(QStringLiteral(PELORIN_PROGRAM_DIR));
    clock::setFixedToday(kToday);
}

void AnamnesisAppTest::init()
{
    seed(m_dir.path());
    m_dialogs = std::make_unique<ScopedScriptedDialogs>();
    m_dialogs->answers << QStringLiteral("zlk");
    m_app = std::make_unique<app::Application>(
        QStringList{QStringLiteral("pelorin"), QStringLiteral("--data"), m_dir.path()});
    QCOMPARE(int(m_app->start()), int(app::Application::Start::Running));
    m_dialogs->transcript.clear();
}

void AnamnesisAppTest::cleanup()
{
    m_app.reset();
    m_dialogs.reset();
    m_dir.remove();
    m_dir = QTemporaryDir();
}

void AnamnesisAppTest::everyPickListWindowIsMade()
{
    const std::pair<const char *, const char *> windows[] = {
        {"Form_anamnez_zab_zalobi", "Пелорин. Жалобы пациентов."},
        {"Form_anamnez_zab_start", "Пелорин. Начало заболевания."},
        {"Form_anamnez_zab_ranlech", "Пелорин. Ранее проводимое лечение."},
        {"Form_anamnez_zab_obostr_lech", "Пелорин. Лечение при последнем обострении."},
        {"Form_anamnez_zab_obostr_prich", "Пелорин. Провоцируют обострение."},
        {"Form_amamnez_life_zab", "Пелорин. Сопутствующие заболевания."},
        {"Form_amamnez_life_sem", "Пелорин. Семейный анализ."},
    };
    for (const auto &[name, caption] : windows) {
        auto *w = qobject_cast<anamnesis::PickListWindow *>(m_app->window(QString::fromLatin1(name)));
        QVERIFY2(w, name);
        QCOMPARE(w->windowTitle(), QString::fromUtf8(caption));
        QVERIFY(!w->isVisible());
    }
}

void AnamnesisAppTest::sectionsFitTheMainWindow()
{
    app::Form1 *f = form();
    f->resize(1340, 740);
    auto *scroll = f->findChild<QScrollArea *>(QStringLiteral("SectionScroll"));
    for (const app::Form1::Section section : {app::Form1::AnamnezZab, app::Form1::AnamnezLive}) {
        f->showSection(section);
        // The section area is as large as its largest section; here only the section shown counts.
        QList<std::pair<QGroupBox *, QSizePolicy>> saved;
        for (int i = 0; i < app::Form1::SectionCount; ++i) {
            QGroupBox *other = f->sectionBox(app::Form1::Section(i));
            if (i == section)
                continue;
            saved.append({other, other->sizePolicy()});
            QSizePolicy policy = other->sizePolicy();
            policy.setRetainSizeWhenHidden(false);
            other->setSizePolicy(policy);
        }
        QApplication::processEvents();
        QCOMPARE(f->size(), QSize(1340, 740));
        QGroupBox *box = f->sectionBox(section);
        QVERIFY(box->isVisible());
        if (scroll) {
            QVERIFY(!scroll->horizontalScrollBar()->isVisible());
            QVERIFY(!scroll->verticalScrollBar()->isVisible());
        }
        checkFits(box);
        const QString folder = qEnvironmentVariable("PELORIN_SCREENSHOTS");
        if (!folder.isEmpty())
            f->grab().save(QStringLiteral("%1/Form1_%2.png").arg(folder, box->objectName()));
        for (const auto &[other, policy] : saved)
            other->setSizePolicy(policy);
    }
}

void AnamnesisAppTest::complaintsFromTheSectionIntoTheFirstExamination()
{
    app::Form1 *f = form();
    buttonOf(f, "SpeedButton2")->click();
    auto *memo = f->findChild<QPlainTextEdit *>(QStringLiteral("DBMemo3"));
    QCOMPARE(memo->toPlainText(), QStringLiteral("Жалоб нет"));
    buttonOf(f, "Button_zab_zalobi")->click();
    QWidget *w = m_app->window(QStringLiteral("Form_anamnez_zab_zalobi"));
    QVERIFY(w->isVisible());
    QVERIFY(QTest::qWaitForWindowExposed(w));
    QVERIFY(!f->isEnabled());
    clickBox(buttonOf(w, "A2_3"));
    clickBox(buttonOf(w, "A1_2"));
    QCOMPARE(memo->toPlainText(), QStringLiteral("зуд кожи;  головная боль. "));
    m_dialogs->answers << QStringLiteral("yes");
    buttonOf(w, "ButtonApply")->click();
    QCOMPARE(m_dialogs->transcript, QStringList{QStringLiteral("ask: Внимание!: Занести жалобы в первый осмотр?")});
    QVERIFY(!w->isVisible());
    QVERIFY(f->isEnabled());
    db::Table &osmotr = *m_app->context().dm2->osmotr1;
    QCOMPARE(osmotr.recordCount(), 1);
    QCOMPARE(osmotr.asInteger(QStringLiteral("Nom_osm")), 1);
    QCOMPARE(osmotr.asDate(QStringLiteral("Date")), QDate(2025, 2, 20));
    QCOMPARE(stored(*m_app, QStringLiteral("SELECT A1_3 FROM osmotr_1")).toBool(), true);
    QCOMPARE(stored(*m_app, QStringLiteral("SELECT A2_3 FROM anamnez_zab_zalobi")).toBool(), true);
}

void AnamnesisAppTest::pickListWindowsFollowTheNoFastScrollingSetting()
{
    app::Form1 *f = form();
    buttonOf(f, "SpeedButton7")->click();
    buttonOf(f, "Button_life_sem")->click();
    QWidget *w = m_app->window(QStringLiteral("Form_amamnez_life_sem"));
    QVERIFY(w->isVisible());
    QVERIFY(!f->isEnabled());
    w->close();
    QVERIFY(f->isEnabled());

    m_app->context().settings.noFastScrolling = false;
    buttonOf(f, "Button_life_zab")->click();
    QWidget *zab = m_app->window(QStringLiteral("Form_amamnez_life_zab"));
    QVERIFY(zab->isVisible());
    QVERIFY(f->isEnabled());
    zab->close();
}

void AnamnesisAppTest::diseaseAnamnesisApplyPair()
{
    app::Form1 *f = form();
    buttonOf(f, "SpeedButton2")->click();
    QVERIFY(QTest::qWaitForWindowExposed(f));
    QAbstractButton *apply = buttonOf(f, "BitBtn3");
    QAbstractButton *cancel = buttonOf(f, "BitBtn4");
    QVERIFY(!apply->isEnabled());
    QVERIFY(pickItem(f->findChild<QComboBox *>(QStringLiteral("DBComboBox16")), 2));
    QVERIFY(apply->isEnabled());
    QVERIFY(cancel->isEnabled());
    apply->click();
    QVERIFY(!apply->isEnabled());
    // The 21 characters of the item are cut to the field's 20.
    QCOMPARE(stored(*m_app, QStringLiteral("SELECT Ran_lech_rez FROM anamnez_zab")).toString(),
             QStringLiteral("стойкий положительны"));
    // The check box of the section edits the same record.
    clickBox(f->findChild<QAbstractButton *>(QStringLiteral("DBCheckBox_Remis")));
    QVERIFY(apply->isEnabled());
    buttonOf(f, "SpeedButton7")->click();
    QCOMPARE(stored(*m_app, QStringLiteral("SELECT Remis FROM anamnez_zab")).toBool(), true);
}

void AnamnesisAppTest::lifeAnamnesisCancelPair()
{
    app::Form1 *f = form();
    buttonOf(f, "SpeedButton7")->click();
    QVERIFY(QTest::qWaitForWindowExposed(f));
    auto *food = f->findChild<ui::DBRadioGroup *>(QStringLiteral("DBRadioGroup_Pitanie"));
    QVERIFY(food);
    QCOMPARE(food->itemIndex(), -1);
    clickBox(food->button(1));
    QAbstractButton *cancel = buttonOf(f, "BitBtn6");
    QVERIFY(cancel->isEnabled());
    cancel->click();
    QVERIFY(!cancel->isEnabled());
    QVERIFY(!buttonOf(f, "BitBtn5")->isEnabled());
    QCOMPARE(food->itemIndex(), -1);
    QVERIFY(stored(*m_app, QStringLiteral("SELECT Pitanie FROM anamnez_life")).isNull());
}

void AnamnesisAppTest::onsetCalculatorFromTheSection()
{
    app::Form1 *f = form();
    buttonOf(f, "SpeedButton2")->click();
    QVERIFY(QTest::qWaitForWindowExposed(f));
    QVERIFY(pickItem(f->findChild<QComboBox *>(QStringLiteral("DBComboBox21")), 2));
    QVERIFY(pickItem(f->findChild<QComboBox *>(QStringLiteral("DBComboBox22")), 1));
    buttonOf(f, "Button_onset")->click();
    QCOMPARE(
        m_dialogs->transcript,
        QStringList({QStringLiteral("beep"),
                     QStringLiteral("message: Внимание!: Подсчитано, что заболевания возникло,\nкогда пациенту было "
                                    "приблизительно\n44 лет\\год(ов), 6 месяц(а\\ев) и 19день(дней\\я). "
                                    "\nДата заболевания: 29.11.2024")}));
    QCOMPARE(f->findChild<QComboBox *>(QStringLiteral("DBComboBox5"))->currentText(),
             QStringLiteral("от 40 до 50 лет"));
    QCOMPARE(stored(*m_app, QStringLiteral("SELECT Zalobi FROM anamnez_zab")).toString(),
             QStringLiteral("от 40 до 50 лет"));
}

void AnamnesisAppTest::admissionDiagnosisButtonShowsTheQuickWindow()
{
    app::Form1 *f = form();
    buttonOf(f, "SpeedButton2")->click();
    QAbstractButton *set = buttonOf(f->sectionBox(app::Form1::AnamnezZab), "Button6");
    QVERIFY(set);
    QCOMPARE(set->text(), QStringLiteral("Поставить"));
    set->click();
    QVERIFY(m_app->window(QStringLiteral("Form_diagnoz_lite"))->isVisible());
}

QTEST_MAIN(AnamnesisAppTest)
#include "anamnesis_app_test.moc"
