// A measurement log as the viewers read it: another day's log chosen in the
// file dialog, one copied from another laptop, or one a crash cut short.
// Both viewers list their lines; every line is selected and opened.

#include "fuzz/fuzzfiles.h"
#include "shell/prompt.h"
#include "shell/sharedstate.h"
#include "viewers/logviewer.h"

#include <cstdint>

namespace
{

using namespace korvel;

class QuietPrompt : public Prompt
{
public:
    void message(const QString&, const QString&, Icon) override {}
    bool askYesNo(const QString&, const QString&, Icon, bool defaultYes) override
    {
        return defaultYes;
    }
    std::optional<QString> input(const QString&, const QString&, const QString&) override
    {
        return std::nullopt;
    }
    std::optional<QString> openFile(const QString&, const QString&, const QString&) override
    {
        return std::nullopt;
    }
    std::optional<QString> saveFile(const QString&, const QString&, const QString&,
                                    const QString&) override
    {
        return std::nullopt;
    }
    std::optional<QString> chooseFolder(const QString&, const QString&) override
    {
        return std::nullopt;
    }
};

// Takes what it is handed and checks it is what the line names.
class Screens : public ViewerListener
{
public:
    QString expected;
    bool viewVideo(const QString& path) override { return check(path); }
    bool showPictureOnMeasure(const QString& path) override { return check(path); }

private:
    bool check(const QString& path)
    {
        if (path != expected)
            __builtin_trap();
        return true;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString path = fuzz::scratchFile(QStringLiteral("JumpMeasurementLog120726.txt"));
    if (!fuzz::writeFile(path, reinterpret_cast<const char*>(data), size))
        return 0;
    SharedState shared;
    QuietPrompt prompt;
    Screens screens;
    for (LogKind kind : {LogKind::Video, LogKind::Picture}) {
        LogViewerModel model(kind, shared, prompt, screens);
        model.showLog(path);
        for (int row = 0; row < model.lines().size(); ++row) {
            const QString& line = model.lines()[row];
            if (!listsLine(kind, line))
                __builtin_trap(); // a line the viewer does not list is listed
            // The path is the end of the line.
            const QString file = fileNamedIn(line);
            if (!line.endsWith(file))
                __builtin_trap();
            screens.expected = file;
            model.activate(row);
        }
    }
    return 0;
}
