#include "tests/support/scriptedprompt.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

namespace korvel::test
{

namespace
{
const char* kindName(ScriptedPrompt::Kind k)
{
    switch (k) {
    case ScriptedPrompt::Kind::Message:
        return "message";
    case ScriptedPrompt::Kind::YesNo:
        return "Yes/No question";
    case ScriptedPrompt::Kind::Input:
        return "input box";
    case ScriptedPrompt::Kind::OpenFile:
        return "open-file dialog";
    case ScriptedPrompt::Kind::SaveFile:
        return "save-file dialog";
    case ScriptedPrompt::Kind::Folder:
        return "folder dialog";
    }
    return "?";
}
} // namespace

ScriptedPrompt::~ScriptedPrompt()
{
    for (const Step& s : m_steps)
        ADD_FAILURE() << "expected " << kindName(s.kind) << " never came: \""
                      << s.text.toStdString() << "\"";
}

ScriptedPrompt& ScriptedPrompt::expectMessage(const QString& text, std::optional<QString> title,
                                              std::optional<Icon> icon)
{
    m_steps.push_back({Kind::Message, text, QString(), title, icon});
    return *this;
}

ScriptedPrompt& ScriptedPrompt::expectMessageMatching(const QString& pattern)
{
    Step s{Kind::Message, pattern, QString()};
    s.pattern = true;
    m_steps.push_back(s);
    return *this;
}

ScriptedPrompt& ScriptedPrompt::expectYesNo(const QString& text, bool yes,
                                            std::optional<QString> title, std::optional<Icon> icon)
{
    m_steps.push_back(
        {Kind::YesNo, text, yes ? QStringLiteral("yes") : QStringLiteral("no"), title, icon});
    return *this;
}

ScriptedPrompt& ScriptedPrompt::expectInput(const QString& prompt, std::optional<QString> answer,
                                            std::optional<QString> title)
{
    m_steps.push_back({Kind::Input, prompt, answer, title, std::nullopt});
    return *this;
}

ScriptedPrompt& ScriptedPrompt::expectOpenFile(std::optional<QString> answer)
{
    m_steps.push_back({Kind::OpenFile, QString(), answer, std::nullopt, std::nullopt});
    return *this;
}

ScriptedPrompt& ScriptedPrompt::expectSaveFile(std::optional<QString> answer)
{
    m_steps.push_back({Kind::SaveFile, QString(), answer, std::nullopt, std::nullopt});
    return *this;
}

ScriptedPrompt& ScriptedPrompt::expectFolder(std::optional<QString> answer)
{
    m_steps.push_back({Kind::Folder, QString(), answer, std::nullopt, std::nullopt});
    return *this;
}

std::optional<ScriptedPrompt::Step> ScriptedPrompt::next(Kind kind, const QString& text,
                                                         const QString& title, Icon icon)
{
    m_seen << text;
    if (m_steps.empty()) {
        ADD_FAILURE() << "unexpected " << kindName(kind) << ": \"" << text.toStdString() << "\"";
        return std::nullopt;
    }
    Step s = m_steps.front();
    m_steps.pop_front();
    if (s.kind != kind) {
        ADD_FAILURE() << "expected " << kindName(s.kind) << " \"" << s.text.toStdString()
                      << "\", got " << kindName(kind) << " \"" << text.toStdString() << "\"";
        return std::nullopt;
    }
    const bool checksText = kind == Kind::Message || kind == Kind::YesNo || kind == Kind::Input;
    if (s.pattern) {
        EXPECT_TRUE(
            QRegularExpression(QRegularExpression::anchoredPattern(s.text)).match(text).hasMatch())
            << "\"" << text.toStdString() << "\" does not match " << s.text.toStdString();
    } else if (checksText) {
        EXPECT_EQ(s.text.toStdString(), text.toStdString()) << "in " << kindName(kind);
    }
    if (s.title) {
        EXPECT_EQ(s.title->toStdString(), title.toStdString())
            << "title of \"" << text.toStdString() << "\"";
    }
    if (s.icon) {
        EXPECT_EQ(static_cast<int>(*s.icon), static_cast<int>(icon))
            << "icon of \"" << text.toStdString() << "\"";
    }
    return s;
}

void ScriptedPrompt::message(const QString& text, const QString& title, Icon icon)
{
    next(Kind::Message, text, title, icon);
}

bool ScriptedPrompt::askYesNo(const QString& text, const QString& title, Icon icon, bool defaultYes)
{
    lastDefaultYes = defaultYes;
    const auto s = next(Kind::YesNo, text, title, icon);
    return s && s->answer == QStringLiteral("yes");
}

std::optional<QString> ScriptedPrompt::input(const QString& prompt, const QString& title,
                                             const QString& defaultText)
{
    lastDefaultText = defaultText;
    const auto s = next(Kind::Input, prompt, title, Icon::None);
    return s ? s->answer : std::nullopt;
}

std::optional<QString> ScriptedPrompt::openFile(const QString& title, const QString& filter,
                                                const QString& initialPath)
{
    lastFilter = filter;
    lastInitialPath = initialPath;
    lastSelectedFilter = 0;
    const auto s = next(Kind::OpenFile, title, title, Icon::None);
    return s ? s->answer : std::nullopt;
}

std::optional<QString> ScriptedPrompt::openFileSelecting(const QString& title,
                                                         const QString& filter,
                                                         const QString& initialPath, int selected)
{
    const auto answer = openFile(title, filter, initialPath);
    lastSelectedFilter = selected;
    return answer;
}

std::optional<QString> ScriptedPrompt::saveFile(const QString& title, const QString& filter,
                                                const QString& initialPath, const QString&)
{
    lastFilter = filter;
    lastInitialPath = initialPath;
    const auto s = next(Kind::SaveFile, title, title, Icon::None);
    return s ? s->answer : std::nullopt;
}

std::optional<QString> ScriptedPrompt::chooseFolder(const QString& title, const QString& initialDir)
{
    lastInitialPath = initialDir;
    const auto s = next(Kind::Folder, title, title, Icon::None);
    return s ? s->answer : std::nullopt;
}

} // namespace korvel::test
