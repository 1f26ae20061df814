#include "form_lech_lekar.h"

#include "clinicfixture.h"
#include "clock.h"
#include "dbgrid.h"
#include "dialogs.h"
#include "programfolder.h"

#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>
#include <memory>

using namespace pelorin;
using namespace pelorin::treatment;

namespace {

const QDate kToday(2025, 5, 20);

const QByteArray kTree = QByteArray("\xEF\xBB\xBF") + QStringLiteral("Препараты внутрь\r\n"
                                                                     "\tАнтигистаминные\r\n"
                                                                     "\t\tЛоратадин\r\n"
                                                                     "\t\t\tпо 1 таб. 1 раз в день\r\n"
                                                                     "Местное лечение\r\n"
                                                                     "\tЭмоленты\r\n"
                                                                     "\t\tЛипикар\r\n"
                                                                     "\t\t\t2 раза в день\r\n")
                                                          .toUtf8();
const QByteArray kBackup = QByteArray("\xEF\xBB\xBF") + QStringLiteral("Резерв\r\n\tГруппа из копии\r\n").toUtf8();

const QString kDeletePrompt = QStringLiteral("ask: Внимание!: Вы уверены что хотите удалить это лечение?");

// Patient "Иванов" and a program folder of its own with lekar.txt and lekar_bu.txt; the drug
// window with its main window, and the two pages.
struct Clinic : testing::ClinicFixture
{
    QTemporaryDir program;
    QWidget mainWindow;
    std::unique_ptr<Form_lech_lekar> window;
    std::unique_ptr<LechLekarPage> page;
    std::unique_ptr<SysLekarPage> sysPage;

    explicit Clinic(const QByteArray &tree = kTree)
    {
        QDir(program.path()).mkpath(QStringLiteral("sourses"));
        folder::setRoot(program.path());
        write(QStringLiteral("lekar.txt"), tree);
        write(QStringLiteral("lekar_bu.txt"), kBackup);
        append(reg(), {{"Last_Name", QStringLiteral("Иванов")}, {"Reg_date", kToday}});
        mainWindow.resize(300, 200);
        mainWindow.show();
        window = std::make_unique<Form_lech_lekar>(*dm2, settings, &mainWindow);
        window->datePicker()->setDate(kToday);
        page = std::make_unique<LechLekarPage>(lek(), window.get());
        sysPage = std::make_unique<SysLekarPage>(lek(), settings);
    }
    ~Clinic() { folder::setRoot(QString()); }

    db::Table &lek() { return *dm2->lech_lekar; }

    static void write(const QString &name, const QByteArray &bytes)
    {
        QFile f(folder::sourses() + name);
        if (!f.open(QIODevice::WriteOnly))
            qFatal("cannot write %s", qPrintable(name));
        f.write(bytes);
    }
    static QByteArray read(const QString &name)
    {
        QFile f(folder::sourses() + name);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTreeWidget *tree() const { return window->treeView(); }
    // The item at a path of child indexes, with its parents opened so that it can be clicked.
    QTreeWidgetItem *item(const QList<int> &path) const
    {
        QTreeWidgetItem *it = tree()->topLevelItem(path.first());
        for (int i = 1; i < path.size(); ++i) {
            it->setExpanded(true);
            it = it->child(path[i]);
        }
        return it;
    }
    void click(QTreeWidgetItem *it) const
    {
        tree()->scrollToItem(it);
        QTest::mouseClick(tree()->viewport(), Qt::LeftButton, {}, tree()->visualItemRect(it).center());
    }
    void select(QTreeWidgetItem *it) const { tree()->setCurrentItem(it); }
    QAction *action(const char *name) const { return window->findChild<QAction *>(QString::fromLatin1(name)); }
    QPushButton *button(QWidget *w, const char *name) const
    {
        return w->findChild<QPushButton *>(QString::fromLatin1(name));
    }

    void openWindow()
    {
        button(page.get(), "Button20")->click();
        if (!QTest::qWaitForWindowExposed(window.get()))
            qFatal("drug window not exposed");
    }

    QStringList rows()
    {
        QStringList out;
        for (lek().first(); !lek().eof(); lek().next())
            out << lek().asString(QStringLiteral("Data")) + QStringLiteral(" | ") +
                       lek().asString(QStringLiteral("Lek")) + QStringLiteral(" | ") +
                       lek().asString(QStringLiteral("Recept"));
        return out;
    }
};

QStringList topTexts(QTreeWidget *tree)
{
    QStringList out;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        out << tree->topLevelItem(i)->text(0);
    return out;
}

} // namespace

class FormLechLekarTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { clock::setFixedToday(kToday); }
    void cleanup() { clock::reset(); }

    void controls();
    void openingReloadsCollapsesAndClearsTheMark();
    void prescribingLocalTreatment();
    void prescribingWithoutClickStoresDateOnly();
    void prescribingKeepsTheDateOrder();
    void buttonAddsAGroupAndWritesTheTree();
    void menuAddBesideADosage();
    void cancelledAnswerStillWritesTheTree();
    void changeAndDeleteReachTheFileAtTheNextAdd();
    void reopeningLosesUnwrittenChanges();
    void backupSaveAndLoad();
    void levelJumpStopsTheLoadAndLeavesTheFileAlone();
    void brokenBackupKeepsTheTree();
    void deleteButtonAndPlaceholder();
    void panelResortButton();
    void noFastScrollingLocksMainWindow_data();
    void noFastScrollingLocksMainWindow();
};

void FormLechLekarTest::controls()
{
    ScopedScriptedDialogs dialogs;
    Clinic c;
    QString error;
    QVERIFY2(c.window->loadTree(&error), qPrintable(error));
    c.openWindow();
    Form_lech_lekar &w = *c.window;
    QCOMPARE(w.objectName(), QStringLiteral("Form_lech_lekar"));
    QCOMPARE(w.windowTitle(), QStringLiteral("Пелорин."));
    QVERIFY(!w.isModal());
    QVERIFY(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QCOMPARE(w.findChild<QLabel *>(QStringLiteral("LabelTitle"))->text(),
             QStringLiteral("Препараты внутрь и местное лечение."));
    QVERIFY(w.findChild<QDateEdit *>(QStringLiteral("DateTimePicker1")));
    QVERIFY(w.findChild<QTreeWidget *>(QStringLiteral("TreeView1")));
    QCOMPARE(c.button(&w, "Button1")->text(), QStringLiteral("Добавить"));
    auto *menu = w.findChild<QMenu *>(QStringLiteral("PopupMenu1"));
    QVERIFY(menu);
    QStringList texts;
    for (QAction *a : menu->actions())
        texts << a->text();
    QCOMPARE(texts, (QStringList{QStringLiteral("Добавить"), QStringLiteral("Изменить"), QStringLiteral("Удалить"),
                                 QStringLiteral("Резервная копия")}));
    QCOMPARE(c.action("N_save")->text(), QStringLiteral("Сохранить"));
    QCOMPARE(c.action("N_load")->text(), QStringLiteral("Загрузить"));
    QCOMPARE(topTexts(c.tree()), (QStringList{QStringLiteral("Препараты внутрь"), QStringLiteral("Местное лечение")}));

    QCOMPARE(c.button(c.page.get(), "Button20")->text(), QStringLiteral("Добавить новое."));
    QCOMPARE(c.button(c.page.get(), "Button27")->text(), QStringLiteral("Удалить текущее."));
    auto *grid = c.page->findChild<ui::DBGrid *>(QStringLiteral("DBGrid_lech_lekar"));
    QVERIFY(grid);
    QCOMPARE(grid->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Дата"));
    QCOMPARE(grid->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Назначеное лечение"));
    QCOMPARE(grid->model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("Способ применения"));
    QCOMPARE(c.button(c.sysPage.get(), "Button37")->text(),
             QStringLiteral("Выполнить сортировку лекарственных препаратов по датам"));

    // A picture of the window with a branch open, and of the page with two prescriptions.
    c.item({1, 0, 0, 0});
    c.select(c.item({1, 0, 0, 0}));
    QVERIFY(!w.grab().isNull()); // it paints; no picture is left outside the test
    c.append(c.lek(), {{"Data", QDate(2025, 5, 1)},
                       {"Lek", QStringLiteral("Лоратадин")},
                       {"Recept", QStringLiteral("по 1 таб. 1 раз в день")}});
    c.append(c.lek(), {{"Data", QDate(2025, 5, 5)},
                       {"Lek", QStringLiteral("Наружно: Липикар")},
                       {"Recept", QStringLiteral("2 раза в день")}});
    c.page->resize(700, 300);
    QVERIFY(!c.page->grab().isNull()); // it paints; no picture is left outside the test
}

void FormLechLekarTest::openingReloadsCollapsesAndClearsTheMark()
{
    ScopedScriptedDialogs dialogs;
    Clinic c;
    QString error;
    QVERIFY(c.window->loadTree(&error));
    c.openWindow();
    c.click(c.item({0, 0}));
    QVERIFY(c.window->nodeClicked());
    c.window->close();

    // The file changed meanwhile: the window shows it, collapsed, with the mark cleared.
    Clinic::write(QStringLiteral("lekar.txt"),
                  QByteArray("\xEF\xBB\xBF") + QStringLiteral("Новый раздел\r\n\tГруппа\r\n").toUtf8());
    c.openWindow();
    QCOMPARE(topTexts(c.tree()), QStringList{QStringLiteral("Новый раздел")});
    QVERIFY(!c.tree()->topLevelItem(0)->isExpanded());
    QVERIFY(!c.window->nodeClicked());
    QVERIFY(c.tree()->hasFocus() || !QApplication::focusWidget());
    QVERIFY(dialogs.transcript.isEmpty());
}

void FormLechLekarTest::prescribingLocalTreatment()
{
    ScopedScriptedDialogs dialogs;
    Clinic c;
    c.openWindow();
    c.window->datePicker()->setDate(QDate(2025, 5, 18));
    QTreeWidgetItem *dosage = c.item({1, 0, 0, 0});
    c.click(dosage);
    QCOMPARE(c.tree()->currentItem(), dosage);
    QVERIFY(c.window->nodeClicked());
    Clinic::write(QStringLiteral("lekar.txt"), kTree + QByteArray("\r\n")); // to see it written again

    c.button(c.window.get(), "Button1")->click();

    QCOMPARE(c.rows(), QStringList{QStringLiteral("18.05.2025 | Наружно: Липикар | 2 раза в день")});
    QVERIFY(!c.window->isVisible());
    QVERIFY(c.mainWindow.isEnabled());
    QVERIFY(!c.settings.protectionSuspended);
    QCOMPARE(Clinic::read(QStringLiteral("lekar.txt")), kTree);
    QVERIFY(dialogs.transcript.isEmpty());
    // The picker keeps the last date picked.
    QCOMPARE(c.window->datePicker()->date(), QDate(2025, 5, 18));
}

void FormLechLekarTest::prescribingWithoutClickStoresDateOnly()
{
    ScopedScriptedDialogs dialogs;
    Clinic c;
    c.openWindow();
    c.select(c.item({0, 0, 0, 0})); // selected by the keys, never clicked
    QVERIFY(!c.window->nodeClicked());
    c.button(c.window.get(), "Button1")->click();
    QCOMPARE(c.rows(), QStringList{QStringLiteral("20.05.2025 |  | ")});
    QVERIFY(!c.window->isVisible());
}

void FormLechLekarTest::prescribingKeepsTheDateOrder()
{
    ScopedScriptedDialogs dialogs;
    Clinic c;
    c.append(c.lek(),
             {{"Data", QDate(2025, 5, 1)}, {"Lek", QStringLiteral("Супрастин")}, {"Recept", QStringLiteral("1 т.")}});
    c.append(c.lek(), {{"Data", QDate(2025, 5, 5)},
                       {"Lek", QStringLiteral("Наружно: Белосалик")},
                       {"Recept", QStringLiteral("2 р.")},
                       {"Komm", QStringLiteral("на ночь")}});
    c.openWindow();
    c.window->datePicker()->setDate(QDate(2025, 5, 5));
    c.click(c.item({0, 0, 0, 0}));
    c.button(c.window.get(), "Button1")->click();
    QCOMPARE(c.rows(), (QStringList{QStringLiteral("01.05.2025 | Супрастин | 1 т."),
                                    QStringLiteral("05.05.2025 | Лоратадин | по 1 таб. 1 раз в день"),
                                    QStringLiteral("05.05.2025 | Наружно: Белосалик | 2 р.")}));
    QCOMPARE(c.stored(QStringLiteral("SELECT Komm FROM lech_lekar WHERE Lek = 'Наружно: Белосалик'")).toString(),
             QStringLiteral("на ночь"));
}

void FormLechLekarTest::buttonAddsAGroupAndWritesTheTree()
{
    ScopedScriptedDialogs dialogs;
    Clinic c;
    c.openWindow();
    c.click(c.item({1}));
    dialogs.answers << QStringLiteral("Кератолитики");
    c.button(c.window.get(), "Button1")->click();

    QCOMPARE(dialogs.transcript, QStringList{QStringLiteral(
                                     "input: Вы не указали группу препаратов.: Введите новую группу препаратов, если "
                                     "хотите ее добавить в раздел \"Местное лечение\" :")});
    QTreeWidgetItem *added = c.tree()->currentItem();
    QCOMPARE(added->text(0), QStringLiteral("Кератолитики"));
    QCOMPARE(added->parent(), c.item({1}));
    QCOMPARE(c.item({1})->childCount(), 2);
    QVERIFY(c.window->isVisible());
    QVERIFY(Clinic::read(QStringLiteral("lekar.txt"))
                .endsWith(QStringLiteral("\t\t\t2 раза в день\r\n\tКератолитики\r\n").toUtf8()));

    // A drug under the new group, then its dosage, each from the button.
    dialogs.answers << QStringLiteral("Салициловая мазь") << QStringLiteral("1 раз в день");
    c.button(c.window.get(), "Button1")->click();
    c.button(c.window.get(), "Button1")->click();
    QCOMPARE(c.tree()->currentItem()->text(0), QStringLiteral("1 раз в день"));
    QVERIFY(
        dialogs.transcript.at(2).startsWith(QStringLiteral("input: Вы не указали дозировку препарата.: Введите новую "
                                                           "дозировку препарата \"Салициловая мазь\"")));
    QVERIFY(Clinic::read(QStringLiteral("lekar.txt"))
                .endsWith(QStringLiteral("\tКератолитики\r\n\t\tСалициловая мазь\r\n\t\t\t1 раз в день\r\n").toUtf8()));
    QVERIFY(c.lek().isEmpty());
}

void FormLechLekarTest::menuAddBesideADosage()
{
    ScopedScriptedDialogs dialogs;
    Clinic c;
    c.openWindow();
    c.select(c.item({0, 0, 0, 0}));
    dialogs.answers << QStringLiteral("по 2 таб.");
    c.action("N_add")->trigger();
    QCOMPARE(dialogs.transcript,
             QStringList{QStringLiteral("input: Добавление дозировки препарата.: Введите новую дозировку препарата "
                                        "\"Лоратадин\", если хотите ее добавить:")});
    QCOMPARE(c.item({0, 0, 0})->childCount(), 2);
    QCOMPARE(c.tree()->currentItem(), c.item({0, 0, 0, 1}));
    QVERIFY(Clinic::read(QStringLiteral("lekar.txt"))
                .contains(QStringLiteral("\t\t\tпо 1 таб. 1 раз в день\r\n\t\t\tпо 2 таб.\r\n").toUtf8()));
    QVERIFY(c.lek().isEmpty()); // the menu never prescribes
}

void FormLechLekarTest::cancelledAnswerStillWritesTheTree()
{
    ScopedScriptedDialogs dialogs;
    Clinic c;
    c.openWindow();
    Clinic::write(QStringLiteral("lekar.txt"), kTree + QByteArray("\r\n"));
    c.select(c.item({0, 0}));
    dialogs.answers << QStringLiteral("<cancel>");
    c.action("N_add")->trigger();
    QCOMPARE(c.item({0, 0})->childCount(), 1);
    QCOMPARE(Clinic::read(QStringLiteral("lekar.txt")), kTree);
}

void FormLechLekarTest::changeAndDeleteReachTheFileAtTheNextAdd()
{
    ScopedScriptedDialogs dialogs;
    Clinic c;
    c.openWindow();
    c.select(c.item({0, 0, 0}));
    dialogs.answers << QStringLiteral("Дезлоратадин");
    c.action("N_change")->trigger();
    QCOMPARE(c.item({0, 0, 0})->text(0), QStringLiteral("Дезлоратадин"));
    c.select(c.item({1, 0}));
    dialogs.answers << QStringLiteral("yes");
    c.action("N_delete")->trigger();
    QCOMPARE(c.item({1})->childCount(), 0);
    c.select(c.item({0}));
    c.action("N_delete")->trigger(); // a section is never deleted
    QCOMPARE(c.tree()->topLevelItemCount(), 2);
    QCOMPARE(
        dialogs.transcript,
        (QStringList{QStringLiteral("input: Введите новый тест: Введите новый тест"),
                     QStringLiteral("ask: Внимание!: Вы уверены что хотите удалить данное лекарство (Эмоленты) ?")}));
    QCOMPARE(Clinic::read(QStringLiteral("lekar.txt")), kTree);

    // The next "Добавить" writes everything.
    c.select(c.item({1}));
    dialogs.answers << QString();
    c.button(c.window.get(), "Button1")->click();
    QCOMPARE(
        QString::fromUtf8(Clinic::read(QStringLiteral("lekar.txt")).mid(3)),
        QStringLiteral("Препараты внутрь\r\n\tАнтигистаминные\r\n\t\tДезлоратадин\r\n\t\t\tпо 1 таб. 1 раз в день\r\n"
                       "Местное лечение\r\n"));
}

void FormLechLekarTest::reopeningLosesUnwrittenChanges()
{
    ScopedScriptedDialogs dialogs;
    Clinic c;
    c.openWindow();
    c.select(c.item({0}));
    dialogs.answers << QStringLiteral("Внутрь");
    c.action("N_change")->trigger();
    c.window->close();
    c.openWindow();
    QCOMPARE(topTexts(c.tree()), (QStringList{QStringLiteral("Препараты внутрь"), QStringLiteral("Местное лечение")}));
}

void FormLechLekarTest::backupSaveAndLoad()
{
    ScopedScriptedDialogs dialogs;
    Clinic c;
    c.openWindow();
    c.action("N_load")->trigger();
    QCOMPARE(topTexts(c.tree()), QStringList{QStringLiteral("Резерв")});
    QCOMPARE(Clinic::read(QStringLiteral("lekar.txt")), kTree); // only the screen changed

    c.openWindow();
    c.action("N_save")->trigger();
    QCOMPARE(Clinic::read(QStringLiteral("lekar_bu.txt")), kTree);
    QVERIFY(dialogs.transcript.isEmpty());
}

void FormLechLekarTest::levelJumpStopsTheLoadAndLeavesTheFileAlone()
{
    ScopedScriptedDialogs dialogs;
    const QByteArray broken = QByteArray("\xEF\xBB\xBF") + QStringLiteral("Раздел\r\n\t\t\tДозировка\r\n").toUtf8();
    Clinic c(broken);
    QString error;
    QVERIFY(!c.window->loadTree(&error));
    QVERIFY2(error.startsWith(QStringLiteral("Ошибка в файле «")), qPrintable(error));
    QVERIFY2(error.endsWith(QStringLiteral("lekar.txt», строка 2: строка вложена глубже, чем на один уровень под "
                                           "предыдущей (Invalid level (3) for item \"Дозировка\").")),
             qPrintable(error));

    c.openWindow();
    QCOMPARE(dialogs.transcript, QStringList{QStringLiteral("message: Пелорин.: ") + error});
    QCOMPARE(c.tree()->topLevelItemCount(), 0);
    QVERIFY(!c.window->treeWritable());

    // Neither "Добавить" nor "Сохранить" writes the empty tree over the files.
    dialogs.transcript.clear();
    c.button(c.window.get(), "Button1")->click();
    c.action("N_add")->trigger();
    c.action("N_save")->trigger();
    QCOMPARE(dialogs.transcript.size(), 3);
    QVERIFY(
        dialogs.transcript.first().startsWith(QStringLiteral("message: Пелорин.: Список препаратов не был загружен")));
    QCOMPARE(Clinic::read(QStringLiteral("lekar.txt")), broken);
    QCOMPARE(Clinic::read(QStringLiteral("lekar_bu.txt")), kBackup);

    // Loading the backup brings a sound tree, which the next "Добавить" writes.
    c.action("N_load")->trigger();
    QVERIFY(c.window->treeWritable());
    c.select(c.item({0}));
    dialogs.answers << QString();
    c.button(c.window.get(), "Button1")->click();
    QCOMPARE(Clinic::read(QStringLiteral("lekar.txt")), kBackup);
}

void FormLechLekarTest::brokenBackupKeepsTheTree()
{
    ScopedScriptedDialogs dialogs;
    Clinic c;
    Clinic::write(QStringLiteral("lekar_bu.txt"), QByteArray("\xEF\xBB\xBF\tГруппа без раздела\r\n"));
    c.openWindow();
    c.action("N_load")->trigger();
    QCOMPARE(dialogs.transcript.size(), 1);
    QVERIFY2(dialogs.transcript.first().endsWith(
                 QStringLiteral("lekar_bu.txt», строка 1: строка вложена глубже, чем на один уровень под предыдущей "
                                "(Invalid level (1) for item \"Группа без раздела\").")),
             qPrintable(dialogs.transcript.first()));
    QCOMPARE(topTexts(c.tree()), (QStringList{QStringLiteral("Препараты внутрь"), QStringLiteral("Местное лечение")}));
    QVERIFY(c.window->treeWritable());
}

void FormLechLekarTest::deleteButtonAndPlaceholder()
{
    ScopedScriptedDialogs dialogs;
    Clinic c;
    c.append(c.lek(), {{"Data", QDate(2025, 5, 1)}, {"Lek", QStringLiteral("Супрастин")}});
    QPushButton *remove = c.button(c.page.get(), "Button27");
    dialogs.answers << QStringLiteral("no");
    remove->click();
    QCOMPARE(c.rows(), QStringList{QStringLiteral("01.05.2025 | Супрастин | ")});
    dialogs.answers << QStringLiteral("yes");
    remove->click();
    QCOMPARE(dialogs.transcript, (QStringList{kDeletePrompt, kDeletePrompt}));
    QCOMPARE(c.rows(), QStringList{QStringLiteral(" |  | ")});

    // The next prescription fills the placeholder's row.
    c.openWindow();
    c.click(c.item({0, 0, 0, 0}));
    c.button(c.window.get(), "Button1")->click();
    QCOMPARE(c.rows(), QStringList{QStringLiteral("20.05.2025 | Лоратадин | по 1 таб. 1 раз в день")});
    QCOMPARE(c.stored(QStringLiteral("SELECT COUNT(*) FROM lech_lekar")).toInt(), 1);
}

void FormLechLekarTest::panelResortButton()
{
    ScopedScriptedDialogs dialogs;
    Clinic c;
    c.append(c.lek(), {{"Data", QDate(2025, 5, 5)}, {"Lek", QStringLiteral("Наружно: Белосалик")}});
    c.append(c.lek(), {{"Data", QDate(2025, 5, 5)}, {"Lek", QStringLiteral("Кларитин")}});
    c.append(c.lek(), {{"Data", QDate(2025, 1, 1)}, {"Lek", QStringLiteral("Супрастин")}});
    c.settings.protectionOn = true;
    dialogs.answers << QStringLiteral("no") << QStringLiteral("no") << QStringLiteral("no");
    c.button(c.sysPage.get(), "Button37")->click();
    QCOMPARE(dialogs.transcript, (QStringList{QStringLiteral("beep"), QStringLiteral("beep")}));
    QCOMPARE(c.rows(),
             (QStringList{QStringLiteral("01.01.2025 | Супрастин | "), QStringLiteral("05.05.2025 | Кларитин | "),
                          QStringLiteral("05.05.2025 | Наружно: Белосалик | ")}));
    c.button(c.sysPage.get(), "Button37")->click();
    QCOMPARE(c.rows(), (QStringList{QStringLiteral("01.01.2025 | Супрастин | "),
                                    QStringLiteral("05.05.2025 | Наружно: Белосалик | "),
                                    QStringLiteral("05.05.2025 | Кларитин | ")}));
}

void FormLechLekarTest::noFastScrollingLocksMainWindow_data()
{
    QTest::addColumn<bool>("noFastScrolling");
    QTest::newRow("on") << true;
    QTest::newRow("off") << false;
}

void FormLechLekarTest::noFastScrollingLocksMainWindow()
{
    QFETCH(bool, noFastScrolling);
    ScopedScriptedDialogs dialogs;
    Clinic c;
    c.settings.noFastScrolling = noFastScrolling;
    c.openWindow();
    QCOMPARE(c.mainWindow.isEnabled(), !noFastScrolling);
    QVERIFY(c.window->isEnabled());
    c.window->close();
    QVERIFY(c.mainWindow.isEnabled());
}

QTEST_MAIN(FormLechLekarTest)
#include "form_lech_lekar_test.moc"
