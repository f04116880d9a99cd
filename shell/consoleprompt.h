#pragma once
// The prompt of the headless programs (korvel-tool, the screenshots, the
// benchmarks): messages are printed, every Yes/No question and input box gets
// the answer set beforehand, and file dialogs are cancelled.

#include "shell/prompt.h"

#include <cstdio>

namespace korvel
{

class ConsolePrompt : public Prompt
{
public:
    bool toStdout = false;              // messages on stdout rather than stderr
    bool yes = false;                   // the answer to every Yes/No question
    std::optional<QString> inputAnswer; // the answer to every input box (nullopt: cancel)
    int messages = 0;                   // how many messages were shown

    // A message's own CR LF breaks (a Windows habit of some texts) become
    // blanks, so each message stays one line of output.
    void message(const QString& text, const QString&, Icon) override
    {
        std::FILE* to = toStdout ? stdout : stderr;
        std::fputs(QString(text)
                       .replace(QStringLiteral("\r\n"), QStringLiteral(" "))
                       .toLocal8Bit()
                       .constData(),
                   to);
        std::fputc('\n', to);
        ++messages;
    }
    bool askYesNo(const QString& text, const QString& title, Icon icon, bool) override
    {
        message(text, title, icon);
        return yes;
    }
    std::optional<QString> input(const QString&, const QString&, const QString&) override
    {
        return inputAnswer;
    }
    std::optional<QString> openFile(const QString&, const QString&, const QString&) override
    {
        return {};
    }
    std::optional<QString> saveFile(const QString&, const QString&, const QString&,
                                    const QString&) override
    {
        return {};
    }
    std::optional<QString> chooseFolder(const QString&, const QString&) override { return {}; }
};

} // namespace korvel
