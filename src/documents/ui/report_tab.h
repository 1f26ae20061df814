#pragma once

#include "legacy_card.h"
#include "patient_report.h"
#include "report_files.h"

#include <QWidget>
#include <functional>

class QButtonGroup;
class QDateEdit;
class QLabel;
class QPushButton;
class QSpinBox;
class QTextEdit;

namespace pelorin::ui {
class DBGrid;
}

namespace pelorin::documents {

// The documents text area of the main window as the report operation fills it: each entry one
// group of paragraphs, its line feeds starting new paragraphs; never read as rich text, so a "<" in
// a name stays a "<".
class TextEditArea : public ReportTextArea
{
public:
    explicit TextEditArea(QTextEdit *edit) : m_edit(edit) {}

    void clear() override;
    void add(const QString &entry) override;
    QString plainText() const override;

private:
    QTextEdit *m_edit;
    int m_added = 0;
};

// Page "Отчет" of the documents section: the eight modes in one group ("RadioGroupReport"), the
// course number SpinEdit1, the examinations grid DBGrid8, the period pickers DateTimePicker5 and
// DateTimePicker6, "Подготовить данные к печати." (Button54) and "Старый отчет." (Button38, which the
// older card will take). The output goes to the documents text area given.
class ReportTab : public QWidget
{
    Q_OBJECT

public:
    ReportTab(db::DM1 &dm1, db::DM2 &dm2, QTextEdit *textArea, QWidget *parent = nullptr);

    // Shows and hides the wait window around a run.
    void setWait(std::function<void(bool)> wait) { m_wait = std::move(wait); }
    // Whether the extract closes with the lifetime PUVA figures, asked at each run; unset, it does not.
    void setExposureLine(std::function<bool()> on) { m_exposureLine = std::move(on); }

    ReportMode mode() const;
    void setMode(ReportMode mode);
    // The controls' choices, as the operation takes them.
    ReportInput input() const;

    // "Подготовить данные к печати." on the current patient.
    ReportFilesResult prepare();
    // "Старый отчет." on the current patient.
    ReportFilesResult legacyReport();

private:
    // Names the files a run wrote, with a link to their folder ("LabelFiles").
    void showWritten(const ReportFilesResult &result);

    db::DM1 &m_dm1;
    db::DM2 &m_dm2;
    QTextEdit *m_textArea;
    std::function<void(bool)> m_wait;
    std::function<bool()> m_exposureLine;
    QButtonGroup *m_modes = nullptr;
    QSpinBox *m_course = nullptr;
    QSpinBox *m_hiddenCourse = nullptr;
    QDateEdit *m_from = nullptr;
    QDateEdit *m_to = nullptr;
    ui::DBGrid *m_exams = nullptr;
    QLabel *m_written = nullptr;
};

} // namespace pelorin::documents
