#include "diagnoz_ops.h"

#include "changelog.h"
#include "clock.h"
#include "database.h"
#include "datamodules.h"
#include "diagnoz_calc.h"
#include "dialogs.h"
#include "protection.h"
#include "settings.h"
#include "table.h"
#include "texts.h"

namespace pelorin::clinical {

namespace {

const QString kText = QStringLiteral("Text");
const QString kData = QStringLiteral("Data");
const QString kList = QStringLiteral("List");
const QString kText1 = QStringLiteral("Text1");
const QString kKurs = QStringLiteral("Kurs");
const QString kKursCalk = QStringLiteral("kurs_calk");
// Tables the journal files these lines under.
const QString kDiagnozTable = QStringLiteral("diagnoz");
const QString kRegisterTable = QStringLiteral("register");

void editUnlessModified(db::Table &t)
{
    if (!t.isEditing())
        t.edit();
}

} // namespace

QString nextStatus(const QString &last)
{
    if (last.isEmpty())
        return kFirstAdmission;
    if (last == kDischarge)
        return kAdmission;
    if (last == kAdmission || last == kFirstAdmission)
        return kDischarge;
    return QString();
}

DiagnozOps::DiagnozOps(db::DM1 &dm1, db::DM2 &dm2, db::RunSettings &settings, db::ChangeLog &log,
                       db::Protection &protection)
    : m_dm1(dm1), m_dm2(dm2), m_settings(settings), m_log(log), m_protection(protection)
{
}

void DiagnozOps::install()
{
    db::Table &diagnoz = *m_dm2.diagnoz;
    diagnoz.afterEdit = [this](db::Table &t) {
        t.setValue(kText1, t.asString(kList));
        m_log.note(QStringLiteral("Событие после редактирования текста"), kDiagnozTable);
    };
    diagnoz.beforePost = [this](db::Table &t) {
        // A new event is stamped with the course of the place it takes at the end of the list, not
        // with the value an unstored event shows, so the stored number is right from the start.
        if (t.state() == db::TableState::Insert)
            t.setValue(kKurs, kursCalk(m_dm1.register_->asInteger(QStringLiteral("Born_Day")), t.recNo()));
        else
            t.setValue(kKurs, t.asInteger(kKursCalk));
        t.setValue(kText1, t.asString(kList));
        m_protection.checkTable(t);
        m_log.note(QStringLiteral("Событие добавки номера курса."), kDiagnozTable);
        m_log.note(QStringLiteral("Значение диагноза добавлено: ") + t.asString(kList), kDiagnozTable);
    };
}

bool DiagnozOps::newEvent()
{
    db::Table &diagnoz = *m_dm2.diagnoz;
    db::Table &exams = *m_dm2.osmotr1;
    if (m_dm1.register_->isEmpty() || !diagnoz.checkBrowseMode())
        return false;
    QString last;
    if (!diagnoz.isEmpty()) {
        diagnoz.last();
        last = diagnoz.asString(kText);
    }
    diagnoz.append();
    diagnoz.setValue(QStringLiteral("ID_man"), m_dm1.register_->value(QStringLiteral("ID_man")));
    diagnoz.setValue(kData, clock::today());
    const QString status = nextStatus(last);
    if (!status.isEmpty())
        diagnoz.setValue(kText, status);

    bool endOfCourse = false;
    // A patient without examinations has none to end the course on: nothing is asked.
    if (status == kDischarge && exams.checkBrowseMode() && !exams.isEmpty()) {
        exams.last();
        const QString question = QStringLiteral("Этот диагноз при выписке ставится на последнем (") +
                                 text::shortDate(exams.asDate(QStringLiteral("Date"))) + QStringLiteral(") осмотре?");
        if (Dialogs::instance().question(question, QStringLiteral("Внимание!")) == Dialogs::Answer::Yes) {
            diagnoz.setValue(kData, exams.value(QStringLiteral("Date")));
            endOfCourse = true;
        }
    }
    if (!diagnoz.post())
        return false;
    if (endOfCourse && diagnoz.state() == db::TableState::Browse && !exams.isEmpty()) {
        const int place = diagnoz.recNo();
        exams.last();
        editUnlessModified(exams);
        exams.setValue(QStringLiteral("End_kurs"), place);
        return exams.post();
    }
    return true;
}

bool DiagnozOps::deleteEvent()
{
    db::Table &diagnoz = *m_dm2.diagnoz;
    bool deleted = false;
    if (Dialogs::instance().question(kDeleteQuestion, QStringLiteral("Внимание!")) == Dialogs::Answer::Yes) {
        if (diagnoz.state() == db::TableState::Insert) {
            diagnoz.cancel();
            deleted = true;
        } else if (!diagnoz.isEmpty()) {
            deleted = diagnoz.deleteRecord();
        }
    }
    if (diagnoz.isEmpty()) {
        newEvent();
        Dialogs::instance().message(kRecreatedMessage, QStringLiteral("Внимание!"));
    }
    return deleted;
}

bool DiagnozOps::clearChoice(const QString &field, int highest)
{
    db::Table &diagnoz = *m_dm2.diagnoz;
    if (diagnoz.isEmpty())
        return false;
    const qint64 value = diagnoz.asInteger(field);
    if (value < 1 || value > highest)
        return false;
    editUnlessModified(diagnoz);
    diagnoz.setValue(field, 0);
    return diagnoz.post();
}

bool DiagnozOps::clearSeverity()
{
    return clearChoice(QStringLiteral("30"), 3);
}

bool DiagnozOps::clearEffect()
{
    return clearChoice(QStringLiteral("40"), 4);
}

bool DiagnozOps::apply()
{
    db::Table &diagnoz = *m_dm2.diagnoz;
    diagnoz.updateRecord();
    return !diagnoz.modified() || diagnoz.post();
}

bool DiagnozOps::copyToRegister(db::DM1 &dm1, db::DM2 &dm2, db::ChangeLog &log)
{
    db::Table &diagnoz = *dm2.diagnoz;
    db::Table &reg = *dm1.register_;
    const int n = diagnoz.recordCount();
    // Nothing to copy from a patient without events: the register keeps its dates.
    if (reg.isEmpty() || n == 0)
        return true;
    diagnoz.last();
    editUnlessModified(reg);
    if (n % 2 == 0) {
        log.note(QStringLiteral("копируем последний статус диагноза"), kRegisterTable);
        reg.setValue(QStringLiteral("Vip_date"), diagnoz.value(kData));
        reg.setValue(QStringLiteral("ID_age_cat"), diagnoz.asInteger(kKursCalk));
        diagnoz.prior();
        reg.setValue(QStringLiteral("Dat_posl_post"), diagnoz.value(kData));
        reg.setValue(QStringLiteral("NKurs_posl_post"), diagnoz.asInteger(kKursCalk));
    } else if (n == 1) {
        log.note(QStringLiteral("диагноз один, ниче не делаем"), kRegisterTable);
        reg.setValue(QStringLiteral("NKurs_posl_post"), diagnoz.asInteger(kKursCalk));
        reg.setValue(QStringLiteral("Vip_date"), QVariant());
    } else {
        log.note(QStringLiteral("диагнозов несколько, берем предпоследний."), kRegisterTable);
        reg.setValue(QStringLiteral("Dat_posl_post"), diagnoz.value(kData));
        reg.setValue(QStringLiteral("NKurs_posl_post"), diagnoz.asInteger(kKursCalk));
        diagnoz.prior();
        reg.setValue(QStringLiteral("Vip_date"), diagnoz.value(kData));
        reg.setValue(QStringLiteral("ID_age_cat"), diagnoz.asInteger(kKursCalk));
    }
    return !reg.modified() || reg.post();
}

void DiagnozOps::closeWindow()
{
    db::Table &diagnoz = *m_dm2.diagnoz;
    const db::ProtectionSuspension suspended(m_settings);
    const db::Transaction transaction(m_dm1.database());
    if (diagnoz.isEditing())
        diagnoz.cancel();
    copyToRegister(m_dm1, m_dm2, m_log);
    diagnoz.first();
}

bool DiagnozOps::quickFirst(bool psoriasis, bool atopic, const QString &other)
{
    db::Table &diagnoz = *m_dm2.diagnoz;
    if (m_dm1.register_->isEmpty() || !diagnoz.checkBrowseMode())
        return false;
    if (diagnoz.isEmpty()) {
        diagnoz.insert();
    } else {
        diagnoz.first();
        editUnlessModified(diagnoz);
    }
    if (!other.isEmpty())
        diagnoz.setValue(QStringLiteral("C1"), other);
    diagnoz.setValue(kText, kFirstAdmission);
    if (psoriasis)
        diagnoz.setValue(QStringLiteral("B1"), true);
    if (atopic)
        diagnoz.setValue(QStringLiteral("B2"), true);
    diagnoz.setValue(kData, m_dm1.register_->value(QStringLiteral("Reg_date")));
    return !diagnoz.modified() || diagnoz.post();
}

} // namespace pelorin::clinical
