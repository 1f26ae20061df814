#pragma once

#include "dialogs.h"

namespace pelorin::ui {

// The dialogs interface shown as modal Qt message, input and file boxes.
class QtDialogs : public Dialogs
{
public:
    bool ask(const QString &text, const QString &caption, Kind kind) override;
    Answer question(const QString &text, const QString &caption) override;
    void message(const QString &text, const QString &caption, Kind kind) override;
    std::optional<QString> input(const QString &caption, const QString &prompt, const QString &initial) override;
    QString openFileName(const QString &caption, const QString &dir, const QString &filter) override;
    QString saveFileName(const QString &caption, const QString &dir, const QString &filter) override;
    void beep() override;
};

} // namespace pelorin::ui
