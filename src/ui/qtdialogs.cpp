#include "qtdialogs.h"

#include <QApplication>
#include <QDesktopServices>
#include <QUrl>
#include <QFileDialog>
#include <QTranslator>
#include <QLocale>
#include <QLibraryInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace pelorin::ui {

namespace {

QMessageBox::Icon iconFor(Dialogs::Kind kind)
{
    switch (kind) {
    case Dialogs::Kind::Information:
        return QMessageBox::Information;
    case Dialogs::Kind::Warning:
        return QMessageBox::Warning;
    case Dialogs::Kind::Error:
        return QMessageBox::Critical;
    case Dialogs::Kind::Confirmation:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

QWidget *parentWindow()
{
    return QApplication::activeWindow();
}

} // namespace

bool QtDialogs::ask(const QString &text, const QString &caption, Kind kind)
{
    QMessageBox box(iconFor(kind), caption, text, QMessageBox::NoButton, parentWindow());
    QPushButton *yes = box.addButton(QStringLiteral("Да"), QMessageBox::YesRole);
    QPushButton *no = box.addButton(QStringLiteral("Нет"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

Dialogs::Answer QtDialogs::question(const QString &text, const QString &caption)
{
    // No escape button: Escape and the close button leave the box without an answer.
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::NoButton, parentWindow());
    QPushButton *yes = box.addButton(QStringLiteral("Да"), QMessageBox::YesRole);
    QPushButton *no = box.addButton(QStringLiteral("Нет"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.exec();
    if (box.clickedButton() == yes)
        return Answer::Yes;
    if (box.clickedButton() == no)
        return Answer::No;
    return Answer::Closed;
}

void QtDialogs::message(const QString &text, const QString &caption, Kind kind)
{
    QMessageBox box(iconFor(kind), caption, text, QMessageBox::NoButton, parentWindow());
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.exec();
}

void QtDialogs::fileMessage(const QString &text, const QString &folder, const QString &caption)
{
    QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::NoButton, parentWindow());
    QPushButton *open = box.addButton(QStringLiteral("Открыть папку"), QMessageBox::ActionRole);
    QPushButton *ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.exec();
    if (box.clickedButton() == open)
        QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

std::optional<QString> QtDialogs::input(const QString &caption, const QString &prompt, const QString &initial)
{
    QInputDialog dialog(parentWindow());
    dialog.setWindowTitle(caption);
    dialog.setLabelText(prompt);
    dialog.setTextValue(initial);
    dialog.setOkButtonText(QStringLiteral("OK"));
    dialog.setCancelButtonText(QStringLiteral("Отмена"));
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

QString QtDialogs::openFileName(const QString &caption, const QString &dir, const QString &filter)
{
    // Qt's own dialog speaks the language of the program; a desktop's native one that of the machine.
    return QFileDialog::getOpenFileName(parentWindow(), caption, dir, filter, nullptr,
                                        QFileDialog::DontUseNativeDialog);
}

QString QtDialogs::saveFileName(const QString &caption, const QString &dir, const QString &filter)
{
    // The caller asks about replacing a file: it alone knows the name the file finally gets.
    return QFileDialog::getSaveFileName(parentWindow(), caption, dir, filter, nullptr,
                                        QFileDialog::DontUseNativeDialog | QFileDialog::DontConfirmOverwrite);
}

void QtDialogs::beep()
{
    QApplication::beep();
}

bool installRussianTranslations(QCoreApplication &app)
{
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    auto *qt = new QTranslator(&app);
    if (!qt->load(QLocale(QLocale::Russian, QLocale::Russia), QStringLiteral("qtbase"), QStringLiteral("_"),
                  QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete qt;
        return false;
    }
    QCoreApplication::installTranslator(qt);
    return true;
}

} // namespace pelorin::ui
