#pragma once

#include "application.h"

#include <QString>
#include <span>

class QDialog;

namespace pelorin::app {

// A reference list file of sourses/ and the pick list it fills: the combo box `control` of the window
// `window` (a bound one keeps its field's value).
struct ReferenceList
{
    const char *file;
    const char *window;
    const char *control;
};

// Each area of the program makes its own windows and fills its own places of the main window.
//
// create...Window: the window called `name` when the area owns it, else nullptr. Called once per
// window in the start-up's creation order; the tables exist then but may not be open yet.
// wire...: called once after the main window is bound to the data modules: fills the area's hosts
// of Form1 (Form1::host) and connects its windows.
// ...Lists: the reference lists of sourses/ the area's pick lists are filled from at the start, after
// every window is made; a list that cannot be read stops the start.
QDialog *createAnamnesisWindow(Application &app, const QString &name);
void wireAnamnesis(Application &app);

QDialog *createClinicalWindow(Application &app, const QString &name);
void wireClinical(Application &app);
// The drug tree of lekar.txt into the drug window, after the reference lists; false stops the start.
bool loadDrugTree(Application &app, QString *error);

QDialog *createPhotoWindow(Application &app, const QString &name);
void wirePhotos(Application &app);

QDialog *createPuvaWindow(Application &app, const QString &name);
void wirePuva(Application &app);
std::span<const ReferenceList> puvaLists();

// The "Отчет" page of the documents section.
void wireDocuments(Application &app);
// The certificate and referral pages' lists.
std::span<const ReferenceList> documentsLists();

// A window the start-up made, as its class; nullptr when there is none of that name and class.
template <typename W> W *windowOf(Application &app, const char *name)
{
    return qobject_cast<W *>(app.window(QString::fromLatin1(name)));
}

} // namespace pelorin::app
