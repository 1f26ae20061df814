#include "form_sys.h"

#include "appcontext.h"
#include "datamodules.h"
#include "dialogs.h"
#include "formwait.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace pelorin::app {

namespace {

const QString kWalkAll = QStringLiteral("Перебрать всех пациентов.");

struct ButtonRow
{
    const char *group;
    const char *name;
    const char *caption; // nullptr: "Перебрать всех пациентов."
    MaintenanceRun run;
};

// Group by group, as the panel shows them; the third group holds two buttons.
const ButtonRow kButtons[] = {
    {"Настройка номеров курсов ПУВА терапии", "Button1", nullptr, MaintenanceRun::CourseNumbers},
    {"Подбивка всех дат поступил\\выписался", "Button2", nullptr, MaintenanceRun::DischargeDates},
    {"Перетряхивание всех диагнозов.", "Button3", nullptr, MaintenanceRun::RepostDiagnoses},
    {"Перетряхивание всех диагнозов.", "Button4", "Перебрать курсы пациентов", MaintenanceRun::CopyCourses},
    {"Подбивка всех дат через ПУВА лечение", "Button5", nullptr, MaintenanceRun::ProcedureTotals},
    {"Чистка пустых полей в посл. обост. осмотра.", "Button6", nullptr, MaintenanceRun::ClearExacerbation},
};

} // namespace

Form_sys::Form_sys(AppContext &context, ui::Form_wait *wait, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint), m_ctx(context), m_wait(wait)
{
    setObjectName(QStringLiteral("Form_sys"));
    setWindowTitle(QStringLiteral("Пелорин."));
    auto *layout = new QVBoxLayout(this);
    auto *title = new QLabel(QStringLiteral("Панель автоматических действий."), this);
    title->setObjectName(QStringLiteral("Label1"));
    QFont font = title->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.2);
    title->setFont(font);
    layout->addWidget(title);

    QGroupBox *box = nullptr;
    QString boxCaption;
    for (const ButtonRow &row : kButtons) {
        const QString caption = QString::fromUtf8(row.group);
        if (!box || caption != boxCaption) {
            box = new QGroupBox(caption, this);
            new QVBoxLayout(box);
            layout->addWidget(box);
            boxCaption = caption;
        }
        auto *button = new QPushButton(row.caption ? QString::fromUtf8(row.caption) : kWalkAll, box);
        button->setObjectName(QString::fromLatin1(row.name));
        box->layout()->addWidget(button);
        const MaintenanceRun run = row.run;
        connect(button, &QPushButton::clicked, this, [this, run] { runMaintenance(run); });
    }
    layout->addStretch();
    setMinimumWidth(420);
}

void Form_sys::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

MaintenanceResult Form_sys::runMaintenance(MaintenanceRun which)
{
    if (m_running || !m_ctx.dm1 || !m_ctx.dm2)
        return {};
    // The buttons say "all patients", yet a run walks the list as it is filtered now: the doctor is
    // told which list that is before anything is changed.
    const int listed = m_ctx.dm1->register_->recordCount();
    if (listed > 0) {
        QString question = QStringLiteral("Будут перебраны пациенты списка, как он отобран сейчас: вкладка «%1», "
                                          "пациентов %2.")
                               .arg(m_listTab ? m_listTab() : QStringLiteral("*"))
                               .arg(listed);
        if (m_ctx.settings.patientArchive)
            question += QStringLiteral("\nПациенты, выписанные более %1 дн. назад, в архиве и не войдут.")
                            .arg(m_ctx.settings.patientArchiveDays);
        if (!Dialogs::instance().ask(question + QStringLiteral("\nНачать обход?")))
            return {};
    }
    m_running = true;
    setEnabled(false);
    Maintenance maintenance(*m_ctx.dm1, *m_ctx.dm2, m_ctx.settings, m_ctx.log);
    maintenance.reapplyExamArchive = [this] { Q_EMIT examArchiveToReapply(); };
    QElapsedTimer shown;
    shown.start();
    maintenance.progress = [this, &shown](int done, int total) {
        // A few repaints a second keep the count moving without slowing the walk.
        if (!m_wait || (done < total && shown.elapsed() < 100))
            return;
        shown.restart();
        m_wait->setProgress(QStringLiteral("%1 из %2").arg(done).arg(total));
    };
    if (m_wait) {
        m_wait->showWaiting();
        m_wait->setProgress(QStringLiteral("0 из %1").arg(m_ctx.dm1->register_->recordCount()));
    }
    // What the doctor was typing is stored before the walk, or the walk does not start (the table
    // has told why).
    if (!maintenance.storeEdits()) {
        if (m_wait)
            m_wait->hideWaiting();
        setEnabled(true);
        m_running = false;
        return {};
    }
    // The windows do not follow the walk patient by patient (that costs far more than the walk
    // itself): the tables go quiet, nothing but the wait window repaints, and at the end every
    // window is told once where the tables stand.
    const std::vector<db::Table *> tables = maintenance.tables();
    std::vector<QPointer<QWidget>> frozen;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w != m_wait && w->isVisible() && w->updatesEnabled()) {
            w->setUpdatesEnabled(false);
            frozen.emplace_back(w);
        }
    }
    std::vector<bool> blocked;
    for (db::Table *t : tables)
        blocked.push_back(t->blockSignals(true));
    const MaintenanceResult result = maintenance.run(which);
    for (size_t i = 0; i < tables.size(); ++i)
        tables[i]->blockSignals(blocked[i]);
    for (db::Table *t : tables)
        t->announce();
    for (const QPointer<QWidget> &w : frozen) {
        if (w)
            w->setUpdatesEnabled(true);
    }
    if (m_wait)
        m_wait->hideWaiting();
    setEnabled(true);
    m_running = false;
    // The same closing line as pelorin-cli maintain prints.
    const QString closing = QStringLiteral("Обход %1 закончен: пациентов %2 из %3.")
                                .arg(int(which))
                                .arg(result.done)
                                .arg(result.patients);
    if (!result.failures.isEmpty()) {
        // The doctor learns which patients keep their old values; a long list is cut for the box.
        QStringList shownLines = result.failures.mid(0, 15);
        if (result.failures.size() > shownLines.size())
            shownLines << QStringLiteral("… и ещё %1.").arg(result.failures.size() - shownLines.size());
        Dialogs::instance().message(closing + QStringLiteral("\nНе все записи сохранены:\n") +
                                        shownLines.join(QLatin1Char('\n')),
                                    QStringLiteral("Пелорин."), Dialogs::Kind::Warning);
    } else {
        Dialogs::instance().message(closing, QStringLiteral("Пелорин."));
    }
    return result;
}

} // namespace pelorin::app
