#pragma once

#include <QMainWindow>

class QAbstractButton;
class QButtonGroup;
class QGroupBox;
class QLabel;
class QPushButton;
class QTabBar;
class QTabWidget;
class QTextEdit;

namespace pelorin::ui {
class DBGrid;
}

namespace pelorin::app {

struct AppContext;
class Form_settings;

// The main window: the patient list with its alphabet tabs at the top, the section bar on the
// left and one section at a time in the middle. Built empty at start-up; attach() binds it to the
// data modules once they exist.
class Form1 : public QMainWindow
{
    Q_OBJECT

public:
    enum Section { Register, AnamnezZab, AnamnezLive, Osmotr, Lech, Analyz, Diagnoz, Docs, SectionCount };

    explicit Form1(QWidget *parent = nullptr);
    ~Form1() override;

    void attach(AppContext &context, Form_settings *settings, QWidget *logs, QWidget *registerDocs);
    // F5: the patient list and the current patient's records read again from the database.
    void refreshRecords();
    // "Панель автоматических действий" of the system panel shows this window.
    void setMaintenancePanel(QWidget *panel) { m_maintenance = panel; }
    // "Итоги лечения" of the system panel shows this window.
    void setOutcomesWindow(QWidget *window) { m_outcomes = window; }
    // Makes the patient (register ID_man) the current one, shown alone as the tab "(*)" shows him.
    // False when the register cannot move (its pending edit was refused) or has no such patient.
    bool showPatient(qint64 patientId);
    // "Справка" (F1) shows this window: the doctor's guide.
    void setHelpWindow(QWidget *help) { m_help = help; }
    void showHelp();

    // Hide-all-sections step, then the section; the section button goes down with it.
    void showSection(Section section);
    Section currentSection() const { return m_current; }
    QGroupBox *sectionBox(Section section) const { return m_sections[section]; }
    // A place the areas of the program fill: HostAnamnezZab, HostAnamnezLive, HostPhotos, HostLechPuva,
    // HostLechLekar, HostAnalyz, HostDiagnoz, HostRecomend, HostChart, HostDocsRecomend, HostSysPuva,
    // HostSysLekar. Each has an empty vertical layout.
    QWidget *host(const QString &name) const;
    QTextEdit *documentsText() const { return m_richEdit; }
    QTabWidget *documentsPages() const { return m_docsPages; }
    AppContext *context() const { return m_ctx; }

    // Alphabet tab change (0 "*", 1..29 letters, 30 "№", 31 "(*)").
    void selectTab(int tab);
    // Selects a tab without running its filter.
    void selectTabSilently(int tab);
    int currentTab() const;

    ui::DBGrid *patientGrid() const { return m_grid; }
    // Background of a patient row by its status; nullopt for the standard look.
    static std::optional<QColor> rowColour(const QString &flag, const QVariant &flagDay, bool focused);

    // "Тихонов А. Б., карта 1074": the patient as the section headers name him.
    static QString patientCaption(const QString &lastName, const QString &firstName, const QString &fatherName,
                                  const QString &card);

    void setPatientCount(int count);
    // The label set from the database again, after a patient came or went.
    void countPatients();

    // Entry points of the section bar, the list's pop-up menu and the card.
    void newPatient();
    void deletePatient();
    void flush();
    void showAll();
    void gridDoubleClicked();
    void computeAgeCategory();
    void openSystemPanel();

    // The archive settings changed in the settings window.
    // The list shows tab "*" filtered by the archive alone, the current patient kept when listed.
    void applyPatientArchive();
    void applyExamArchive();

Q_SIGNALS:
    // A "Выбрать" button of the examination panel: Button7, Button45, Button5, Button25, Button8, Button46.
    void examinationWindowRequested(const QString &button);
    // A section was shown by its button (a Section value).
    void sectionShown(int section);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildSectionBar();
    void buildPatientList();
    void buildSections();
    QWidget *buildRegistrationCard();
    QWidget *buildExaminationPanel();
    void buildAnamnesisPair(QGroupBox *box, const char *hostName, const char *apply, const char *cancel,
                            const char *tableName);
    void hideAllSections();
    void updateSectionTitles();
    void updateApplyButtons();
    QPushButton *visibleApply() const;
    QPushButton *visibleCancel() const;

    AppContext *m_ctx = nullptr;
    Form_settings *m_settings = nullptr;
    QWidget *m_logs = nullptr;
    QWidget *m_maintenance = nullptr;
    QWidget *m_outcomes = nullptr;
    QWidget *m_help = nullptr;
    QWidget *m_registerDocs = nullptr;
    QGroupBox *m_sections[SectionCount] = {};
    QString m_sectionTitles[SectionCount];
    QAbstractButton *m_sectionButtons[SectionCount] = {};
    QButtonGroup *m_sectionGroup = nullptr;
    Section m_current = Register;
    QGroupBox *m_sys = nullptr;
    QWidget *m_sectionArea = nullptr;
    QWidget *m_cardHost = nullptr;
    QWidget *m_osmotrHost = nullptr;
    ui::DBGrid *m_grid = nullptr;
    QTabBar *m_tabs = nullptr;
    QLabel *m_count = nullptr;
    QTabWidget *m_docsPages = nullptr;
    QTextEdit *m_richEdit = nullptr;
    bool m_tabSilently = false;
};

} // namespace pelorin::app
