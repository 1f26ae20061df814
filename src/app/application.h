#pragma once

#include "appcontext.h"

#include <QList>
#include <QLockFile>
#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <memory>

namespace pelorin::ui {
class Form_wait;
}

namespace pelorin::app {

class Form1;
class Form_logs;
class Form_settings;

// The program's start: the password, every window and both data modules created once in their
// order, the reference lists loaded, the date pickers preset. Windows are shown and hidden,
// never destroyed, until the program ends.
class Application
{
public:
    enum class Start { Running, Cancelled, WrongPassword, Failed };

    explicit Application(const QStringList &arguments);
    ~Application();

    Start start();

    AppContext &context() { return m_ctx; }
    Form1 *form1() const { return m_form1; }
    Form_settings *formSettings() const { return m_settings; }
    Form_logs *formLogs() const { return m_logs; }
    // Any window created at start-up, by its name ("Form_lech_lekar", ...).
    QWidget *window(const QString &objectName) const;
    // Names of the windows in the order they were created.
    QStringList creationOrder() const;

private:
    bool openModule(int module);
    void createWindow(QWidget *w);
    bool loadLists();

    // One running copy per data folder: taken before the password is asked.
    bool lockDataFolder(const QString &folder);

    QStringList m_arguments;
    std::unique_ptr<QLockFile> m_instanceLock;
    AppContext m_ctx;
    QList<QPointer<QWidget>> m_windows;
    std::vector<std::unique_ptr<QWidget>> m_owned;
    Form1 *m_form1 = nullptr;
    ui::Form_wait *m_wait = nullptr;
    Form_settings *m_settings = nullptr;
    Form_logs *m_logs = nullptr;
    bool m_photoRootSet = false;
};

} // namespace pelorin::app
