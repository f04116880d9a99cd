#pragma once
// A prompt that answers from a script. Each expected prompt names its kind and
// its text; an unexpected prompt, a different text, or an answer left unused
// when the script is destroyed fails the running test.

#include "shell/prompt.h"
#include "tests/support/printers.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <optional>

namespace korvel::test
{

class ScriptedPrompt : public Prompt
{
public:
    enum class Kind { Message, YesNo, Input, OpenFile, SaveFile, Folder };

    struct Step {
        Kind kind;
        QString text; // exact text expected (message, question, input prompt, dialog title)
        std::optional<QString> answer;               // Yes = "yes", No = "no"; nullopt = cancel
        std::optional<QString> title = std::nullopt; // checked when set
        std::optional<Icon> icon = std::nullopt;     // checked when set
        bool pattern = false; // text is a regular expression the whole text must match
    };

    ScriptedPrompt() = default;
    ~ScriptedPrompt() override;

    ScriptedPrompt& expectMessage(const QString& text, std::optional<QString> title = std::nullopt,
                                  std::optional<Icon> icon = std::nullopt);
    // A message whose text varies (a time of day in it): the whole text must
    // match the regular expression.
    ScriptedPrompt& expectMessageMatching(const QString& pattern);
    ScriptedPrompt& expectYesNo(const QString& text, bool yes,
                                std::optional<QString> title = std::nullopt,
                                std::optional<Icon> icon = std::nullopt);
    ScriptedPrompt& expectInput(const QString& prompt, std::optional<QString> answer,
                                std::optional<QString> title = std::nullopt);
    ScriptedPrompt& expectOpenFile(std::optional<QString> answer);
    ScriptedPrompt& expectSaveFile(std::optional<QString> answer);
    ScriptedPrompt& expectFolder(std::optional<QString> answer);

    bool done() const { return m_steps.empty(); }
    // Everything shown so far, for tests that only look at what was said.
    const QStringList& seen() const { return m_seen; }
    // Forget the remaining steps without failing (a test that checks them itself).
    void clear() { m_steps.clear(); }

    void message(const QString& text, const QString& title, Icon icon) override;
    bool askYesNo(const QString& text, const QString& title, Icon icon, bool defaultYes) override;
    std::optional<QString> input(const QString& prompt, const QString& title,
                                 const QString& defaultText) override;
    std::optional<QString> openFile(const QString& title, const QString& filter,
                                    const QString& initialPath) override;
    std::optional<QString> openFileSelecting(const QString& title, const QString& filter,
                                             const QString& initialPath, int selected) override;
    std::optional<QString> saveFile(const QString& title, const QString& filter,
                                    const QString& initialPath,
                                    const QString& defaultSuffix) override;
    std::optional<QString> chooseFolder(const QString& title, const QString& initialDir) override;

    // The last question's preselected button (true = Yes), and the last
    // dialog's filter and initial path, for tests of those details.
    bool lastDefaultYes = false;
    QString lastFilter;
    QString lastInitialPath;
    QString lastDefaultText;
    int lastSelectedFilter = 0; // 1-based; 0 when the dialog preselected none

private:
    std::optional<Step> next(Kind kind, const QString& text, const QString& title, Icon icon);
    std::deque<Step> m_steps;
    QStringList m_seen;
};

} // namespace korvel::test
