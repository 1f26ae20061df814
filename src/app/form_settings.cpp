#include "form_settings.h"

#include "dialogs.h"
#include "puva_exposure.h"
#include "settings.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace pelorin::app {

namespace {

QSpinBox *spin(QWidget *parent, const char *name, int min, int max)
{
    auto *s = new QSpinBox(parent);
    s->setObjectName(QString::fromLatin1(name));
    s->setRange(min, max);
    s->setKeyboardTracking(false);
    return s;
}

QCheckBox *check(QWidget *parent, const char *name, const QString &caption)
{
    auto *c = new QCheckBox(caption, parent);
    c->setObjectName(QString::fromLatin1(name));
    return c;
}

QWidget *criterion(QWidget *parent, QSpinBox *s)
{
    auto *row = new QWidget(parent);
    auto *l = new QHBoxLayout(row);
    l->setContentsMargins(0, 0, 0, 0);
    l->addWidget(new QLabel(QStringLiteral("Критерий давности:"), row));
    l->addWidget(s);
    l->addWidget(new QLabel(QStringLiteral("дней."), row));
    l->addStretch();
    return row;
}

} // namespace

Form_settings::Form_settings(db::RunSettings &settings, QWidget *parent)
    : ui::EditingWindow(parent, Qt::Dialog | Qt::WindowStaysOnTopHint), m_settings(settings)
{
    setObjectName(QStringLiteral("Form_settings"));
    setWindowTitle(QStringLiteral("Пелорин. Настройки программы."));
    auto *main = new QGroupBox(QStringLiteral("Основные настройки программы."), this);
    // Two columns, so that the window keeps to a laptop's height.
    auto *columns = new QHBoxLayout(main);
    auto *grid = new QVBoxLayout;
    auto *second = new QVBoxLayout;
    columns->addLayout(grid);
    columns->addLayout(second);

    auto *db = new QGroupBox(QStringLiteral("Дополнительные настройки базы данных"), main);
    auto *button1 = new QPushButton(QStringLiteral("Перетряхнуть данные о курсах лечения в диагнозах."), db);
    button1->setObjectName(QStringLiteral("Button1"));
    button1->setEnabled(false);
    (new QVBoxLayout(db))->addWidget(button1);
    grid->addWidget(db);

    auto *photo = new QGroupBox(QStringLiteral("Размер окна с изображением:"), main);
    auto *pl = new QHBoxLayout(photo);
    m_spin1 = spin(photo, "SpinEdit1", -1000000, 1000000);
    m_spin2 = spin(photo, "SpinEdit2", -1000000, 1000000);
    pl->addWidget(new QLabel(QStringLiteral("Ширина:"), photo));
    pl->addWidget(m_spin1);
    pl->addWidget(new QLabel(QStringLiteral("Высота:"), photo));
    pl->addWidget(m_spin2);
    pl->addStretch();
    grid->addWidget(photo);

    auto *lists = new QGroupBox(QStringLiteral("Настройки списков программы"), main);
    m_check1 = check(lists, "CheckBox1", QStringLiteral("Запрет быстрой прокрутки пациентов"));
    (new QVBoxLayout(lists))->addWidget(m_check1);
    grid->addWidget(lists);

    auto *protection = new QGroupBox(QStringLiteral("Защита данных"), main);
    auto *prl = new QVBoxLayout(protection);
    m_check2 = check(protection, "CheckBox2", QStringLiteral("Включить защиту данных окошками"));
    m_spin3 = spin(protection, "SpinEdit3", -1000000, 1000000);
    m_check3 = check(protection, "CheckBox3", QStringLiteral("временное выключение"));
    m_check3->setEnabled(false);
    prl->addWidget(m_check2);
    prl->addWidget(criterion(protection, m_spin3));
    prl->addWidget(m_check3);
    grid->addWidget(protection);

    auto *panels = new QGroupBox(QStringLiteral("Технические панели"), main);
    auto *button2 = new QPushButton(QStringLiteral("Отобразить панель логов."), panels);
    button2->setObjectName(QStringLiteral("Button2"));
    (new QVBoxLayout(panels))->addWidget(button2);
    grid->addWidget(panels);

    auto *archive = new QGroupBox(QStringLiteral("Архивация данных"), main);
    auto *al = new QVBoxLayout(archive);
    m_check4 = check(archive, "CheckBox4", QStringLiteral("Включить архивацию пациентов"));
    m_spin4 = spin(archive, "SpinEdit4", 1, 9999);
    m_check5 = check(archive, "CheckBox5", QStringLiteral("Включить архивацию осмотров"));
    m_spin5 = spin(archive, "SpinEdit5", 1, 9999);
    m_check6 = check(archive, "CheckBox6", QStringLiteral("временное выключение"));
    m_check6->setEnabled(false);
    al->addWidget(m_check4);
    al->addWidget(criterion(archive, m_spin4));
    al->addWidget(m_check5);
    al->addWidget(criterion(archive, m_spin5));
    al->addWidget(m_check6);
    grid->addStretch();
    second->addWidget(archive);

    auto *exposure = new QGroupBox(QStringLiteral("Суммарная нагрузка ПУВА"), main);
    exposure->setObjectName(QStringLiteral("GroupExposure"));
    auto *el = new QGridLayout(exposure);
    m_cautionCount = spin(exposure, "SpinCautionCount", 1, treatment::kMaxThresholdCount);
    m_cautionDose = spin(exposure, "SpinCautionDose", 1, treatment::kMaxThresholdDose);
    m_strongCount = spin(exposure, "SpinStrongCount", 1, treatment::kMaxThresholdCount);
    m_strongDose = spin(exposure, "SpinStrongDose", 1, treatment::kMaxThresholdDose);
    const struct
    {
        const char *caption;
        QSpinBox *count, *dose;
    } levels[] = {{"Предупреждение с:", m_cautionCount, m_cautionDose},
                  {"Высокая нагрузка с:", m_strongCount, m_strongDose}};
    int r = 0;
    for (const auto &level : levels) {
        el->addWidget(new QLabel(QString::fromUtf8(level.caption), exposure), r, 0);
        el->addWidget(level.count, r, 1);
        el->addWidget(new QLabel(QStringLiteral("процедур или"), exposure), r, 2);
        el->addWidget(level.dose, r, 3);
        el->addWidget(new QLabel(QStringLiteral("Дж/см²"), exposure), r, 4);
        ++r;
    }
    el->setColumnStretch(5, 1);
    m_exposureLine = check(exposure, "CheckExposureLine", QStringLiteral("Строка о суммарной нагрузке в выписке"));
    el->addWidget(m_exposureLine, r, 0, 1, 6);
    second->addWidget(exposure);
    second->addStretch();

    (new QVBoxLayout(this))->addWidget(main);

    refresh();
    connect(&m_settings, &db::RunSettings::changed, this, &Form_settings::refresh);
    auto bindSpin = [this](QSpinBox *s, int db::RunSettings::*member, std::function<void()> after = {}) {
        connect(s, &QSpinBox::valueChanged, this, [this, member, after](int v) {
            if (m_refreshing)
                return;
            m_settings.*member = v;
            if (after)
                after();
        });
    };
    bindSpin(m_spin1, &db::RunSettings::photoWidth);
    bindSpin(m_spin2, &db::RunSettings::photoHeight);
    bindSpin(m_spin3, &db::RunSettings::protectionDays);
    bindSpin(m_spin4, &db::RunSettings::patientArchiveDays, [this] { Q_EMIT patientArchiveChanged(false); });
    bindSpin(m_spin5, &db::RunSettings::examArchiveDays, [this] { Q_EMIT examArchiveChanged(); });
    auto bindCheck = [this](QCheckBox *c, bool db::RunSettings::*member, std::function<void()> after = {}) {
        connect(c, &QCheckBox::clicked, this, [this, member, after](bool on) {
            m_settings.*member = on;
            if (after)
                after();
        });
    };
    bindCheck(m_check1, &db::RunSettings::noFastScrolling);
    bindCheck(m_check2, &db::RunSettings::protectionOn);
    bindCheck(m_check4, &db::RunSettings::patientArchive, [this] { Q_EMIT patientArchiveChanged(true); });
    bindCheck(m_check5, &db::RunSettings::examArchive, [this] { Q_EMIT examArchiveChanged(); });
    connect(button2, &QPushButton::clicked, this, &Form_settings::showLogsRequested);

    const std::pair<QSpinBox *, int db::RunSettings::*> thresholds[] = {
        {m_cautionCount, &db::RunSettings::puvaCautionCount},
        {m_cautionDose, &db::RunSettings::puvaCautionDose},
        {m_strongCount, &db::RunSettings::puvaStrongCount},
        {m_strongDose, &db::RunSettings::puvaStrongDose}};
    for (const auto &threshold : thresholds) {
        // Named copies: a lambda cannot capture the names of a structured binding everywhere.
        QSpinBox *box = threshold.first;
        const auto member = threshold.second;
        connect(box, &QSpinBox::valueChanged, this, [this, box, member](int v) {
            if (!m_refreshing)
                takeThreshold(box, member, v);
        });
    }
    connect(m_exposureLine, &QCheckBox::clicked, this, [this](bool on) {
        m_settings.puvaExposureLine = on;
        keepExposureSettings();
    });
}

void Form_settings::takeThreshold(QSpinBox *box, int db::RunSettings::*member, int value)
{
    const int former = m_settings.*member;
    m_settings.*member = value;
    const QString refusal = treatment::thresholdsError(treatment::thresholdsOf(m_settings));
    if (refusal.isEmpty()) {
        keepExposureSettings();
        return;
    }
    m_settings.*member = former;
    Dialogs::instance().message(refusal, QStringLiteral("Внимание!"), Dialogs::Kind::Warning);
    m_refreshing = true;
    box->setValue(former);
    m_refreshing = false;
}

void Form_settings::keepExposureSettings()
{
    m_settings.notifyChanged();
    if (!m_database)
        return;
    QString error;
    if (!treatment::saveExposureSettings(*m_database, m_settings, &error))
        Dialogs::instance().message(QStringLiteral("Настройки суммарной нагрузки ПУВА не сохранены в базе данных и "
                                                   "действуют только до конца работы программы.\n") +
                                        error,
                                    QStringLiteral("Внимание!"), Dialogs::Kind::Error);
}

void Form_settings::refresh()
{
    m_refreshing = true;
    m_spin1->setValue(m_settings.photoWidth);
    m_spin2->setValue(m_settings.photoHeight);
    m_spin3->setValue(m_settings.protectionDays);
    m_spin4->setValue(m_settings.patientArchiveDays);
    m_spin5->setValue(m_settings.examArchiveDays);
    m_check1->setChecked(m_settings.noFastScrolling);
    m_check2->setChecked(m_settings.protectionOn);
    m_check3->setChecked(m_settings.protectionSuspended);
    m_check4->setChecked(m_settings.patientArchive);
    m_check5->setChecked(m_settings.examArchive);
    m_check6->setChecked(m_settings.examArchiveSuspended);
    m_cautionCount->setValue(m_settings.puvaCautionCount);
    m_cautionDose->setValue(m_settings.puvaCautionDose);
    m_strongCount->setValue(m_settings.puvaStrongCount);
    m_strongDose->setValue(m_settings.puvaStrongDose);
    m_exposureLine->setChecked(m_settings.puvaExposureLine);
    m_refreshing = false;
}

void Form_settings::hideEvent(QHideEvent *event)
{
    ui::EditingWindow::hideEvent(event);
    Q_EMIT closedByUser();
}

} // namespace pelorin::app
