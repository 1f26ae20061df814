#include "application.h"

#include "archive.h"
#include "backups.h"
#include "clock.h"
#include "dbcontrols.h"
#include "dialogs.h"
#include "form1.h"
#include "form_help.h"
#include "form_logs.h"
#include "form_register_docks.h"
#include "form_settings.h"
#include "form_outcomes.h"
#include "form_sys.h"
#include "formwait.h"
#include "exam_dialogs.h"
#include "form_osmotr_elem.h"
#include "placeholder.h"
#include "programfolder.h"
#include "reflist.h"
#include "safefile.h"
#include "session.h"
#include "wiring.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFileInfo>
#include <vector>

namespace pelorin::app {

namespace {

const QString kPassword = QStringLiteral("zlk");

// The register card's own lists.
const ReferenceList kRegisterLists[] = {
    {"region.txt", "Form1", "DBComboBox7"},
    {"profess.txt", "Form1", "DBComboBox8"},
    {"vrach.txt", "Form1", "DBComboBox9"},
};

// The window an area of the program owns under this name, else nullptr.
QDialog *createAreaWindow(Application &app, const QString &name)
{
    for (auto create : {createAnamnesisWindow, createClinicalWindow, createPhotoWindow, createPuvaWindow}) {
        if (QDialog *w = create(app, name))
            return w;
    }
    return nullptr;
}

} // namespace

Application::Application(const QStringList &arguments) : m_arguments(arguments)
{
}

Application::~Application()
{
    // Windows go before the data modules their controls watch.
    for (auto &w : m_owned)
        w.reset();
    if (m_photoRootSet)
        folder::setPhotoRoot(QString());
    // The day's copy is read beside the still open database, under the folder's lock; its failure
    // is told on standard error and never holds up the end.
    // A server's records are the server's to keep (pg_dump); the seat's folder holds none.
    if (m_ctx.database.isOpen() && m_ctx.database.backend() == db::Database::Backend::SQLite)
        db::backupAtExit(m_ctx.database.folder());
}

void Application::createWindow(QWidget *w)
{
    m_owned.emplace_back(w);
    m_windows << w;
}

QWidget *Application::window(const QString &objectName) const
{
    for (const QPointer<QWidget> &w : m_windows) {
        if (w && w->objectName() == objectName)
            return w;
    }
    return nullptr;
}

QStringList Application::creationOrder() const
{
    QStringList names;
    for (const QPointer<QWidget> &w : m_windows)
        names << (w ? w->objectName() : QString());
    return names;
}

bool Application::openModule(int module)
{
    QString error;
    const bool ok = openDataModule(m_ctx, module, &error);
    if (ok && module == 2) {
        m_ctx.examinations->showWait = [this](bool on) {
            if (on)
                m_wait->showWaiting();
            else
                m_wait->hideWaiting();
        };
    }
    if (!ok) {
        m_wait->hideWaiting();
        Dialogs::instance().message(error, QStringLiteral("Пелорин."), Dialogs::Kind::Error);
    }
    return ok;
}

bool Application::loadLists()
{
    // Loaded area by area in this order; the first list that cannot be read stops the start.
    std::vector<ReferenceList> lists(std::begin(kRegisterLists), std::end(kRegisterLists));
    for (auto declared : {puvaLists, documentsLists}) {
        const std::span<const ReferenceList> area = declared();
        lists.insert(lists.end(), area.begin(), area.end());
    }
    for (const ReferenceList &t : lists) {
        QStringList items;
        QString error;
        if (!readReferenceList(folder::sourses() + QString::fromLatin1(t.file), &items, &error)) {
            m_wait->hideWaiting();
            Dialogs::instance().message(error, QStringLiteral("Пелорин."), Dialogs::Kind::Error);
            return false;
        }
        QWidget *w = window(QString::fromLatin1(t.window));
        auto *combo = w ? w->findChild<QComboBox *>(QString::fromLatin1(t.control)) : nullptr;
        if (!combo)
            continue;
        if (auto *bound = dynamic_cast<ui::DBComboBox *>(combo)) {
            bound->setItems(items);
        } else {
            combo->clear();
            combo->addItems(items);
        }
    }
    return true;
}

bool Application::lockDataFolder(const QString &folder)
{
    if (m_instanceLock || !QFileInfo(folder).isDir())
        return true;
    auto lock = std::make_unique<QLockFile>(QDir(folder).absoluteFilePath(QStringLiteral("tarvelo.lock")));
    // A running copy keeps its lock however long it runs; a copy that died leaves a lock the next
    // start takes over.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) {
        if (lock->error() == QLockFile::LockFailedError) {
            Dialogs::instance().message(
                QStringLiteral("Программа уже запущена с базой данных в папке %1. Вторую копию открыть нельзя.")
                    .arg(QDir::toNativeSeparators(folder)),
                QStringLiteral("Пелорин."), Dialogs::Kind::Error);
            return false;
        }
        // A folder where no lock can be written (read-only) is told about when the database opens.
        return true;
    }
    m_instanceLock = std::move(lock);
    return true;
}

Application::Start Application::start()
{
    const QString dataFolder = db::Database::resolveDataFolder(m_arguments);
    const QString server = db::Database::resolveServerAlias(m_arguments);
    // With a server one copy runs per seat: the lock is in the seat's own folder, and the clinic's
    // other seats work beside it.
    if (!server.isEmpty())
        safefile::makeFolder(dataFolder);
    if (!lockDataFolder(dataFolder))
        return Start::Failed;
    // Photo copies go where every seat reaches them when the records are shared: the folder
    // --photos (or PELORIN_PHOTOS) names, holding foto\ as the program folder would.
    if (const QString photos = folder::photoRootFromArguments(m_arguments); !photos.isEmpty()) {
        if (!safefile::makeFolder(QDir(photos).absoluteFilePath(QStringLiteral("foto")))) {
            Dialogs::instance().message(QStringLiteral("Папка снимков %1 недоступна для записи.").arg(QDir::toNativeSeparators(photos)),
                                        QStringLiteral("Пелорин."), Dialogs::Kind::Error);
            return Start::Failed;
        }
        folder::setPhotoRoot(photos);
        m_photoRootSet = true;
    }
    const std::optional<QString> typed =
        Dialogs::instance().input(QStringLiteral("Ввод пароля."), QStringLiteral("Введите пароль:"), QString());
    if (!typed)
        return Start::Cancelled;
    if (*typed != kPassword) {
        Dialogs::instance().message(QStringLiteral("Неправильный пароль, завершение программы"),
                                    QStringLiteral("Ошибка"), Dialogs::Kind::Error);
        return Start::WrongPassword;
    }
    Dialogs::instance().message(QStringLiteral("Добро пожаловать в программу \"Пелорин\"."), QStringLiteral("Внимание!"));

    // The table objects exist before the windows that bind to them; the data modules open them
    // at their own steps below.
    m_ctx.dm1 = std::make_unique<db::DM1>(m_ctx.database);
    m_ctx.dm2 = std::make_unique<db::DM2>(m_ctx.database, *m_ctx.dm1);
    db::DM2 &dm2 = *m_ctx.dm2;
    db::RunSettings &settings = m_ctx.settings;

    m_form1 = new Form1;
    createWindow(m_form1);
    m_wait = new ui::Form_wait;
    createWindow(m_wait);
    createWindow(new examination::Form_osmotr_index(dm2, settings, m_form1));
    auto *maintenance = new Form_sys(m_ctx, m_wait);
    createWindow(maintenance);
    m_logs = new Form_logs(m_ctx.log);
    m_logs->setJournal(&m_ctx.database, [this]() -> std::pair<QVariant, QString> {
        db::Table *reg = m_ctx.dm1->register_;
        if (!reg->isOpen() || reg->isEmpty() || reg->state() == db::TableState::Insert)
            return {};
        return {reg->value(QStringLiteral("ID_man")),
                Form1::patientCaption(reg->asString(QStringLiteral("Last_Name")),
                                      reg->asString(QStringLiteral("First_Name")),
                                      reg->asString(QStringLiteral("Father_Name")),
                                      reg->asString(QStringLiteral("Amb_karta")))};
    });
    createWindow(m_logs);
    auto *osmOb = new examination::Form_osm_ob(dm2, settings, m_form1);
    createWindow(osmOb);
    m_settings = new Form_settings(m_ctx.settings);
    createWindow(m_settings);

    m_wait->showWaiting();
    QString error;
    const QString folder = db::Database::resolveDataFolder(m_arguments);
    if (!server.isEmpty()) {
        if (!m_ctx.database.openServer(server, &error)) {
            m_wait->hideWaiting();
            Dialogs::instance().message(error, QStringLiteral("Пелорин."), Dialogs::Kind::Error);
            return Start::Failed;
        }
    } else if (!db::Database::existsIn(folder)) {
        // A mistyped folder must not quietly start an empty clinic that new patients then go into.
        m_wait->hideWaiting();
        // The clinic's file may be there under the name a restore keeps it by: that comes first.
        bool broughtBack = false;
        if (const QString kept = db::keptBeforeRestore(folder);
            !kept.isEmpty() &&
            Dialogs::instance().ask(QStringLiteral("В папке %1 нет базы данных, но есть прежний файл «%2», отложенный "
                                                   "при восстановлении из копии. Поставить его на место базы данных?")
                                        .arg(QDir::toNativeSeparators(folder), QFileInfo(kept).fileName()))) {
            if (!db::bringBackKept(folder, kept, &error)) {
                Dialogs::instance().message(error, QStringLiteral("Пелорин."), Dialogs::Kind::Error);
                return Start::Failed;
            }
            broughtBack = true;
        }
        if (!broughtBack && !Dialogs::instance().ask(QStringLiteral("В папке %1 нет базы данных. Создать новую базу?")
                                                         .arg(QDir::toNativeSeparators(folder))))
            return Start::Cancelled;
        m_wait->showWaiting();
    }
    if (server.isEmpty() && !m_ctx.database.open(folder, &error)) {
        m_wait->hideWaiting();
        Dialogs::instance().message(error, QStringLiteral("Пелорин."), Dialogs::Kind::Error);
        return Start::Failed;
    }
    // A folder made just now gets its lock now.
    if (!lockDataFolder(folder)) {
        m_wait->hideWaiting();
        m_ctx.database.close();
        return Start::Failed;
    }
    if (!openModule(1))
        return Start::Failed;

    const std::pair<const char *, const char *> pickLists[] = {
        {"Form_anamnez_zab_zalobi", "Пелорин. Жалобы пациентов."},
        {"Form_anamnez_zab_start", "Пелорин. Начало заболевания."},
        {"Form_anamnez_zab_ranlech", "Пелорин. Ранее проводимое лечение."},
        {"Form_anamnez_zab_obostr_lech", "Пелорин. Лечение при последнем обострении."},
        {"Form_anamnez_zab_obostr_prich", "Пелорин. Провоцируют обострение."},
        {"Form_amamnez_life_zab", "Пелорин. Сопутствующие заболевания."},
        {"Form_amamnez_life_sem", "Пелорин. Семейный анализ."},
    };
    for (const auto &[name, caption] : pickLists) {
        QDialog *real = createAreaWindow(*this, QString::fromLatin1(name));
        createWindow(real ? real : new PlaceholderWindow(QString::fromLatin1(name), QString::fromUtf8(caption)));
    }

    if (!openModule(2))
        return Start::Failed;

    const std::pair<const char *, const char *> remaining[] = {
        {"Form_osmotr_elem", "Пелорин. Элементы высыпания."},
        {"Form_osmotr_klsimp", "Пелорин. Клинические симптомы."},
        {"Form_lech_puva_edit", "Пелорин. ПУВА-терапия."},
        {"Form_osmotr_zalobi", "Пелорин. Жалобы пациента."},
        {"Form_osm_img", "Пелорин."},
        {"Form_osmotr_proizv", "Пелорин. Кожа и производные кожи."},
        {"Form_diagnoz", "Пелорин. Постановка диагнозов пациенту."},
        {"Form_analyz", "Пелорин. Исследование крови."},
        {"Form_lech_lekar", "Пелорин."},
        {"Form_diagnoz_lite", "Пелорин."},
        {"Form_lech_puva_edit_osmotr", "Пелорин."},
        {"Form_osmotr_edit_puva", "Пелорин."},
        {"Form_lech_puva_edit_script", "Пелорин."},
        {"Form_osmotr_index1", "Пелорин. Индекс PASI."},
        {"Form_register_docks", "Пелорин. Документы пациента."},
        {"Form_recomend", "Пелорин."},
    };
    // The examination dialogs, made here with the exacerbation dialog they share.
    auto examinationWindow = [&](const QString &n) -> QDialog * {
        if (n == QLatin1String("Form_osmotr_klsimp"))
            return new examination::Form_osmotr_klsimp(dm2, settings, m_form1);
        if (n == QLatin1String("Form_osmotr_zalobi")) {
            auto *zalobi = new examination::Form_osmotr_zalobi(dm2, settings, m_form1);
            zalobi->setExacerbationDialog(osmOb);
            return zalobi;
        }
        if (n == QLatin1String("Form_osmotr_proizv"))
            return new examination::Form_osmotr_proizv(dm2, settings, m_form1);
        if (n == QLatin1String("Form_osmotr_index1"))
            return new examination::Form_osmotr_index1(dm2, settings, m_form1);
        if (n == QLatin1String("Form_osmotr_elem")) {
            auto *elements = new examination::Form_osmotr_elem(dm2, settings);
            elements->setMainWindow(m_form1);
            return elements;
        }
        return nullptr;
    };
    for (const auto &[name, caption] : remaining) {
        const QString n = QString::fromLatin1(name);
        QDialog *real = createAreaWindow(*this, n);
        if (!real)
            real = examinationWindow(n);
        // The register card's documents window is the shell's own.
        if (!real && n == QLatin1String("Form_register_docks"))
            real = new Form_register_docks(*m_ctx.dm1);
        createWindow(real ? real : new PlaceholderWindow(n, QString::fromUtf8(caption)));
    }
    // Windows of our own that the earlier versions did not have come after theirs.
    createWindow(createAreaWindow(*this, QStringLiteral("Form_osm_compare")));
    auto *help = new Form_help;
    createWindow(help);
    m_form1->attach(m_ctx, m_settings, m_logs, window(QStringLiteral("Form_register_docks")));
    m_form1->setMaintenancePanel(maintenance);
    m_form1->setHelpWindow(help);
    maintenance->setListTab([this] { return alphabetTabLetter(m_form1->currentTab()); });
    auto *outcomes = new Form_outcomes(m_ctx.database);
    createWindow(outcomes);
    m_form1->setOutcomesWindow(outcomes);
    QObject::connect(outcomes, &Form_outcomes::patientChosen, m_form1, [this](qint64 patient) {
        if (m_form1->showPatient(patient)) {
            m_form1->raise();
            m_form1->activateWindow();
        }
    });
    QObject::connect(maintenance, &Form_sys::examArchiveToReapply, m_form1, &Form1::applyExamArchive);
    wireAnamnesis(*this);
    wireClinical(*this);
    wirePhotos(*this);
    wirePuva(*this);
    wireDocuments(*this);
    // The "Выбрать" buttons of the examination panel open the examination windows.
    QObject::connect(m_form1, &Form1::examinationWindowRequested, m_form1, [this](const QString &button) {
        static const QHash<QString, QString> windows = {
            {QStringLiteral("Button7"), QStringLiteral("Form_osmotr_index")},
            {QStringLiteral("Button45"), QStringLiteral("Form_osmotr_index1")},
            {QStringLiteral("Button5"), QStringLiteral("Form_osmotr_klsimp")},
            {QStringLiteral("Button25"), QStringLiteral("Form_osmotr_proizv")},
            {QStringLiteral("Button8"), QStringLiteral("Form_osmotr_zalobi")},
            {QStringLiteral("Button46"), QStringLiteral("Form_osmotr_elem")},
        };
        if (QWidget *w = window(windows.value(button))) {
            w->show();
            w->raise();
        }
    });

    if (!loadLists())
        return Start::Failed;
    m_form1->setPatientCount(m_ctx.dm1->register_->recordCount());

    if (!loadDrugTree(*this, &error)) {
        m_wait->hideWaiting();
        Dialogs::instance().message(error, QStringLiteral("Пелорин."), Dialogs::Kind::Error);
        return Start::Failed;
    }
    m_wait->hideWaiting();

    // Presetting a picker writes nothing: the bound pickers only write what the user picks.
    const QDateTime now = clock::now();
    for (const char *name : {"DateTimePicker1", "DateTimePicker2", "DateTimePicker3", "DateTimePicker4",
                             "DateTimePicker9", "DateTimePicker10", "DateTimePicker11", "DateTimePicker12"}) {
        if (auto *p = m_form1->findChild<QDateEdit *>(QString::fromLatin1(name))) {
            const QSignalBlocker block(p);
            p->setDate(now.date());
            // A picker beside its field follows the field from the first moment: the preset stays
            // only while there is no record to show.
            if (auto *bound = qobject_cast<ui::DBDatePicker *>(p))
                bound->refresh();
        }
    }
    for (const auto &[win, picker] : {std::pair{"Form_lech_puva_edit", "DateTimePicker1"},
                                      std::pair{"Form_lech_lekar", "DateTimePicker1"},
                                      std::pair{"Form_diagnoz", "DateTimePicker2"}}) {
        if (auto *p = window(QString::fromLatin1(win))->findChild<QDateEdit *>(QString::fromLatin1(picker)))
            p->setDate(now.date());
    }
    m_form1->show();
    return Start::Running;
}

} // namespace pelorin::app
