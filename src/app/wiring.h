#pragma once

#include "application.h"

#include <QString>

class QDialog;

namespace pelorin::app {

// Each area of the program makes its own windows and fills its own places of the main window.
//
// create...Window: the window called `name` when the area owns it, else nullptr. Called once per
// window in the start-up's creation order; the tables exist then but may not be open yet.
// wire...: called once after the main window is bound to the data modules: fills the area's hosts
// of Form1 (Form1::host) and connects its windows.
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

// The "Отчет" page of the documents section.
void wireDocuments(Application &app);

// A window the start-up made, as its class; nullptr when there is none of that name and class.
template <typename W> W *windowOf(Application &app, const char *name)
{
    return qobject_cast<W *>(app.window(QString::fromLatin1(name)));
}

} // namespace pelorin::app
