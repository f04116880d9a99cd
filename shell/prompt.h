#pragma once
// Every modal question korvel asks goes through this interface: message boxes,
// Yes/No questions, input boxes and file or folder dialogs. Screens get the Qt
// implementation; tests get a scripted one, so no flow ever waits on a real
// dialog and every text the operator sees can be checked.

#include <QString>

#include <optional>

namespace korvel
{

// A message box without a title shows the program's title.
inline const QString kProgramTitle = QStringLiteral("Korvel Measurement");

enum class Icon { None, Critical, Question, Exclamation, Information };

class Prompt
{
public:
    virtual ~Prompt() = default;

    // A message with an OK button.
    virtual void message(const QString& text, const QString& title = {},
                         Icon icon = Icon::None) = 0;

    // A Yes/No question; true for Yes. defaultYes says which button is preselected.
    virtual bool askYesNo(const QString& text, const QString& title, Icon icon,
                          bool defaultYes) = 0;

    // An input box; nullopt when cancelled.
    virtual std::optional<QString> input(const QString& prompt, const QString& title,
                                         const QString& defaultText) = 0;

    // File dialogs take filters as "desc|pattern|desc|pattern|"; nullopt when cancelled.
    virtual std::optional<QString> openFile(const QString& title, const QString& filter,
                                            const QString& initialPath) = 0;
    // An open dialog with entry `selected` (1-based) of its filter list
    // preselected, so the operator's usual file kind shows first.
    virtual std::optional<QString> openFileSelecting(const QString& title, const QString& filter,
                                                     const QString& initialPath, int /*selected*/)
    {
        return openFile(title, filter, initialPath);
    }
    virtual std::optional<QString> saveFile(const QString& title, const QString& filter,
                                            const QString& initialPath,
                                            const QString& defaultSuffix) = 0;
    virtual std::optional<QString> chooseFolder(const QString& title,
                                                const QString& initialDir) = 0;
};

// "Bitmap (*.bmp)|*.bmp|All Files (*.*)|*.*|" -> "Bitmap (*.bmp) (*.bmp);;All Files (*.*) (*)".
// A description that already names its pattern in brackets is kept as it is.
QString qtFileFilter(const QString& barFilter);

} // namespace korvel
