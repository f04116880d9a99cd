#include "measure/resultsviewer.h"
#include "shell/namedwidgets.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QVBoxLayout>

namespace korvel
{

ResultsViewer::ResultsViewer(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Results"));
    setWindowFlag(Qt::Window);
    auto* central = new QWidget(this);
    auto* v = new QVBoxLayout(central);
    m_output = make<QPlainTextEdit>(central, ResultsControl::Output);
    m_output->setReadOnly(true);
    m_output->setLineWrapMode(QPlainTextEdit::NoWrap);
    // The lines line up in columns only in a fixed-width font.
    m_output->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    v->addWidget(m_output);
    m_traceText = make<QLabel>(central, ResultsControl::Trace);
    m_traceText->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_traceText->setWordWrap(true);
    v->addWidget(m_traceText);
    auto* buttons = new QHBoxLayout;
    m_openTraced = make<QPushButton>(central, ResultsControl::OpenTraced);
    m_openTraced->setEnabled(false);
    buttons->addWidget(m_openTraced);
    buttons->addStretch();
    auto* exit = make<QPushButton>(central, ResultsControl::Exit);
    buttons->addWidget(exit);
    v->addLayout(buttons);
    connect(exit, &QPushButton::clicked, this, &QWidget::close);
    connect(m_output, &QPlainTextEdit::cursorPositionChanged, this, &ResultsViewer::lineChosen);
    connect(m_openTraced, &QPushButton::clicked, this, [this] {
        if (m_trace && m_open)
            m_open(*m_trace);
    });
    setCentralWidget(central);
    resize(900, 500);
}

void ResultsViewer::showResults(const QString& path, const QString& text)
{
    setWindowTitle(path);
    m_path = path;
    m_output->setPlainText(text);
    lineChosen();
    show();
    raise();
}

void ResultsViewer::lineChosen()
{
    const QString line = m_output->textCursor().block().text();
    m_trace = line.trimmed().isEmpty() ? std::nullopt : findTrace(m_path, line);
    if (!m_trace) {
        m_traceText->setText(line.trimmed().isEmpty()
                                 ? QString()
                                 : QStringLiteral("Nothing is known of what this line was "
                                                  "measured from."));
        m_openTraced->setEnabled(false);
        return;
    }
    m_traceText->setText(traceSummary(*m_trace));
    const bool fromFile =
        !m_trace->video.isEmpty() ||
        (!m_trace->picture.isEmpty() && m_trace->picture.contains(QLatin1Char('/')));
    m_openTraced->setEnabled(fromFile);
}

} // namespace korvel
