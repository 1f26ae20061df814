#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

namespace pelorin::db {
class Table;
}

// The certificate ("СПРАВКА") and the referral ("НАПРАВЛЕНИЕ на ...") of the documents section, as
// paragraphs with their formats: the window puts them into the text area, the command line prints
// their texts. Both read only the register's current record and the choices of their page.
namespace pelorin::documents {

enum class ParagraphAlignment { Left, Center, Right };

// One paragraph of the text area. Sizes and indents are in points; the first-line indent is counted
// from the left indent, as the text area counts it.
struct DocParagraph
{
    QString text;
    ParagraphAlignment alignment = ParagraphAlignment::Left;
    double firstIndent = 0;
    double leftIndent = 0;
    double rightIndent = 0;
    double pointSize = 12;
    bool bold = false;

    friend bool operator==(const DocParagraph &, const DocParagraph &) = default;
};

// What both documents take from the register's current record.
struct CertificatePatient
{
    QString lastName;
    QString firstName;
    QString fatherName;
    QDate born;     // a blank Born_dat is the zero date, whose year 1899 is what the old documents print
    QString doctor; // Vrach

    static CertificatePatient fromRegister(const db::Table &reg);
    QString fullName() const;
};

// The choices of the page "Справка", by the names of their controls.
struct CertificateChoices
{
    QString ComboBox1;      // "Выдана пациенту в том, что он "
    QDate DateTimePicker11; // "с"
    QDate DateTimePicker12; // "по"
    QString ComboBox2;      // "К предъявлению"
    QDate DateTimePicker9;  // "Дата выдачи:"

    // The page as it opens: its initial texts and every picker on `today`.
    static CertificateChoices initial(const QDate &today);
    // Sets the text of the pick list of that name; false when the page has none.
    bool setChoice(const QString &control, const QString &text);
};

// The choices of the page "Направление", by the names of their controls.
struct ReferralChoices
{
    QString ComboBox6;      // "Направление на"
    QString ComboBox7;      // the specialist, empty when none
    QString ComboBox3;      // "для"
    QString ComboBox8;      // "со стороны"
    QString ComboBox9;      // "и"
    QString ComboBox10;     // "Диагноз:", empty when none
    QString ComboBox5;      // "Для предъявления"
    QDate DateTimePicker10; // "Дата выдачи:"

    static ReferralChoices initial(const QDate &today);
    bool setChoice(const QString &control, const QString &text);
};

// Initial texts and fixed items of the pick lists; the other items come from the reference lists.
QString initialChoice(const QString &control);
QStringList diagnosisItems(); // ComboBox10: a single blank, "Атопический дерматит", "Псориаз"

// The composed documents. `letterhead` are the lines of docs_had.txt, which open both.
QList<DocParagraph> composeCertificate(const QStringList &letterhead, const CertificatePatient &patient,
                                       const CertificateChoices &choices);
QList<DocParagraph> composeReferral(const QStringList &letterhead, const CertificatePatient &patient,
                                    const ReferralChoices &choices);

// Reads the lines of docs_had.txt; false with the Russian message naming the file when it cannot.
bool readLetterheadLines(QStringList *lines, QString *error);

// The text as the text area hands it out: every paragraph followed by one line feed.
QString plainText(const QList<DocParagraph> &paragraphs);

} // namespace pelorin::documents
