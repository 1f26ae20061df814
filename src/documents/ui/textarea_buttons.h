#pragma once

#include <QString>
#include <QWidget>
#include <functional>

class QPrinter;
class QPushButton;
class QTabWidget;
class QTextEdit;

namespace pelorin::documents {

// The three buttons under the documents text area: "Отправить на печать", "Сохранить как файл" and
// "Отправить содержимое в Word". They act on whatever the text area holds, whichever tab composed it.
class TextAreaButtons : public QWidget
{
    Q_OBJECT

public:
    // The page of pages that holds the chart; printing there prints the chart, saving does nothing.
    static constexpr int kChartPage = 4;
    static inline const QString kPrintJob = QStringLiteral("BD");
    static inline const QString kRtfFilter = QStringLiteral("Файлы документов Rich Text Files (*.RTF *.rtf)");

    TextAreaButtons(QTextEdit *textArea, QTabWidget *pages, QWidget *parent = nullptr);

    QPushButton *printButton() const { return m_print; }
    QPushButton *saveButton() const { return m_save; }
    QPushButton *wordButton() const { return m_word; }

    // Draws the chart on a printer (the chart's own print); unset, the chart page has nothing to print.
    void setChartPrinter(std::function<bool(QPrinter &)> printChart) { m_printChart = std::move(printChart); }
    // Where "Отправить содержимое в Word" writes its copies; empty: the program's reports/.
    void setReportsFolder(const QString &folder) { m_reportsFolder = folder; }
    // The numbers of the copies' names; unset: random, as for the discharge summary.
    void setDrawNumber(std::function<int()> draw) { m_drawNumber = std::move(draw); }

    // The buttons' work; each answers whether a document left the program (printed, saved, opened).
    bool printDocument();
    bool saveAsFile();
    // The copy it wrote is in lastWordCopy() afterwards, also when no program opened it.
    bool sendToWord();
    QString lastWordCopy() const { return m_lastWordCopy; }

    // The file "Сохранить как файл" writes for the name chosen in the dialog: that file when it
    // exists, else the name with ".rtf" appended unless it already ends so.
    static QString rtfTarget(const QString &chosen);

private:
    bool chartPageActive() const;
    bool offerPdf(const std::function<bool(QPrinter &)> &paint);

    QTextEdit *m_textArea;
    QTabWidget *m_pages;
    QPushButton *m_print;
    QPushButton *m_save;
    QPushButton *m_word;
    std::function<bool(QPrinter &)> m_printChart;
    std::function<int()> m_drawNumber;
    QString m_reportsFolder;
    QString m_lastFolder;
    QString m_lastWordCopy;
};

} // namespace pelorin::documents
