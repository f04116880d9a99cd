#include "measure/resultsviewer.h"
#include "shell/namedwidgets.h"

#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
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
    auto* exit = make<QPushButton>(central, ResultsControl::Exit);
    v->addWidget(exit, 0, Qt::AlignRight);
    connect(exit, &QPushButton::clicked, this, &QWidget::close);
    setCentralWidget(central);
    resize(900, 500);
}

void ResultsViewer::showResults(const QString& path, const QString& text)
{
    setWindowTitle(path);
    m_output->setPlainText(text);
    show();
    raise();
}

} // namespace korvel
