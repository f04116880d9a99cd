#pragma once
// The magnifier's options and window records, and the per-user file that keeps
// them between runs. Every stored value is a whole number; a value out of its
// range, a missing value or a missing section reads as its default.

#include <QRect>
#include <QSize>
#include <QString>

#include <array>
#include <optional>
#include <vector>

namespace lensor
{

enum class Option {
    Zoom,
    Refresh,
    TopMost,
    CrossHair,
    Position,
    Shutter,
    LockSound,
    Multiple,
    TaskTray,
    Html,
    Splash,
};
constexpr int kOptionCount = 11;

struct OptionRule {
    Option option;
    const char* name; // the stored value's name
    int defaultValue;
    int high; // 1 for the on/off options, read as on when non-zero
    bool flag;
};
const std::array<OptionRule, kOptionCount>& optionRules();
const OptionRule& ruleOf(Option option);

// Magnification factors of the four zoom steps: 1, 2, 4, 8 (inline: every
// frame asks).
constexpr int zoomFactor(int zoomIndex)
{
    return zoomIndex >= 1 && zoomIndex < 4 ? 1 << zoomIndex : 1;
}
// Timer period of a refresh choice: slow 100 ms, normal 33 ms, fast 20 ms.
int refreshPeriodMs(int refresh);

class Options
{
public:
    Options();
    int value(Option o) const { return m_values[static_cast<int>(o)]; }
    bool isOn(Option o) const { return value(o) != 0; }
    // Applies the option's range rule, as a value read back from the file is.
    void set(Option o, int value);
    void toggle(Option o) { set(o, isOn(o) ? 0 : 1); }

    int zoom() const { return value(Option::Zoom); }
    int factor() const { return zoomFactor(zoom()); }
    int periodMs() const { return refreshPeriodMs(value(Option::Refresh)); }

    bool operator==(const Options&) const = default;

private:
    std::array<int, kOptionCount> m_values;
};

// The windows and dialogs whose place is remembered.
enum class Section {
    Window,
    Options,
    SysInfo,
    AsciiChart,
    ErrorCodes,
    HRuler,
    VRuler,
    GetFile,
    PutFile,
    Setup,
    Property,
};
constexpr int kSectionCount = 11;
QString sectionName(Section s);

struct WindowRecord {
    int top = 35;
    int left = 35;
    int width = 350;
    int height = 200;
    bool show = true; // for the tool windows: keep on top of the desktop
    bool operator==(const WindowRecord&) const = default;
};

struct LensorState {
    Options options;
    std::array<WindowRecord, kSectionCount> windows{};
    WindowRecord& window(Section s) { return windows[static_cast<int>(s)]; }
    const WindowRecord& window(Section s) const { return windows[static_cast<int>(s)]; }
    bool operator==(const LensorState&) const = default;
};

// Where a window goes on a first run: the main window 170 x 245 and the options
// sheet 500 x 375, both centred on the screen.
void placeForFirstRun(LensorState& state, QSize screen);

// A stored position is never further right or down than 70 pixels inside the
// screen's edges, nor left of or above them, so a window saved on a larger
// screen can still be grabbed.
QPoint keptOnScreen(QPoint topLeft, const QRect& screen);

// Where a window with a stored place goes on the screens there are now (their
// areas free of panels, the primary one first): on the screen that holds its
// corner, or the primary one when none does (a laptop that was on a larger
// monitor), its corner kept on that screen and its size no larger than it.
QRect placedOnScreens(const QRect& stored, const std::vector<QRect>& screens);

class OptionsStore
{
public:
    explicit OptionsStore(QString path = defaultPath());
    static QString defaultPath();
    const QString& path() const { return m_path; }

    bool exists() const;
    // Reads everything; on a first run places the windows and writes the whole
    // state at once. The error text of a failed first write goes to *error.
    LensorState load(QSize screen, QString* error = nullptr) const;
    // Writes the whole state; returns the operator's message when it failed.
    std::optional<QString> save(const LensorState& state) const;
    std::optional<QString> saveVersion() const;

private:
    QString m_path;
};

} // namespace lensor
