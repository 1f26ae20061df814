// Starts the program on a data folder with the password answered and saves PNGs of every section of
// the main window (each page of a paged one, and the system panel) and of the windows named on the
// command line (all of them when none is named), each at the size it opens with, for looking at the
// layout without a display. The layout faults of each picture (ui::layoutFaults) are printed.
//
//     QT_QPA_PLATFORM=offscreen pelorin-screenshots DATA OUT [window...]
//
// The offscreen screen is 800 × 600 unless told otherwise; a laptop's 1366 × 768 less its task bar:
//     QT_QPA_PLATFORM=offscreen:configfile=laptop.json, with
//     {"windowFrameMargins": false, "screens": [{"name": "laptop", "x": 0, "y": 0, "width": 1366,
//      "height": 728, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]}
#include "application.h"
#include "dialogs.h"
#include "form1.h"
#include "form_analyz.h"
#include "form_osm_compare.h"
#include "form_osm_img.h"
#include "form_osmotr_elem.h"
#include "formwait.h"
#include "layoutaudit.h"
#include "programfolder.h"
#include "puva_windows.h"
#include "windowfit.h"

#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QImage>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>

using namespace pelorin;

namespace {

void settle()
{
    // Layouts settle over several rounds of posted events.
    for (int i = 0; i < 20; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

class Shooter
{
public:
    explicit Shooter(const QString &out) : m_out(out) {}

    // The window as it is now, then each page of its visible tab widgets in turn.
    void shoot(QWidget *w, const QString &name)
    {
        settle();
        save(w, name);
        for (QTabWidget *tabs : w->findChildren<QTabWidget *>()) {
            if (!tabs->isVisible())
                continue;
            const int start = tabs->currentIndex();
            for (int p = 0; p < tabs->count(); ++p) {
                if (p == start || !tabs->isTabVisible(p))
                    continue;
                tabs->setCurrentIndex(p);
                settle();
                save(w, QStringLiteral("%1-%2-page%3").arg(name, tabs->objectName()).arg(p));
            }
            tabs->setCurrentIndex(start);
        }
    }

    int faults() const { return m_faults; }

private:
    void save(QWidget *w, const QString &name)
    {
        w->grab().save(QStringLiteral("%1/%2.png").arg(m_out, name));
        // The whole of a long scrolled list too.
        for (QScrollArea *scroll : w->findChildren<QScrollArea *>()) {
            QWidget *contents = scroll->widget();
            if (scroll->isVisible() && contents && !scroll->objectName().isEmpty() &&
                contents->height() > scroll->viewport()->height())
                contents->grab().save(QStringLiteral("%1/%2-%3.png").arg(m_out, name, scroll->objectName()));
        }
        const QStringList faults = ui::layoutFaults(w);
        m_faults += int(faults.size());
        qInfo("%s: %dx%d%s", qPrintable(name), w->width(), w->height(), faults.isEmpty() ? "" : ", faults:");
        for (const QString &f : faults)
            qInfo("  %s", qPrintable(f));
    }

    QString m_out;
    int m_faults = 0;
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication qt(argc, argv);
    ui::keepWindowsOnScreen(&qt);
    const QStringList args = qt.arguments();
    if (args.size() < 3) {
        qWarning("usage: pelorin-screenshots DATA OUT [window...]");
        return 2;
    }
    ScopedScriptedDialogs dialogs;
    dialogs.answers = {QStringLiteral("zlk")};
    folder::setRoot(QCoreApplication::applicationDirPath());
    app::Application program({QStringLiteral("pelorin"), QStringLiteral("--data"), args[1]});
    if (program.start() != app::Application::Start::Running) {
        for (const QString &line : dialogs.transcript)
            qWarning("%s", qPrintable(line));
        return 1;
    }
    const QString out = args[2];
    QDir().mkpath(out);
    Shooter shooter(out);
    app::Form1 *form = program.form1();
    settle();
    for (int s = 0; s < app::Form1::SectionCount; ++s) {
        form->showSection(app::Form1::Section(s));
        shooter.shoot(form, QStringLiteral("section%1").arg(s));
    }
    // The system panel over the documents section.
    form->showSection(app::Form1::Docs);
    dialogs.answers << QStringLiteral("vorpe");
    form->openSystemPanel();
    shooter.shoot(form, QStringLiteral("section-sys"));
    // With a hand-link window open over it.
    if (auto *choose = form->findChild<QPushButton *>(QStringLiteral("ButtonSysChooseExam"))) {
        // On its own page of the panel.
        for (QWidget *p = choose->parentWidget(); p; p = p->parentWidget()) {
            if (auto *tabs = qobject_cast<QTabWidget *>(p)) {
                for (int i = 0; i < tabs->count(); ++i) {
                    if (tabs->widget(i)->isAncestorOf(choose))
                        tabs->setCurrentIndex(i);
                }
                break;
            }
        }
        choose->click();
        settle();
        shooter.shoot(form, QStringLiteral("section-sys-link"));
        if (QWidget *link = program.window(QStringLiteral("Form_lech_puva_edit_osmotr")))
            link->close();
    }
    if (auto *close = form->findChild<QPushButton *>(QStringLiteral("ButtonSysClose")))
        close->click();
    form->showSection(app::Form1::Register);

    QStringList names = args.mid(3);
    if (names.isEmpty()) {
        names = program.creationOrder();
        names.removeAll(QStringLiteral("Form1"));
    }
    // A photo larger than the window the settings give it.
    const QString photo = out + QStringLiteral("/photo-source.jpg");
    QImage picture(1600, 1200, QImage::Format_RGB32);
    picture.fill(QColor(200, 160, 140));
    picture.save(photo, "JPG");
    for (const QString &name : names) {
        QWidget *w = program.window(name);
        if (!w)
            continue;
        // Each opened the way the doctor opens it.
        if (auto *wait = qobject_cast<ui::Form_wait *>(w)) {
            wait->showWaiting();
            shooter.shoot(w, name);
            wait->hideWaiting();
            continue;
        }
        if (auto *elements = qobject_cast<examination::Form_osmotr_elem *>(w)) {
            elements->show();
            for (int view = 0; view < 3; ++view) {
                elements->setView(examination::Form_osmotr_elem::View(view));
                shooter.shoot(w, QStringLiteral("%1-vid%2").arg(name).arg(view + 1));
            }
            elements->setView(examination::Form_osmotr_elem::Vid2);
        } else if (auto *analyz = qobject_cast<clinical::Form_analyz *>(w)) {
            for (int group = 0; group < 3; ++group) {
                analyz->showGroup(clinical::Form_analyz::Group(group));
                shooter.shoot(w, QStringLiteral("%1-group%2").arg(name).arg(group + 1));
            }
        } else if (auto *compare = qobject_cast<examination::Form_osm_compare *>(w)) {
            compare->showComparison();
            shooter.shoot(w, name);
        } else if (auto *image = qobject_cast<examination::Form_osm_img *>(w)) {
            image->showPicture(photo);
            shooter.shoot(w, name);
        } else if (auto *editor = qobject_cast<treatment::Form_lech_puva_edit *>(w)) {
            form->showSection(app::Form1::Lech);
            if (auto *open = form->findChild<QPushButton *>(QStringLiteral("Button16")))
                open->click();
            shooter.shoot(w, name);
            editor->remindTime();
            shooter.shoot(w, name + QStringLiteral("-time"));
        } else {
            w->show();
            shooter.shoot(w, name);
        }
        w->close();
        settle();
    }
    qInfo("%d layout faults", shooter.faults());
    return 0;
}
