// Starts the program on a data folder with the password answered and saves PNGs of every section of
// the main window (each page of a paged one, and the system panel) and of the windows named on the
// command line (all of them when none is named), each at the size it opens with, for looking at the
// layout without a display. The layout faults of each picture (ui::layoutFaults) are printed.
//
//     QT_QPA_PLATFORM=offscreen pelorin-screenshots DATA OUT [window...]
//
// With --guide first it takes instead the few pictures of the doctor's guide (docs/guide/images),
// each named as the guide shows it, over a patient of the data who has examinations, procedures
// and diagnoses; scripts/guide-pictures.sh runs it over a demo clinic made afresh.
//
//     QT_QPA_PLATFORM=offscreen pelorin-screenshots --guide DATA OUT
//
// The offscreen screen is 800 × 600 unless told otherwise; a laptop's 1366 × 768 less its task bar:
//     QT_QPA_PLATFORM=offscreen:configfile=laptop.json, with
//     {"windowFrameMargins": false, "screens": [{"name": "laptop", "x": 0, "y": 0, "width": 1366,
//      "height": 728, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]}
#include "appcontext.h"
#include "application.h"
#include "datamodules.h"
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

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
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

// The guide's pictures are read on a page about a thousand pixels wide: larger ones are scaled down.
constexpr int kGuideWidth = 1000;

void saveForGuide(QWidget *w, const QString &out, const QString &name)
{
    settle();
    QImage picture = w->grab().toImage();
    if (picture.width() > kGuideWidth)
        picture = picture.scaledToWidth(kGuideWidth, Qt::SmoothTransformation);
    picture = picture.convertToFormat(QImage::Format_RGB888);
    const QString path = QStringLiteral("%1/%2.png").arg(out, name);
    if (!picture.save(path, "PNG", 9))
        qWarning("cannot write %s", qPrintable(path));
    qInfo("%s: %dx%d", qPrintable(path), picture.width(), picture.height());
}

// A patient who shows what the guide speaks of: examinations, procedures and diagnoses.
bool moveToShowcasePatient(app::Application &program)
{
    db::Table &reg = *program.context().dm1->register_;
    const db::DM2 &dm2 = *program.context().dm2;
    for (int row = 1; row <= reg.recordCount(); ++row) {
        reg.setRecNo(row);
        if (dm2.osmotr1->recordCount() >= 2 && dm2.lech_puva->recordCount() >= 3 && dm2.diagnoz->recordCount() >= 2 &&
            !reg.asString(QStringLiteral("Amb_karta")).isEmpty())
            return true;
    }
    reg.first();
    return false;
}

int guidePictures(app::Application &program, ScopedScriptedDialogs &dialogs, const QString &out)
{
    app::Form1 *form = program.form1();
    settle();
    if (!moveToShowcasePatient(program))
        qWarning("no patient with examinations, procedures and diagnoses: the first one is shown");
    // The list starts at the chosen patient, as a doctor scrolls to him.
    if (auto *grid = form->findChild<QAbstractItemView *>(QStringLiteral("DBGrid1")))
        grid->scrollTo(grid->currentIndex(), QAbstractItemView::PositionAtTop);
    form->showSection(app::Form1::Register);
    saveForGuide(form, out, QStringLiteral("glavnoe-okno"));

    form->showSection(app::Form1::Osmotr);
    program.context().dm2->osmotr1->last();
    saveForGuide(form, out, QStringLiteral("osmotr"));

    form->showSection(app::Form1::Docs);
    saveForGuide(form, out, QStringLiteral("dokumenty"));

    form->showSection(app::Form1::Lech);
    if (auto *open = form->findChild<QPushButton *>(QStringLiteral("Button16"))) {
        open->click();
        if (QWidget *editor = program.window(QStringLiteral("Form_lech_puva_edit"))) {
            saveForGuide(editor, out, QStringLiteral("puva"));
            editor->close();
        }
    }
    form->showSection(app::Form1::Register);

    if (QWidget *settings = program.window(QStringLiteral("Form_settings"))) {
        settings->show();
        saveForGuide(settings, out, QStringLiteral("nastroyki"));
        settings->close();
    }
    if (QWidget *panel = program.window(QStringLiteral("Form_sys"))) {
        panel->show();
        saveForGuide(panel, out, QStringLiteral("panel-obhoda"));
        panel->close();
    }
    // A few records stored, as in a working day, so the journal has lines to show.
    const db::DM2 &dm2 = *program.context().dm2;
    for (db::Table *t : {program.context().dm1->register_, dm2.osmotr1, dm2.lech_puva, dm2.diagnoz}) {
        if (t->isEmpty())
            continue;
        t->edit();
        t->post();
    }
    if (QWidget *logs = program.window(QStringLiteral("Form_logs"))) {
        logs->resize(980, 520);
        logs->show();
        if (auto *all = logs->findChild<QCheckBox *>(QStringLiteral("CheckBoxAll")))
            all->setChecked(true);
        saveForGuide(logs, out, QStringLiteral("zhurnal"));
        logs->close();
    }
    settle();
    for (const QString &line : dialogs.transcript)
        qInfo("%s", qPrintable(line));
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication qt(argc, argv);
    ui::keepWindowsOnScreen(&qt);
    QStringList args = qt.arguments();
    const bool guide = args.size() > 1 && args[1] == QLatin1String("--guide");
    if (guide)
        args.removeAt(1);
    if (args.size() < 3) {
        qWarning("usage: pelorin-screenshots [--guide] DATA OUT [window...]");
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
    if (guide)
        return guidePictures(program, dialogs, out);
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
