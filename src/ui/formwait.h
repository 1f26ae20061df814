#pragma once

#include <QDialog>

class QLabel;

namespace pelorin::ui {

// The small always-on-top window shown while a long operation runs. It is shown and hidden,
// never closed by the user (it has no buttons and ignores Escape and the close button).
class Form_wait : public QDialog
{
    Q_OBJECT

public:
    explicit Form_wait(QWidget *parent = nullptr);

    // Shows the window and lets it paint before the long work starts.
    void showWaiting();
    void hideWaiting();
    // A line under the request, such as "125 из 10000" during a walk over all patients; shown and
    // painted at once. Hiding the window clears it.
    void setProgress(const QString &text);

private:
    QLabel *m_progress = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};

} // namespace pelorin::ui
