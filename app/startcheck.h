#pragma once
// `korvel --check`: the start-up run without windows, for whoever sets up a
// laptop or looks after one from a terminal. Every question gets No, every
// message is printed; then korvel says where it finds its shipped files and
// keeps its own, and whether each configured grid is ready.

#include "shell/prompt.h"

#include <QString>
#include <QStringList>

namespace korvel
{

class Settings;
struct GridState;
struct SharedState;

// Prints what korvel would show and ask, one line each, on standard output.
class CheckPrompt : public Prompt
{
public:
    void message(const QString& text, const QString& title, Icon icon) override;
    bool askYesNo(const QString& text, const QString& title, Icon icon, bool defaultYes) override;
    std::optional<QString> input(const QString& prompt, const QString& title,
                                 const QString& defaultText) override;
    std::optional<QString> openFile(const QString& title, const QString& filter,
                                    const QString& initialPath) override;
    std::optional<QString> saveFile(const QString& title, const QString& filter,
                                    const QString& initialPath,
                                    const QString& defaultSuffix) override;
    std::optional<QString> chooseFolder(const QString& title, const QString& initialDir) override;
};

struct CheckReport {
    QStringList lines;
    bool ready = false; // every shipped file found and every configured grid ready
};

// After the start-up (the configuration load has read the grids back).
// magnifier is the lensor program korvel starts.
CheckReport checkReport(const Settings& settings, const SharedState& shared, const GridState& grids,
                        const QString& magnifier);

} // namespace korvel
