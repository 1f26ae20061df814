#include "database.h"
#include "datamodules.h"
#include "dialogs.h"
#include "formwait.h"
#include "qtdialogs.h"
#include "startup.h"
#include "tablemodel.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMainWindow>
#include <QTableView>
#include <QVBoxLayout>

using namespace pelorin;

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Пелорин"));
    ui::QtDialogs dialogs;
    Dialogs::setInstance(&dialogs);

    // The main window comes first so that it is the application's main window.
    QMainWindow form1;
    form1.setObjectName(QStringLiteral("Form1"));
    form1.setWindowTitle(QStringLiteral("Пелорин."));
    ui::Form_wait formWait;
    formWait.showWaiting();

    QString error;
    db::Database database;
    const QString dataFolder = db::Database::resolveDataFolder(QApplication::arguments());
    if (!database.open(dataFolder, &error)) {
        formWait.hideWaiting();
        dialogs.message(error, QStringLiteral("Пелорин."), Dialogs::Kind::Error);
        return 1;
    }
    db::DM1 dm1(database);
    if (!dm1.open(&error)) {
        formWait.hideWaiting();
        dialogs.message(error, QStringLiteral("Пелорин."), Dialogs::Kind::Error);
        return 1;
    }
    db::DM2 dm2(database, dm1);
    if (!dm2.open(&error) || !app::checkProgramFolder(&error)) {
        formWait.hideWaiting();
        dialogs.message(error, QStringLiteral("Пелорин."), Dialogs::Kind::Error);
        return 1;
    }

    auto *central = new QWidget(&form1);
    auto *layout = new QVBoxLayout(central);
    auto *label57 = new QLabel(central);
    label57->setObjectName(QStringLiteral("Label57"));
    label57->setText(QStringLiteral("Пациентов в базе даных: %1").arg(dm1.register_->recordCount()));
    layout->addWidget(label57);
    auto *grid = new QTableView(central);
    grid->setObjectName(QStringLiteral("DBGrid1"));
    auto *model = new ui::TableModel(dm1.register_,
                                     {{QStringLiteral("Amb_karta"), QStringLiteral("№ карты")},
                                      {QStringLiteral("Last_Name"), QStringLiteral("Фамилия")},
                                      {QStringLiteral("First_Name"), QStringLiteral("Имя")},
                                      {QStringLiteral("Father_Name"), QStringLiteral("Отчество")},
                                      {QStringLiteral("Reg_date"), QStringLiteral("Поступление")},
                                      {QStringLiteral("Vip_date"), QStringLiteral("Выписка")}},
                                     grid);
    grid->setModel(model);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->horizontalHeader()->setStretchLastSection(true);
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
    QObject::connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, grid,
                     [&dm1](const QModelIndex &current) {
                         if (current.isValid())
                             dm1.register_->setRecNo(current.row() + 1);
                     });
    layout->addWidget(grid);
    form1.setCentralWidget(central);
    form1.resize(1100, 700);
    formWait.hideWaiting();
    form1.show();
    return app.exec();
}
