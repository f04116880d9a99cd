#pragma once
// The magnifier's main window: the magnified picture over the status panel,
// the menus, the refresh timer, the notification icon and the tool windows.

#include "magnifier/commands.h"
#include "magnifier/frameclock.h"
#include "magnifier/magnifier.h"
#include "magnifier/options.h"
#include "magnifier/optionssheet.h"

#include <QMainWindow>
#include <QPointer>
#include <QTimer>

#include <atomic>
#include <map>
#include <memory>
#include <optional>
#include <utility>

class QLabel;
class QRadioButton;
class QSystemTrayIcon;

namespace lensor
{

class ToolWindow;
class SysInfoWindow;
class LensorWindow;
class PixelSurface;
class Readout;
class ColourDisc;
class PanelStrip;

// The client area: the frame around the picture and the status panel's icon;
// the picture, the colour disc and the read-outs are surfaces on it.
class MagnifierView : public QWidget
{
    Q_OBJECT
public:
    MagnifierView(LensorWindow& owner, Magnifier& magnifier);

protected:
    void paintEvent(QPaintEvent*) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void resizeEvent(QResizeEvent*) override;

private:
    LensorWindow& m_owner;
    Magnifier& m_magnifier;
};

class LensorWindow : public QMainWindow
{
    Q_OBJECT
public:
    // placeFromRecord is false when another copy runs: the system places it.
    LensorWindow(OptionsStore store, LensorState state, ScreenSource& screen,
                 bool placeFromRecord = true);
    ~LensorWindow() override;

    Magnifier& magnifier() { return m_magnifier; }
    const LensorState& state() const { return m_state; }
    QAction* action(Command c) const { return m_actions.at(c); }
    PixelSurface* pictureSurface() const { return m_picture; }
    ToolWindow* toolWindow(Section s) const;
    QTimer& timer() { return m_timer; }
    // True when frames run on a thread of their own instead of the timer.
    bool framesOnTheirOwnThread() const { return m_frames != nullptr; }

    void run(Command c);
    // One timer tick with the cursor at cursor (screen coordinates).
    void tick(QPoint cursor);
    // After OK on the options sheet: take over its state and apply it.
    void takeOptions(const LensorState& state, bool restartTimer);
    // Another copy was started while copies are not allowed.
    void comeForward();
    // The state as it is now, as exit writes it.
    LensorState currentState() const;

signals:
    void optionsChanged(const Options& options);

protected:
    void closeEvent(QCloseEvent* e) override;
    void changeEvent(QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;

private:
    friend class MagnifierView;
    void buildMenus();
    void buildPanel();
    void layoutChanged();
    void updatePanel();
    void updateReadouts();
    void showPicture();
    void followPixelRatio();
    void stepZoom(int steps);
    void updateChecks();
    void applyTopMost();
    void followTaskTray();
    void copyToClipboard();
    void showTool(Section s);
    void openSheet(OptionsSheet::Page page);
    void report(const QString& text);
    void startFrames();
    void stopFrames();

    OptionsStore m_store;
    LensorState m_state;
    ScreenSource& m_screen;
    Magnifier m_magnifier;
    QTimer m_timer;
    std::unique_ptr<FrameClock> m_frames;
    MagnifierView* m_view;
    std::map<Command, QAction*> m_actions;
    PixelSurface* m_picture = nullptr;
    // Where lensor puts pixels itself: the disc and read-outs show through it.
    PanelStrip* m_strip = nullptr;
    ColourDisc* m_disc = nullptr;
    Readout* m_vertical = nullptr;
    Readout* m_horizontal = nullptr;
    Readout* m_colourText = nullptr;
    std::optional<std::pair<QRgb, bool>> m_colourShown; // the colour and its notation read out
    QRadioButton* m_zoomButtons[4] = {};
    QLabel* m_zoomLabels[4] = {};
    QSystemTrayIcon* m_tray = nullptr;
    bool m_followsScreen = false;
    // As the last change of the window's state left it, for the frame thread.
    std::atomic<bool> m_minimised = false;
    int m_wheel = 0; // eighths of a degree not yet turned into zoom steps
    std::map<Section, QPointer<ToolWindow>> m_tools;
};

} // namespace lensor
