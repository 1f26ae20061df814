#include "dialogs.h"

namespace pelorin {

namespace {

// Used until the window library installs the real dialogs, and by logic tests that never
// expect a question: every question is refused, so nothing is changed behind the test's back.
class QuietDialogs final : public Dialogs
{
public:
    bool ask(const QString &, const QString &, Kind) override { return false; }
    void message(const QString &, const QString &, Kind) override {}
    std::optional<QString> input(const QString &, const QString &, const QString &) override { return std::nullopt; }
    QString openFileName(const QString &, const QString &, const QString &) override { return {}; }
    QString saveFileName(const QString &, const QString &, const QString &) override { return {}; }
    void beep() override {}
};

QuietDialogs s_quiet;
Dialogs *s_installed = nullptr;

const QString kCancel = QStringLiteral("<cancel>");

} // namespace

Dialogs &Dialogs::instance()
{
    return s_installed ? *s_installed : s_quiet;
}

void Dialogs::setInstance(Dialogs *dialogs)
{
    s_installed = dialogs;
}

// No answer left reads as an empty one: that is No for a question and a cancelled file dialog.
QString ScriptedDialogs::next()
{
    if (answers.isEmpty())
        return {};
    return answers.takeFirst();
}

bool ScriptedDialogs::ask(const QString &text, const QString &caption, Kind)
{
    transcript << QStringLiteral("ask: ") + caption + QStringLiteral(": ") + text;
    return next().compare(QStringLiteral("yes"), Qt::CaseInsensitive) == 0;
}

Dialogs::Answer ScriptedDialogs::question(const QString &text, const QString &caption)
{
    transcript << QStringLiteral("ask: ") + caption + QStringLiteral(": ") + text;
    const QString answer = next();
    if (answer.compare(QStringLiteral("yes"), Qt::CaseInsensitive) == 0)
        return Answer::Yes;
    if (answer.compare(QStringLiteral("close"), Qt::CaseInsensitive) == 0)
        return Answer::Closed;
    return Answer::No;
}

void ScriptedDialogs::message(const QString &text, const QString &caption, Kind)
{
    transcript << QStringLiteral("message: ") + caption + QStringLiteral(": ") + text;
}

std::optional<QString> ScriptedDialogs::input(const QString &caption, const QString &prompt, const QString &)
{
    transcript << QStringLiteral("input: ") + caption + QStringLiteral(": ") + prompt;
    // An empty answer is typed text, so running out of answers has to be told apart before next().
    if (answers.isEmpty())
        return std::nullopt;
    const QString answer = next();
    if (answer == kCancel)
        return std::nullopt;
    return answer;
}

QString ScriptedDialogs::openFileName(const QString &caption, const QString &, const QString &)
{
    transcript << QStringLiteral("open: ") + caption;
    const QString answer = next();
    return answer == kCancel ? QString() : answer;
}

QString ScriptedDialogs::saveFileName(const QString &caption, const QString &, const QString &)
{
    transcript << QStringLiteral("save: ") + caption;
    const QString answer = next();
    return answer == kCancel ? QString() : answer;
}

void ScriptedDialogs::beep()
{
    ++beeps;
    transcript << QStringLiteral("beep");
}

ScopedScriptedDialogs::ScopedScriptedDialogs()
{
    setInstance(this);
}

ScopedScriptedDialogs::~ScopedScriptedDialogs()
{
    // Only uninstall ourselves: if something else was installed meanwhile, it stays.
    if (&instance() == this)
        setInstance(nullptr);
}

} // namespace pelorin
