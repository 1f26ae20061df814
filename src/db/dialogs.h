#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace pelorin {

// Every question, message, input box and file dialog of the program goes through this
// interface, so that tests can answer them by script. The window library installs the
// Qt implementation at start-up; without one, a quiet default answers "No" and records nothing.
class Dialogs
{
public:
    enum class Kind { Information, Warning, Error, Confirmation };

    virtual ~Dialogs() = default;

    enum class Answer { Yes, No, Closed };

    // Yes/No question; true only for Yes.
    virtual bool ask(const QString &text, const QString &caption = QStringLiteral("Внимание!"),
                     Kind kind = Kind::Confirmation) = 0;
    // Yes/No question that tells a No apart from a box closed without an answer; for the rules
    // where only an explicit No refuses. The default knows only Yes and No.
    virtual Answer question(const QString &text, const QString &caption = QStringLiteral("Внимание!"))
    {
        return ask(text, caption, Kind::Confirmation) ? Answer::Yes : Answer::No;
    }
    // Message with a single OK button.
    virtual void message(const QString &text, const QString &caption = QStringLiteral("Внимание!"),
                         Kind kind = Kind::Information) = 0;
    // A message about a written file, with a button that opens the file's folder beside OK; for the
    // file nobody could open, which the doctor then has to find himself.
    virtual void fileMessage(const QString &text, const QString &folder,
                             const QString &caption = QStringLiteral("Внимание!"))
    {
        Q_UNUSED(folder);
        message(text, caption, Kind::Warning);
    }
    // Plain-text input box; nullopt when cancelled.
    virtual std::optional<QString> input(const QString &caption, const QString &prompt, const QString &initial) = 0;
    // File dialogs; an empty string when cancelled. The save dialog does not ask about replacing an
    // existing file: its caller asks through ask(), once it knows the name it will write.
    virtual QString openFileName(const QString &caption, const QString &dir, const QString &filter) = 0;
    virtual QString saveFileName(const QString &caption, const QString &dir, const QString &filter) = 0;
    virtual void beep() = 0;

    static Dialogs &instance();
    // Installs an implementation (not owned); nullptr restores the quiet default.
    static void setInstance(Dialogs *dialogs);
};

// Answers by script and records everything it was shown; for tests and batch runs.
class ScriptedDialogs : public Dialogs
{
public:
    // Answers are consumed in order; a question with no answer left is answered No,
    // an input with no answer left is cancelled, a file dialog with none left is cancelled.
    QStringList answers;   // "yes" / "no" for ask; any text for input ("<cancel>" cancels); file names
    QStringList transcript; // "ask: <caption>: <text>", "message: ...", "input: ...", "open: ...", "save: ...", "beep"
    int beeps = 0;

    bool ask(const QString &text, const QString &caption, Kind kind) override;
    // "close" in the answers closes the box without an answer.
    Answer question(const QString &text, const QString &caption) override;
    void message(const QString &text, const QString &caption, Kind kind) override;
    std::optional<QString> input(const QString &caption, const QString &prompt, const QString &initial) override;
    QString openFileName(const QString &caption, const QString &dir, const QString &filter) override;
    QString saveFileName(const QString &caption, const QString &dir, const QString &filter) override;
    void beep() override;

private:
    QString next();
};

// Installs a ScriptedDialogs for the lifetime of the object.
class ScopedScriptedDialogs : public ScriptedDialogs
{
public:
    ScopedScriptedDialogs();
    ~ScopedScriptedDialogs() override;
};

} // namespace pelorin
