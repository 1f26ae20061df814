// Starts the program on a data folder with the password answered, shows every section of the main
// window and the windows named on the command line, and saves each as a PNG, for looking at the
// layout without a display: QT_QPA_PLATFORM=offscreen pelorin-screenshots DATA OUT [window...]
#include "application.h"
#include "dialogs.h"
#include "form1.h"
#include "programfolder.h"

#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QScrollArea>
#include <QTabWidget>
#include <QTimer>

using namespace pelorin;

int main(int argc, char *argv[])
{
    QApplication qt(argc, argv);
    const QStringList args = qt.arguments();
    if (args.size() < 3) {
        qWarning("usage: pelorin-screenshots DATA OUT [window...]");
        return 2;
    }
    ScopedScriptedDialogs dialogs;
    dialogs.answers = {QStringLiteral("zlk")};
    folder::setRoot(QCoreApplication::applicationDirPath());
    app::Application program({QStringLiteral("pelorin"), QStringLiteral("--data"), args[1]});
    if (program.start() != app::Application::Start::Running)
        return 1;
    const QString out = args[2];
    QDir().mkpath(out);
    app::Form1 *form = program.form1();
    form->resize(1340, 740);
    auto settle = [] {
        // Layouts settle over several rounds of posted events.
        for (int i = 0; i < 20; ++i) {
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents();
        }
    };
    for (int s = 0; s < app::Form1::SectionCount; ++s) {
        const QSize least = form->sectionBox(app::Form1::Section(s))->minimumSizeHint();
        qInfo("%s: least %dx%d", qPrintable(form->sectionBox(app::Form1::Section(s))->objectName()), least.width(),
              least.height());
        form->showSection(app::Form1::Section(s));
        settle();
        form->grab().save(QStringLiteral("%1/section%2.png").arg(out).arg(s));
        if (auto *scroll = form->findChild<QScrollArea *>(QStringLiteral("SectionScroll")))
            qInfo("  viewport %dx%d, content %dx%d", scroll->viewport()->width(), scroll->viewport()->height(),
                  scroll->widget()->width(), scroll->widget()->height());
        // Every page of a paged section.
        for (QTabWidget *tabs : form->sectionBox(app::Form1::Section(s))->findChildren<QTabWidget *>()) {
            for (int p = 1; p < tabs->count(); ++p) {
                tabs->setCurrentIndex(p);
                settle();
                form->grab().save(QStringLiteral("%1/section%2-%3-page%4.png").arg(out).arg(s).arg(tabs->objectName()).arg(p));
            }
            tabs->setCurrentIndex(0);
        }
    }
    if (QWidget *area = form->findChild<QWidget *>(QStringLiteral("SectionArea"))) {
        const QSize least = area->minimumSizeHint();
        qInfo("section area %dx%d, least %dx%d", area->width(), area->height(), least.width(), least.height());
    }
    for (int i = 3; i < args.size(); ++i) {
        if (QWidget *w = program.window(args[i])) {
            w->show();
            settle();
            w->grab().save(QStringLiteral("%1/%2.png").arg(out, args[i]));
            w->hide();
        }
    }
    return 0;
}
