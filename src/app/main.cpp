#include "application.h"
#include "dialogs.h"
#include "qtdialogs.h"
#include "safefile.h"
#include "windowfit.h"

#include <QApplication>

using namespace pelorin;

int main(int argc, char *argv[])
{
    // Patient data: whatever SQLite or Qt makes for the program is closed to others.
    safefile::keepFromOthers();
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Пелорин"));
    ui::installRussianTranslations(qapp);
    ui::keepWindowsOnScreen(&qapp);
    ui::QtDialogs dialogs;
    Dialogs::setInstance(&dialogs);
    int code = 0;
    {
        app::Application application(QApplication::arguments());
        switch (application.start()) {
        case app::Application::Start::Running:
            code = qapp.exec();
            break;
        case app::Application::Start::Cancelled:
        case app::Application::Start::WrongPassword:
            code = 0;
            break;
        case app::Application::Start::Failed:
            code = 1;
            break;
        }
    }
    Dialogs::setInstance(nullptr);
    return code;
}
