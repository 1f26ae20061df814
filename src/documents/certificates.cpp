#include "certificates.h"

#include "reflist.h"
#include "report_files.h"
#include "table.h"
#include "texts.h"

#include <QHash>

namespace pelorin::documents {

namespace {

// The doctors' list writes initials with their full stops ("Смирнова Е.В."); the sentence's own full
// stop is not doubled.
QString doctorLine(const QString &doctor)
{
    return QStringLiteral("Врач - ") + doctor +
           (doctor.trimmed().endsWith(QLatin1Char('.')) ? QString() : QStringLiteral("."));
}

// The area's current paragraph settings: every added paragraph takes them, as the rich-text box's
// Add does.
class Composer
{
public:
    DocParagraph format;
    QList<DocParagraph> paragraphs;

    void add(const QString &text = QString())
    {
        DocParagraph p = format;
        p.text = text;
        paragraphs << p;
    }

    void set(ParagraphAlignment alignment, double first, double left, double right)
    {
        format.alignment = alignment;
        format.firstIndent = first;
        format.leftIndent = left;
        format.rightIndent = right;
    }
};

QString year(const QDate &date)
{
    return date.toString(QStringLiteral("yyyy"));
}

} // namespace

CertificatePatient CertificatePatient::fromRegister(const db::Table &reg)
{
    CertificatePatient p;
    p.lastName = reg.asString(QStringLiteral("Last_Name"));
    p.firstName = reg.asString(QStringLiteral("First_Name"));
    p.fatherName = reg.asString(QStringLiteral("Father_Name"));
    p.born = reg.asDate(QStringLiteral("Born_dat"));
    p.doctor = reg.asString(QStringLiteral("Vrach"));
    return p;
}

QString CertificatePatient::fullName() const
{
    return lastName + QLatin1Char(' ') + firstName + QLatin1Char(' ') + fatherName;
}

QString initialChoice(const QString &control)
{
    static const QHash<QString, QString> initial = {
        {QStringLiteral("ComboBox1"),
         QStringLiteral("в настоящее время проходит курс лечения по поводу кожного заболевания")},
        {QStringLiteral("ComboBox2"), QStringLiteral("по месту требования")},
        {QStringLiteral("ComboBox6"), QStringLiteral("консультацию")},
        {QStringLiteral("ComboBox3"), QStringLiteral("исключения патологий")},
        {QStringLiteral("ComboBox8"), QStringLiteral("внутренних органов")},
        {QStringLiteral("ComboBox9"), QStringLiteral("определения противопоказаний для лечения УФ светом")},
        {QStringLiteral("ComboBox5"), QStringLiteral("по месту требования")},
    };
    return initial.value(control);
}

QStringList diagnosisItems()
{
    return {QStringLiteral(" "), QStringLiteral("Атопический дерматит"), QStringLiteral("Псориаз")};
}

CertificateChoices CertificateChoices::initial(const QDate &today)
{
    CertificateChoices c;
    c.ComboBox1 = initialChoice(QStringLiteral("ComboBox1"));
    c.ComboBox2 = initialChoice(QStringLiteral("ComboBox2"));
    c.DateTimePicker11 = c.DateTimePicker12 = c.DateTimePicker9 = today;
    return c;
}

bool CertificateChoices::setChoice(const QString &control, const QString &text)
{
    if (control == QLatin1String("ComboBox1"))
        ComboBox1 = text;
    else if (control == QLatin1String("ComboBox2"))
        ComboBox2 = text;
    else
        return false;
    return true;
}

ReferralChoices ReferralChoices::initial(const QDate &today)
{
    ReferralChoices c;
    c.ComboBox6 = initialChoice(QStringLiteral("ComboBox6"));
    c.ComboBox3 = initialChoice(QStringLiteral("ComboBox3"));
    c.ComboBox8 = initialChoice(QStringLiteral("ComboBox8"));
    c.ComboBox9 = initialChoice(QStringLiteral("ComboBox9"));
    c.ComboBox5 = initialChoice(QStringLiteral("ComboBox5"));
    c.DateTimePicker10 = today;
    return c;
}

bool ReferralChoices::setChoice(const QString &control, const QString &text)
{
    const std::pair<const char *, QString *> lists[] = {
        {"ComboBox6", &ComboBox6}, {"ComboBox7", &ComboBox7},   {"ComboBox3", &ComboBox3}, {"ComboBox8", &ComboBox8},
        {"ComboBox9", &ComboBox9}, {"ComboBox10", &ComboBox10}, {"ComboBox5", &ComboBox5},
    };
    for (const auto &[name, field] : lists) {
        if (control == QLatin1String(name)) {
            *field = text;
            return true;
        }
    }
    return false;
}

QList<DocParagraph> composeCertificate(const QStringList &letterhead, const CertificatePatient &patient,
                                       const CertificateChoices &choices)
{
    Composer area;
    area.format.pointSize = 12;
    area.set(ParagraphAlignment::Center, 20, 20, 20);
    // The letterhead is loaded as the whole content, so its lines take the settings made before.
    for (const QString &line : letterhead)
        area.add(line);
    area.add();
    area.add();
    area.add(QStringLiteral("СПРАВКА"));
    area.add();
    area.add();

    area.set(ParagraphAlignment::Left, 20, 20, 20);
    area.add(QStringLiteral(" Дана пациенту ") + patient.fullName() + QStringLiteral(", ") + year(patient.born) +
             QStringLiteral(" года рождения, ") + QStringLiteral("в том, что он(а) ") + choices.ComboBox1 +
             QStringLiteral(" с ") + text::shortDate(choices.DateTimePicker11) + QStringLiteral(" по ") +
             text::shortDate(choices.DateTimePicker12) + QStringLiteral("."));
    area.add();
    area.add(QStringLiteral("К предъявлению") + QStringLiteral(" ") + choices.ComboBox2 + QStringLiteral("."));
    area.add();

    // Only the alignment and the first line change here; the side indents stay as they were.
    area.format.alignment = ParagraphAlignment::Right;
    area.format.firstIndent = 20;
    area.add(doctorLine(patient.doctor));
    area.add(QStringLiteral("___________________"));
    area.add(text::shortDate(choices.DateTimePicker9));
    return area.paragraphs;
}

QList<DocParagraph> composeReferral(const QStringList &letterhead, const CertificatePatient &patient,
                                    const ReferralChoices &choices)
{
    Composer area;
    area.format.pointSize = 12;
    // A cleared area starts from plain paragraphs: only the alignment is set for the head.
    area.set(ParagraphAlignment::Center, 0, 0, 0);
    for (const QString &line : letterhead)
        area.add(line);
    area.add();
    if (!choices.ComboBox7.isEmpty())
        area.add(QStringLiteral("НАПРАВЛЕНИЕ на ") + choices.ComboBox6 + QStringLiteral(" к ") + choices.ComboBox7 +
                 QStringLiteral("."));
    else
        area.add(QStringLiteral("НАПРАВЛЕНИЕ на ") + choices.ComboBox6);
    area.add();
    area.add();

    area.set(ParagraphAlignment::Left, 10, 20, 20);
    // The sentence names a consultation whatever the kind of referral in the title.
    area.add(patient.fullName() + QStringLiteral(", ") + year(patient.born) +
             QStringLiteral(" года рождения направляется на консультацию для ") + choices.ComboBox3 +
             QStringLiteral(" со стороны ") + choices.ComboBox8 + QStringLiteral(" и ") + choices.ComboBox9 +
             QStringLiteral("."));
    if (!choices.ComboBox10.isEmpty()) {
        area.add();
        area.add(QStringLiteral("Диагноз: ") + choices.ComboBox10 + QStringLiteral("."));
    }
    area.add();
    area.add(QStringLiteral("Для предъявления ") + choices.ComboBox5 + QStringLiteral("."));
    area.add();

    area.set(ParagraphAlignment::Right, 10, 20, 20);
    area.add(doctorLine(patient.doctor));
    area.add(QStringLiteral("___________________"));
    area.add(text::shortDate(choices.DateTimePicker10));
    return area.paragraphs;
}

bool readLetterheadLines(QStringList *lines, QString *error)
{
    return readReferenceList(letterheadPath(), lines, error);
}

QString plainText(const QList<DocParagraph> &paragraphs)
{
    QString text;
    for (const DocParagraph &p : paragraphs)
        text += p.text + QLatin1Char('\n');
    return text;
}

} // namespace pelorin::documents
