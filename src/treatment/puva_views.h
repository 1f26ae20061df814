#pragma once

#include <QString>
#include <QtGlobal>

namespace pelorin::db {
class RunSettings;
class Table;
} // namespace pelorin::db

// The course views of the PUVA procedures: all courses, one course, the last course, all but the
// last. Choosing a view brings the register's total dose up to date over all of the patient's
// procedures and then restricts the list.
namespace pelorin::treatment {

enum class CourseView { All, Course, Last, AllButLast };

// The restriction of a view: "", "Id_kurs = <course>", "Id_kurs = <last>", "Id_kurs < <last>".
QString courseViewFilter(CourseView view, qint64 course, qint64 lastCourse);

// Course number of the patient's last procedure, over all of them whatever the restriction; 0
// when there is none. Leaves the restriction as it was.
qint64 lastCourse(db::Table &lech_puva);

// How the register's total is posted.
enum class ViewPost {
    Suspended, // the view buttons: the protection asks nothing
    Checked    // the hidden course selector: the post passes the protection questions
};

// Lifts the restriction, sums the doses of all procedures into the register's Doza (posted), then
// applies the view's restriction. `course` is the course number box, read for CourseView::Course.
// False when a post failed (the restriction is applied all the same).
bool chooseCourseView(db::Table &reg, db::Table &lech_puva, db::RunSettings &settings, CourseView view,
                      qint64 course, ViewPost post = ViewPost::Suspended);

} // namespace pelorin::treatment
