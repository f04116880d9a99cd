#include "viewers/manualscreen.h"

#include "shell/namedwidgets.h"
#include "shell/prompt.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace korvel
{

ManualScreen::ManualScreen(Prompt& prompt, QWidget* parent, const QString& path)
    : QWidget(parent), m_prompt(prompt), m_path(path)
{
    setWindowFlag(Qt::Window);
    setObjectName(QStringLiteral("frmManual"));
    setWindowTitle(QStringLiteral("Korvel 2005 Manual"));
    auto* v = new QVBoxLayout(this);
    auto* title = make<QLabel>(this, ManualControl::Title);
    QFont f = title->font();
    f.setBold(true);
    title->setFont(f);
    v->addWidget(title);
    m_text = make<QTextBrowser>(this, ManualControl::Text);
    m_text->setReadOnly(true);
    v->addWidget(m_text, 1);
    auto* doneButton = make<QPushButton>(this, ManualControl::Done);
    v->addWidget(doneButton, 0, Qt::AlignRight);
    connect(doneButton, &QPushButton::clicked, this, &QWidget::close);
    resize(760, 640);
}

void ManualScreen::load()
{
    const QString error = loadManual(*m_text->document(), m_path);
    m_loaded = error.isEmpty();
    if (!m_loaded)
        m_prompt.message(error, {}, Icon::Exclamation);
    m_text->moveCursor(QTextCursor::Start);
}

void ManualScreen::closeEvent(QCloseEvent* e)
{
    const bool shown = isVisible();
    QWidget::closeEvent(e);
    // Closed by its window frame as well as by "Done": either way the
    // operator must not be left without a screen.
    if (shown && e->isAccepted())
        emit done();
}

void ManualScreen::showEvent(QShowEvent* e)
{
    // Read at the first showing, not at start-up: the manual is long and
    // most days it is not opened.
    if (!m_loaded)
        load();
    QWidget::showEvent(e);
}

} // namespace korvel
