#pragma once

#include <QWidget>

class QTextBrowser;

namespace pelorin::app {

// "Справка": the doctor's guide, with its pictures, read inside the program (F1 in the main window).
// The guide is built into the program, so it is the one that came with this version.
class Form_help : public QWidget
{
    Q_OBJECT

public:
    explicit Form_help(QWidget *parent = nullptr);

    QTextBrowser *browser() const { return m_browser; }
    // Where the guide lives among the program's resources.
    static QString guideSource() { return QStringLiteral("qrc:/guide/guide.md"); }

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    QTextBrowser *m_browser;
};

} // namespace pelorin::app
