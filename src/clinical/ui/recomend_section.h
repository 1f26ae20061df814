#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>

class QButtonGroup;
class QFrame;
class QLabel;
class QPlainTextEdit;
class QScrollBar;

namespace pelorin::db {
class Table;
}

namespace pelorin::clinical {

class Form_recomend;

// A grid of repeated panels over a table: two panels, each showing one record's date followed by
// " - дата назначения" and its recommendations text, read-only. The panel of the current record is
// highlighted and kept in view; clicking a panel, or moving the scroll bar, makes its record current.
// Panel n (0 or 1) holds "DBText_recomend_Data_<n>" and "DBMemo_recomend_List_<n>"; the scroll bar is
// "ScrollBar_recomend".
class RecomendPanels : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kRows = 2;

    explicit RecomendPanels(db::Table &recomend, QWidget *parent = nullptr);

    // Index of the record shown in the first panel.
    int topRow() const { return m_top; }
    QFrame *panel(int n) const { return m_panels[n]; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void refresh();

    db::Table &m_table;
    int m_top = 0;
    bool m_refreshing = false;
    QFrame *m_panels[kRows] = {};
    QLabel *m_dates[kRows] = {};
    QPlainTextEdit *m_texts[kRows] = {};
    QScrollBar *m_scroll;
};

// Page "Рекомендации" of the diagnosis section: the panels, "Button18" ("Добавить"), "Button47"
// ("Изменить"), "Button29" ("Удалить текущую"), the choice "RadioGroupPrintSheets" ("Печать готовых
// списков рекомендаций:") and "Button50" ("Вывести список рекомендаций на печать."), which hands the
// chosen sheet's file name (recom_ad.txt or recom_ps.txt) to the printer set with setPrintSheet.
class RecomendSection : public QWidget
{
    Q_OBJECT

public:
    RecomendSection(db::Table &recomend, Form_recomend *window, QWidget *parent = nullptr);

    using PrintSheet = std::function<void(const QString &fileName)>;
    void setPrintSheet(PrintSheet print) { m_printSheet = std::move(print); }

private:
    void showWindow();

    db::Table &m_recomend;
    QPointer<Form_recomend> m_window;
    QButtonGroup *m_sheets;
    PrintSheet m_printSheet;
};

} // namespace pelorin::clinical
