#include "measure/resultsviewer.h"

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
    m_output = new QPlainTextEdit(central);
    m_output->setObjectName(QStringLiteral("output_box"));
    m_output->setReadOnly(true);
    m_output->setLineWrapMode(QPlainTextEdit::NoWrap);
    // The lines line up in columns only in a fixed-width font.
    m_output->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    v->addWidget(m_output);
    auto* exit = new QPushButton(QStringLiteral("E&xit"), central);
    exit->setObjectName(QStringLiteral("Exit_results"));
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
