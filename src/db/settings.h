#pragma once

#include <QObject>

namespace pelorin::db {

// The settings of the current run. They start at their defaults with every run and are never
// saved, but for the PUVA exposure ones at the end; the settings window shows and edits them, the
// protection rule, the archives, the pick-list windows and the photo view read them.
class RunSettings : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // "Размер окна с изображением:"
    int photoWidth = 1000;
    int photoHeight = 800;
    // "Запрет быстрой прокрутки пациентов"
    bool noFastScrolling = true;
    // "Защита данных"
    bool protectionOn = false;       // "Включить защиту данных окошками"
    int protectionDays = 30;         // "Критерий давности:"
    bool protectionSuspended = false; // "временное выключение", set by automatic operations only
    // "Архивация данных"
    bool patientArchive = false;     // "Включить архивацию пациентов"
    int patientArchiveDays = 150;
    bool examArchive = false;        // "Включить архивацию осмотров"
    int examArchiveDays = 150;
    bool examArchiveSuspended = false; // "временное выключение" of the examination archive
    // "Суммарная нагрузка ПУВА": lifetime procedure counts and UVA doses (whole J/cm²) from which the
    // PUVA page, the editor and its warnings speak of caution and of a strong concern, and the switch
    // of the extract's line on them. Unlike the rest, the clinic keeps these from run to run: the
    // start-up reads them from the database file and the settings window writes them back.
    int puvaCautionCount = 150;
    int puvaCautionDose = 1000;
    int puvaStrongCount = 200;
    int puvaStrongDose = 1500;
    bool puvaExposureLine = false; // "Строка о суммарной нагрузке в выписке"

    // Windows showing the settings refresh themselves on this signal; whoever changes a value calls it.
    void notifyChanged() { Q_EMIT changed(); }

Q_SIGNALS:
    void changed();
};

// The protection rule's "временное выключение" for a scope, when `suspend` is set. The former value
// comes back at the end, so an operation run inside another does not switch the questions on again
// under the posts of the outer one.
class ProtectionSuspension
{
public:
    explicit ProtectionSuspension(RunSettings &settings, bool suspend = true)
        : m_settings(settings), m_former(settings.protectionSuspended)
    {
        if (suspend && !m_former)
            set(true);
    }
    ~ProtectionSuspension()
    {
        if (m_settings.protectionSuspended != m_former)
            set(m_former);
    }
    ProtectionSuspension(const ProtectionSuspension &) = delete;
    ProtectionSuspension &operator=(const ProtectionSuspension &) = delete;

private:
    void set(bool on)
    {
        m_settings.protectionSuspended = on;
        m_settings.notifyChanged();
    }

    RunSettings &m_settings;
    bool m_former;
};

} // namespace pelorin::db
