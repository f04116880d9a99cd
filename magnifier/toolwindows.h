#pragma once
// The small windows of the Tools menu. Each sits where its record says (kept
// 70 pixels inside the screen), stays on top when its record's flag says so,
// and writes its place back into the record when it closes.

#include "magnifier/options.h"
#include "magnifier/systemfigures.h"

#include <QElapsedTimer>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <vector>

class QListWidget;

namespace lensor
{

// The screens' areas free of panels, the primary one first.
std::vector<QRect> screenAreas();

class ToolWindow : public QWidget
{
    Q_OBJECT
public:
    // record outlives the window: it is the magnifier's own state.
    ToolWindow(const char* className, const QString& title, WindowRecord& record);
    // Places the window above the others or back among them by its flag.
    void applyOnTop();

protected:
    void closeEvent(QCloseEvent* e) override;
    void placeFromRecord(QSize size);

    WindowRecord& m_record;
};

class RulerWindow : public ToolWindow
{
    Q_OBJECT
public:
    RulerWindow(bool vertical, WindowRecord& record);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    bool m_vertical;
};

class CharChartWindow : public ToolWindow
{
    Q_OBJECT
public:
    explicit CharChartWindow(WindowRecord& record);
    int markedCode() const { return m_marked; }
    // Where the code's box goes, the box's line of text, and the hint.
    QRect boxRect(int code) const;
    QRect textRect(const QRect& box, int line) const;
    QRect hintRect() const;

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    int m_marked = -1;  // the inverted cell
    bool m_box = false; // with its yellow box (left button)
};

class ErrorCodesWindow : public ToolWindow
{
    Q_OBJECT
public:
    explicit ErrorCodesWindow(WindowRecord& record);
    QListWidget* list() const { return m_list; }

private:
    QListWidget* m_list;
};

class SysInfoWindow : public ToolWindow
{
    Q_OBJECT
public:
    using FigureSource = std::function<SystemFigures()>;
    // Without a source: the system's figures, the fixed ones read once.
    explicit SysInfoWindow(WindowRecord& record, FigureSource source = {});
    // Called on every magnifier tick: reads the figures at most once a second
    // and repaints only when one changed.
    void refresh();
    const SystemFigures& figures() const { return m_figures; }
    // The texts and bars as drawn, for the window and its tests.
    QStringList lines() const;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    FigureSource m_source;
    SystemFigures m_figures;
    QElapsedTimer m_sinceRead;
};

} // namespace lensor
