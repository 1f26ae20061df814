#pragma once

#include <QString>
#include <QWidget>

class QButtonGroup;
class QTextEdit;

namespace pelorin::documents {

// The ready-made recommendation sheets of the sourses folder.
inline constexpr char kAtopicSheet[] = "recom_ad.txt";
inline constexpr char kPsoriasisSheet[] = "recom_ps.txt";

// Loads a sheet file into the documents text area, replacing what it held: a rich-text (RTF) file
// as rich text, any other as plain text (a byte-order mark selects UTF-8 or UTF-16, otherwise
// Windows-1251). A file that cannot be read is reported in a message naming it, and the text area
// is left as it was; false then.
bool loadSheet(QTextEdit *editor, const QString &path);

// "Вывести список рекомендаций.": the text area emptied, its default text size 12 points and left
// alignment, then the sheet of the sourses folder loaded.
bool showRecommendationSheet(QTextEdit *editor, const QString &fileName);

// "Вывести список рекомендаций на печать.": the sheet loaded into the text area and printed as the
// job "BD". Nothing is printed when the sheet cannot be read.
bool printRecommendationSheet(QTextEdit *editor, const QString &fileName);

// Page "Рекомендации пациенту" of the documents section: the choice "RadioGroupSheets" ("Выберите
// необходимые рекомендации:") and "Button48" ("Вывести список рекомендаций."). Without a choice the
// text area is only emptied.
class DocsRecomendPage : public QWidget
{
    Q_OBJECT

public:
    DocsRecomendPage(QTextEdit *editor, QWidget *parent = nullptr);

private:
    QTextEdit *m_editor;
    QButtonGroup *m_choice;
};

} // namespace pelorin::documents
