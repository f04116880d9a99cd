#pragma once
// The two log viewers' screens: "Log Viewer" (LogView), which opens a
// measured video for review, and "Contact Picture Log" (PictureLogView),
// which opens a saved contact picture on the measure screen. Each owns its
// model; the hub gives the model its listener.

#include "shell/boxbinder.h"
#include "viewers/logviewer.h"

#include <QStringList>
#include <QWidget>

#include <memory>

class QLineEdit;
class QListWidget;
class QPushButton;

namespace korvel
{

class LogViewerScreen : public QWidget
{
    Q_OBJECT
public:
    LogViewerScreen(LogKind kind, SharedState& shared, Prompt& prompt, ViewerListener& screens,
                    QWidget* parent = nullptr);

    LogViewerModel& model() { return m_model; }

    // Opening from a menu or another screen: the day's log, shown in front.
    void open();
    // Refreshes every control from the model.
    void sync();

private:
    void buildVideoLog();
    void buildPictureLog();
    void connectControls(QPushButton* select, QPushButton* view);
    void activate(int row);
    void view();

    LogViewerModel m_model;
    // The path box and the file box, by the controls of the viewer's kind.
    std::unique_ptr<BoxBinder<LogViewControl>> m_videoBoxes;
    std::unique_ptr<BoxBinder<PictureLogControl>> m_pictureBoxes;
    QListWidget* m_lines = nullptr;
    QStringList m_shownLines;
};

} // namespace korvel
