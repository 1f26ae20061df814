#include "puva_views.h"

#include "puva_ops.h"
#include "table.h"

namespace pelorin::treatment {

QString courseViewFilter(CourseView view, qint64 course, qint64 lastCourse)
{
    switch (view) {
    case CourseView::All:
        return QString();
    case CourseView::Course:
        return QStringLiteral("Id_kurs = ") + QString::number(course);
    case CourseView::Last:
        return QStringLiteral("Id_kurs = ") + QString::number(lastCourse);
    case CourseView::AllButLast:
        return QStringLiteral("Id_kurs < ") + QString::number(lastCourse);
    }
    return QString();
}

qint64 lastCourse(db::Table &lech_puva)
{
    const QString filter = lech_puva.filter();
    if (!filter.isEmpty())
        lech_puva.setFilter(QString());
    qint64 course = 0;
    if (!lech_puva.isEmpty()) {
        const int former = lech_puva.recNo();
        lech_puva.last();
        course = lech_puva.asInteger(QStringLiteral("Id_kurs"));
        lech_puva.setRecNo(former);
    }
    if (!filter.isEmpty())
        lech_puva.setFilter(filter);
    return course;
}

bool chooseCourseView(db::Table &reg, db::Table &lech_puva, db::RunSettings &settings, CourseView view,
                      qint64 course, ViewPost post)
{
    if (!lech_puva.checkBrowseMode())
        return false;
    lech_puva.setFilter(QString());
    qint64 last = 0;
    if (!lech_puva.isEmpty()) {
        lech_puva.last();
        last = lech_puva.asInteger(QStringLiteral("Id_kurs"));
    }
    const bool ok = updateTotalDose(reg, lech_puva, settings,
                                    post == ViewPost::Suspended ? ProtectionMode::Suspended : ProtectionMode::Checked);
    lech_puva.setFilter(courseViewFilter(view, course, last));
    return ok;
}

} // namespace pelorin::treatment
