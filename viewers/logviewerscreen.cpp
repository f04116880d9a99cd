#include "viewers/logviewerscreen.h"

#include "shell/namedwidgets.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace korvel
{

LogViewerScreen::LogViewerScreen(LogKind kind, SharedState& shared, Prompt& prompt,
                                 ViewerListener& screens, QWidget* parent)
    : QWidget(parent), m_model(kind, shared, prompt, screens)
{
    setWindowFlag(Qt::Window);
    if (kind == LogKind::Video)
        buildVideoLog();
    else
        buildPictureLog();
    // Log lines stand in 14-column zones; they line up only in a fixed-width font.
    m_lines->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    resize(900, 420);
}

void LogViewerScreen::buildVideoLog()
{
    setObjectName(QStringLiteral("LogView"));
    setWindowTitle(QStringLiteral("Log Viewer"));
    auto* v = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(make<QLabel>(this, LogViewControl::LogFileLabel));
    m_videoBoxes = std::make_unique<BoxBinder<LogViewControl>>(m_model, [this] { sync(); });
    auto* logFile =
        m_videoBoxes->bind(LogViewControl::LogFile, make<QLineEdit>(this, LogViewControl::LogFile));
    logFile->setReadOnly(true);
    top->addWidget(logFile, 1);
    auto* select = make<QPushButton>(this, LogViewControl::SelectLogFile);
    top->addWidget(select);
    v->addLayout(top);
    m_lines = make<QListWidget>(this, LogViewControl::Lines);
    v->addWidget(m_lines, 1);
    v->addWidget(make<QLabel>(this, LogViewControl::Hint));
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_videoBoxes->bind(LogViewControl::FileToView,
                                         make<QLineEdit>(this, LogViewControl::FileToView)),
                      1);
    auto* view = make<QPushButton>(this, LogViewControl::View);
    bottom->addWidget(view);
    auto* dismiss = make<QPushButton>(this, LogViewControl::Dismiss);
    bottom->addWidget(dismiss);
    v->addLayout(bottom);
    connect(dismiss, &QPushButton::clicked, this, &QWidget::close);
    connectControls(select, view);
}

void LogViewerScreen::buildPictureLog()
{
    setObjectName(QStringLiteral("PictureLogView"));
    setWindowTitle(QStringLiteral("Contact Picture Log"));
    auto* v = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    auto* select = make<QPushButton>(this, PictureLogControl::SelectLogFile);
    top->addWidget(select);
    m_pictureBoxes = std::make_unique<BoxBinder<PictureLogControl>>(m_model, [this] { sync(); });
    auto* logFile = m_pictureBoxes->bind(PictureLogControl::LogFile,
                                         make<QLineEdit>(this, PictureLogControl::LogFile));
    logFile->setReadOnly(true);
    top->addWidget(logFile, 1);
    v->addLayout(top);
    m_lines = make<QListWidget>(this, PictureLogControl::Lines);
    v->addWidget(m_lines, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_pictureBoxes->bind(PictureLogControl::FileToView,
                                           make<QLineEdit>(this, PictureLogControl::FileToView)),
                      1);
    auto* view = make<QPushButton>(this, PictureLogControl::View);
    bottom->addWidget(view);
    v->addLayout(bottom);
    connectControls(select, view);
}

void LogViewerScreen::connectControls(QPushButton* select, QPushButton* view)
{
    connect(select, &QPushButton::clicked, this, [this] {
        m_model.selectLogFile();
        sync();
    });
    connect(view, &QPushButton::clicked, this, &LogViewerScreen::view);
    // A click (or the keyboard) on a line takes the file it names.
    connect(m_lines, &QListWidget::currentRowChanged, this, [this](int row) {
        m_model.select(row);
        sync();
    });
    connect(m_lines, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        m_model.select(m_lines->row(item));
        sync();
    });
    connect(m_lines, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { activate(m_lines->row(item)); });
}

void LogViewerScreen::open()
{
    m_model.open();
    sync();
    show();
    raise();
    activateWindow();
}

void LogViewerScreen::sync()
{
    if (m_videoBoxes)
        m_videoBoxes->sync();
    if (m_pictureBoxes)
        m_pictureBoxes->sync();
    if (m_shownLines != m_model.lines()) {
        const QSignalBlocker block(m_lines);
        m_lines->clear();
        m_lines->addItems(m_model.lines());
        m_shownLines = m_model.lines();
        // The latest jumps are at the end of the log: they show first.
        m_lines->scrollToBottom();
    }
}

void LogViewerScreen::activate(int row)
{
    const bool leave = m_model.activate(row);
    sync();
    if (leave)
        close();
}

void LogViewerScreen::view()
{
    const bool leave = m_model.view();
    sync();
    if (leave)
        close();
}

} // namespace korvel
