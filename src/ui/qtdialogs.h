#pragma once

#include "dialogs.h"

class QCoreApplication;

namespace pelorin::ui {

// Qt's own texts (standard buttons, file dialogs, the text fields' context menu) in Russian whatever
// the machine's locale, and Russian number and date formats. False when Qt's Russian translation
// is not installed; the program then still runs, with those texts in English.
bool installRussianTranslations(QCoreApplication &app);

// The dialogs interface shown as modal Qt message, input and file boxes.
class QtDialogs : public Dialogs
{
public:
    bool ask(const QString &text, const QString &caption, Kind kind) override;
    Answer question(const QString &text, const QString &caption) override;
    void message(const QString &text, const QString &caption, Kind kind) override;
    void fileMessage(const QString &text, const QString &folder, const QString &caption) override;
    std::optional<QString> input(const QString &caption, const QString &prompt, const QString &initial) override;
    QString openFileName(const QString &caption, const QString &dir, const QString &filter) override;
    QString saveFileName(const QString &caption, const QString &dir, const QString &filter) override;
    void beep() override;
};

} // namespace pelorin::ui
