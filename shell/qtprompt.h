#pragma once
// The prompt interface on real Qt dialogs.

#include "shell/prompt.h"

class QWidget;

namespace korvel
{

class QtPrompt : public Prompt
{
public:
    explicit QtPrompt(QWidget* parent = nullptr) : m_parent(parent) {}

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

private:
    QWidget* m_parent;
};

} // namespace korvel
