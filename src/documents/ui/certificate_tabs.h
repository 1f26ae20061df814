#pragma once

#include "certificates.h"

#include <QComboBox>
#include <QWidget>

class QDateEdit;
class QTextDocument;
class QTextEdit;

namespace pelorin::db {
class Table;
}

namespace pelorin::documents {

// An editable pick list whose text stays what it was when its items are replaced or cleared: the
// start-up fills the lists from the reference files after the pages have set their initial texts,
// and a list must not then jump to its first item.
class PickList : public QComboBox
{
    Q_OBJECT

public:
    explicit PickList(const QString &objectName, QWidget *parent = nullptr);

private:
    void hold();
    void restore();

    QString m_held;
    bool m_holding = false;
};

// Puts composed paragraphs into a text document as its whole content, with their alignment, indents
// (points, taken as the document's units) and font size; the document's default size becomes 12.
void putParagraphs(QTextDocument *document, const QList<DocParagraph> &paragraphs);

// Page "Справка" of the documents section: ComboBox1, DateTimePicker11/12, ComboBox2, DBEdit24 (the
// register's Vrach), DateTimePicker9 and "Подготовить документ" (Button39), which composes the
// certificate into the text area.
class CertificateTab : public QWidget
{
    Q_OBJECT

public:
    CertificateTab(db::Table &reg, QTextEdit *textArea, QWidget *parent = nullptr);

    CertificateChoices choices() const;
    // "Подготовить документ": false when the letterhead could not be read (the user was told).
    bool prepare();

private:
    db::Table &m_reg;
    QTextEdit *m_textArea;
    PickList *m_now;
    PickList *m_place;
    QDateEdit *m_from;
    QDateEdit *m_to;
    QDateEdit *m_issued;
};

// Page "Направление": ComboBox6, ComboBox7, ComboBox3, ComboBox8, ComboBox9, DateTimePicker10,
// ComboBox10, ComboBox5, DBEdit25 and "Подготовить документ" (Button40).
class ReferralTab : public QWidget
{
    Q_OBJECT

public:
    ReferralTab(db::Table &reg, QTextEdit *textArea, QWidget *parent = nullptr);

    ReferralChoices choices() const;
    bool prepare();

private:
    db::Table &m_reg;
    QTextEdit *m_textArea;
    PickList *m_send;
    PickList *m_sendTo;
    PickList *m_for;
    PickList *m_forFrom;
    PickList *m_and;
    PickList *m_diagnosis;
    PickList *m_place;
    QDateEdit *m_issued;
};

} // namespace pelorin::documents
