// Every window of the program and every section of the main window on the smallest screen the
// clinic works on (1366 × 768 less a task bar and a title bar: 1366 × 700), at the size each opens
// with: nothing outside the window, no two controls on the same place, no caption cut, and no window
// that has to be scrolled as a whole.
#include "application.h"
#include "clock.h"
#include "database.h"
#include "demo.h"
#include "dialogs.h"
#include "form1.h"
#include "form_analyz.h"
#include "form_osm_compare.h"
#include "laptopscreen.h"
#include "form_osm_img.h"
#include "form_osmotr_elem.h"
#include "formwait.h"
#include "layoutaudit.h"
#include "programfolder.h"
#include "puva_windows.h"
#include "windowfit.h"

#include <QDialog>

#include <QApplication>
#include <QImage>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QtTest>
#include <memory>

using namespace pelorin;

namespace {

const QDate kToday(2025, 3, 20);
constexpr QSize kScreen = ui::kSmallestScreen;

void settle()
{
    // Layouts settle over a few rounds of posted events.
    for (int i = 0; i < 4; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

// Visits every combination of the pages of the window's visible tab widgets, one tab widget at a
// time (the others on their first page), then returns every one to its first page.
void forEachPage(QWidget *window, const std::function<void(const QString &page)> &visit)
{
    visit(QString());
    for (QTabWidget *tabs : window->findChildren<QTabWidget *>()) {
        if (!tabs->isVisible())
            continue;
        const int start = tabs->currentIndex();
        for (int p = 0; p < tabs->count(); ++p) {
            if (p == start || !tabs->isTabVisible(p))
                continue;
            tabs->setCurrentIndex(p);
            settle();
            visit(QStringLiteral("page \"%1\" of %2").arg(tabs->tabText(p), tabs->objectName()));
        }
        tabs->setCurrentIndex(start);
        settle();
    }
}

// A scroll area nearly as large as its window scrolls the whole window.
QStringList wholeWindowScrolls(QWidget *window)
{
    QStringList faults;
    const int area = window->width() * window->height();
    for (QScrollArea *scroll : window->findChildren<QScrollArea *>()) {
        if (scroll->isVisible() && scroll->window() == window && scroll->width() * scroll->height() > area * 8 / 10)
            faults << QStringLiteral("%1: %2 scrolls the whole window")
                          .arg(window->objectName(), ui::describeControl(scroll));
    }
    return faults;
}

// The place of every visible control, to tell whether anything moved.
QHash<QWidget *, QRect> places(QWidget *window)
{
    QHash<QWidget *, QRect> out;
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (w->isVisible() && w->window() == window)
            out.insert(w, QRect(w->mapTo(window, QPoint()), w->size()));
    }
    return out;
}

QStringList moved(const QHash<QWidget *, QRect> &before, const QHash<QWidget *, QRect> &after, const QString &when)
{
    QStringList out;
    for (auto it = before.begin(); it != before.end(); ++it) {
        const QRect now = after.value(it.key());
        const QString name = it.key()->objectName();
        if (now != it.value() && !name.isEmpty() && !name.startsWith(QLatin1String("qt_")))
            out << QStringLiteral("%1 %2: %3,%4 %5x%6 -> %7,%8 %9x%10")
                       .arg(when, ui::describeControl(it.key()))
                       .arg(it.value().x())
                       .arg(it.value().y())
                       .arg(it.value().width())
                       .arg(it.value().height())
                       .arg(now.x())
                       .arg(now.y())
                       .arg(now.width())
                       .arg(now.height());
    }
    return out;
}

// Every fault on a line of its own; the failure message itself would be cut after a kilobyte.
QString report(const QStringList &faults)
{
    for (const QString &f : faults)
        qWarning().noquote() << f;
    return QStringLiteral("%1 faults, the first: %2").arg(faults.size()).arg(faults.value(0));
}

QtMessageHandler g_previousHandler = nullptr;

// The offscreen screen cannot raise windows or pass size hints to a window manager; saying so for
// every window hides the faults.
void quietOffscreen(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (text.startsWith(QLatin1String("This plugin does not support")))
        return;
    g_previousHandler(type, context, text);
}

} // namespace

class WindowFitTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        g_previousHandler = qInstallMessageHandler(quietOffscreen);
        folder::setRoot(QStringLiteral(PELORIN_PROGRAM_DIR));
        clock::setFixedToday(kToday);
        QVERIFY(m_dir.isValid());
        {
            // Three made-up patients with everything a doctor fills in: anamnesis, examinations with
            // elements, PUVA courses, drugs, blood tests, diagnoses and recommendations.
            db::Database database;
            QString error;
            QVERIFY2(database.open(m_dir.path(), &error), qPrintable(error));
            cli::DemoOptions options;
            options.patients = 3;
            options.today = kToday;
            const cli::DemoResult demo = cli::generateDemo(database.sql(), options);
            QVERIFY2(demo.ok, qPrintable(demo.error));
        }
        // A photo larger than the window the settings give it (1000 × 800).
        m_photo = m_dir.filePath(QStringLiteral("photo.jpg"));
        QImage photo(1600, 1200, QImage::Format_RGB32);
        photo.fill(QColor(200, 160, 140));
        QVERIFY(photo.save(m_photo, "JPG"));

        m_dialogs = std::make_unique<ScopedScriptedDialogs>();
        m_dialogs->answers << QStringLiteral("zlk");
        m_app = std::make_unique<app::Application>(
            QStringList{QStringLiteral("pelorin"), QStringLiteral("--data"), m_dir.path()});
        QCOMPARE(int(m_app->start()), int(app::Application::Start::Running));
        settle();
    }

    void cleanupTestCase()
    {
        m_app.reset();
        m_dialogs.reset();
    }

    void windowFits_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<int>("variant");
        for (const QString &name : m_app->creationOrder()) {
            if (name == QLatin1String("Form1"))
                continue;
            if (name == QLatin1String("Form_osmotr_elem")) {
                for (int view = 0; view < 3; ++view)
                    QTest::newRow(qPrintable(name + QStringLiteral(" вид%1").arg(view + 1))) << name << view;
            } else if (name == QLatin1String("Form_analyz")) {
                const char *groups[] = {"крови", "кала", "другие методы"};
                for (int group = 0; group < 3; ++group)
                    QTest::newRow(qPrintable(name + QLatin1Char(' ') + QString::fromUtf8(groups[group])))
                        << name << group;
            } else {
                QTest::newRow(qPrintable(name)) << name << 0;
            }
        }
    }

    void windowFits()
    {
        QFETCH(QString, window);
        QFETCH(int, variant);
        QWidget *w = open(window, variant);
        QVERIFY2(w && w->isVisible(), qPrintable(window));
        settle();
        QStringList faults;
        if (w->width() > kScreen.width() || w->height() > kScreen.height())
            faults << QStringLiteral("%1 opens at %2x%3").arg(window).arg(w->width()).arg(w->height());
        faults << wholeWindowScrolls(w);
        forEachPage(w, [&](const QString &page) {
            for (const QString &f : ui::layoutFaults(w))
                faults << (page.isEmpty() ? f : page + QStringLiteral(": ") + f);
        });
        closeWindow(w);
        QVERIFY2(faults.isEmpty(), qPrintable(report(faults)));
    }

    void sectionFits_data()
    {
        QTest::addColumn<int>("section");
        for (int s = 0; s < app::Form1::SectionCount; ++s)
            QTest::newRow(qPrintable(m_app->form1()->sectionBox(app::Form1::Section(s))->objectName())) << s;
    }

    void sectionFits()
    {
        QFETCH(int, section);
        app::Form1 *form = m_app->form1();
        form->showSection(app::Form1::Section(section));
        settle();
        QStringList faults;
        if (form->width() > kScreen.width() || form->height() > kScreen.height())
            faults << QStringLiteral("Form1 opens at %1x%2").arg(form->width()).arg(form->height());
        forEachPage(form, [&](const QString &page) {
            for (const QString &f : ui::layoutFaults(form))
                faults << (page.isEmpty() ? f : page + QStringLiteral(": ") + f);
            faults << sectionScrolls(page);
        });
        QVERIFY2(faults.isEmpty(), qPrintable(report(faults)));
    }

    // The system panel covers the section area while it is shown: nothing of the section under it
    // shows through or takes clicks, whichever section was shown.
    void systemPanelOwnsItsArea()
    {
        app::Form1 *form = m_app->form1();
        form->showSection(app::Form1::Docs);
        m_dialogs->answers << QStringLiteral("vorpe");
        form->openSystemPanel();
        settle();
        auto *panel = form->findChild<QWidget *>(QStringLiteral("GroupBox_sys"));
        QVERIFY(panel && panel->isVisible());
        QVERIFY(panel->autoFillBackground());
        QStringList faults;
        forEachPage(form, [&](const QString &page) {
            for (const QString &f : ui::layoutFaults(form))
                faults << (page.isEmpty() ? f : page + QStringLiteral(": ") + f);
        });
        // A hand-link window over it leaves the panel as it was.
        const QHash<QWidget *, QRect> before = places(form);
        form->findChild<QPushButton *>(QStringLiteral("ButtonSysChooseExam"))->click();
        settle();
        QWidget *link = m_app->window(QStringLiteral("Form_lech_puva_edit_osmotr"));
        QVERIFY(link->isVisible());
        faults << moved(before, places(form), QStringLiteral("with a hand-link window open:"));
        for (QPushButton *b : panel->findChildren<QPushButton *>()) {
            if (b->isVisible() && b->text().isEmpty())
                faults << QStringLiteral("%1 lost its caption").arg(ui::describeControl(b));
        }
        link->close();
        // Another section chosen while the panel is open stays under it until the panel closes.
        form->showSection(app::Form1::Register);
        settle();
        for (const QString &f : ui::layoutFaults(form))
            faults << QStringLiteral("register under the panel: ") + f;
        form->findChild<QPushButton *>(QStringLiteral("ButtonSysClose"))->click();
        settle();
        QVERIFY(!panel->isVisible());
        QVERIFY(form->sectionBox(app::Form1::Register)->isVisible());
        QVERIFY2(faults.isEmpty(), qPrintable(report(faults)));
    }

    // The time reminder makes the time boxes large and red; nothing in the editor moves for it.
    void editorStaysStillWhenTheTimeBoxesGrow()
    {
        auto *editor = qobject_cast<treatment::Form_lech_puva_edit *>(open(QStringLiteral("Form_lech_puva_edit"), 0));
        QVERIFY(editor && editor->isVisible());
        settle();
        const QHash<QWidget *, QRect> normal = places(editor);
        editor->remindTime();
        settle();
        QStringList faults = moved(normal, places(editor), QStringLiteral("time reminder:"));
        for (const QString &f : ui::layoutFaults(editor))
            faults << QStringLiteral("time reminder: ") + f;
        editor->findChild<QPushButton *>(QStringLiteral("Button4"))->click(); // "Применить": small again
        settle();
        faults << moved(normal, places(editor), QStringLiteral("after \"Применить\":"));
        closeWindow(editor);
        QVERIFY2(faults.isEmpty(), qPrintable(report(faults)));
    }

    // Going from view to view in any order, each view opens at the same size.
    void elementViewsKeepTheirSizes()
    {
        auto *elements =
            qobject_cast<examination::Form_osmotr_elem *>(m_app->window(QStringLiteral("Form_osmotr_elem")));
        QVERIFY(elements);
        elements->show();
        QSize first[3];
        for (int view : {0, 1, 2}) {
            elements->setView(examination::Form_osmotr_elem::View(view));
            settle();
            first[view] = elements->size();
        }
        QStringList faults;
        for (int view : {1, 0, 2, 1, 2, 0}) {
            elements->setView(examination::Form_osmotr_elem::View(view));
            settle();
            if (elements->size() != first[view])
                faults << QStringLiteral("вид%1 opened at %2x%3, then at %4x%5")
                              .arg(view + 1)
                              .arg(first[view].width())
                              .arg(first[view].height())
                              .arg(elements->width())
                              .arg(elements->height());
        }
        closeWindow(elements);
        QVERIFY2(faults.isEmpty(), qPrintable(report(faults)));
    }

    // The photo window keeps the size the settings give it where the screen has room, and no more.
    void photoWindowKeepsToTheScreen()
    {
        auto *photo = qobject_cast<examination::Form_osm_img *>(open(QStringLiteral("Form_osm_img"), 0));
        QVERIFY(photo && photo->isVisible());
        settle();
        QVERIFY2(photo->height() <= kScreen.height() && photo->width() <= kScreen.width(),
                 qPrintable(QStringLiteral("%1x%2").arg(photo->width()).arg(photo->height())));
        // Width has room: the settings' 1000 stays.
        QCOMPARE(photo->width(), 1000);
        closeWindow(photo);
    }

    // Any window too large for the screen is made to fit as it is shown, by the filter the program
    // installs once on the application.
    void oversizedWindowIsClampedWhenShown()
    {
        ui::keepWindowsOnScreen(qApp);
        QCOMPARE(qApp->findChildren<QObject *>(QStringLiteral("pelorin-screen-fit")).size(), 1);
        QDialog big;
        big.resize(2000, 1200);
        big.show();
        settle();
        const QSize room = ui::screenRoomFor(&big);
        QVERIFY2(big.width() <= room.width() && big.height() <= room.height(),
                 qPrintable(QStringLiteral("%1x%2").arg(big.width()).arg(big.height())));
    }

private:
    QStringList sectionScrolls(const QString &page)
    {
        auto *scroll = m_app->form1()->findChild<QScrollArea *>(QStringLiteral("SectionScroll"));
        if (!scroll || (!scroll->verticalScrollBar()->isVisible() && !scroll->horizontalScrollBar()->isVisible()))
            return {};
        const QSize least = scroll->widget()->minimumSizeHint();
        return {QStringLiteral("%1Form1: the section needs %2x%3 and has %4x%5: it scrolls")
                    .arg(page.isEmpty() ? QString() : page + QStringLiteral(": "))
                    .arg(least.width())
                    .arg(least.height())
                    .arg(scroll->viewport()->width())
                    .arg(scroll->viewport()->height())};
    }

    // Opens a window the way the doctor does.
    QWidget *open(const QString &name, int variant)
    {
        app::Form1 *form = m_app->form1();
        QWidget *w = m_app->window(name);
        if (!w)
            return nullptr;
        if (auto *wait = qobject_cast<ui::Form_wait *>(w)) {
            wait->showWaiting();
        } else if (name == QLatin1String("Form_lech_puva_edit")) {
            form->showSection(app::Form1::Lech);
            form->findChild<QPushButton *>(QStringLiteral("Button16"))->click();
        } else if (auto *elements = qobject_cast<examination::Form_osmotr_elem *>(w)) {
            elements->show();
            elements->setView(examination::Form_osmotr_elem::View(variant));
        } else if (auto *analyz = qobject_cast<clinical::Form_analyz *>(w)) {
            analyz->showGroup(clinical::Form_analyz::Group(variant));
        } else if (auto *photo = qobject_cast<examination::Form_osm_img *>(w)) {
            photo->showPicture(m_photo);
        } else if (auto *compare = qobject_cast<examination::Form_osm_compare *>(w)) {
            compare->showComparison();
        } else {
            w->show();
        }
        return w;
    }

    void closeWindow(QWidget *w)
    {
        if (auto *wait = qobject_cast<ui::Form_wait *>(w))
            wait->hideWaiting();
        else
            w->close();
        settle();
        m_dialogs->transcript.clear();
    }

    QTemporaryDir m_dir;
    QString m_photo;
    std::unique_ptr<ScopedScriptedDialogs> m_dialogs;
    std::unique_ptr<app::Application> m_app;
};

int main(int argc, char *argv[])
{
    // As the program's own start does.
    return testing::runOnLaptopScreen<WindowFitTest>(argc, argv,
                                                     [](QApplication &app) { ui::keepWindowsOnScreen(&app); });
}

#include "window_fit_test.moc"
