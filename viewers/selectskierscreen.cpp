#include "viewers/selectskierscreen.h"

#include "shell/namedwidgets.h"
#include "shell/prompt.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvel
{

SelectSkierScreen::SelectSkierScreen(Prompt& prompt, QWidget* parent, const QString& namesPath)
    : QDialog(parent), m_prompt(prompt), m_namesPath(namesPath)
{
    setObjectName(QStringLiteral("frmSelectSkier"));
    setWindowTitle(QStringLiteral("Select A Skier"));
    auto* v = new QVBoxLayout(this);
    v->addWidget(make<QLabel>(this, SelectSkierControl::Hint));
    m_skiers = make<QListWidget>(this, SelectSkierControl::Skiers);
    v->addWidget(m_skiers, 1);
    auto* noSelection = make<QPushButton>(this, SelectSkierControl::NoSelection);
    noSelection->setAutoDefault(false);
    v->addWidget(noSelection, 0, Qt::AlignRight);

    connect(m_skiers, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { choose(item->text()); });
    m_skiers->installEventFilter(this);
    connect(noSelection, &QPushButton::clicked, this, &QDialog::reject);
    resize(320, 420);
}

void SelectSkierScreen::choose(const QString& name)
{
    m_chosen = name;
    emit skierChosen(name);
    accept();
}

bool SelectSkierScreen::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == m_skiers && e->type() == QEvent::KeyPress)
        return typeAhead(static_cast<QKeyEvent*>(e));
    return QDialog::eventFilter(watched, e);
}

bool SelectSkierScreen::typeAhead(QKeyEvent* key)
{
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        if (QListWidgetItem* item = m_skiers->currentItem(); item && item->isSelected())
            choose(item->text());
        return true;
    }
    if (key->key() == Qt::Key_Backspace) {
        m_typed.chop(1);
    } else {
        const QString text = key->text();
        if (text.isEmpty() || !text.at(0).isPrint() || (key->modifiers() & Qt::ControlModifier))
            return false; // arrows, page keys and Escape work as ever
        // A pause starts a new name, as in any list that finds by typing.
        if (!m_sinceKey.isValid() ||
            m_sinceKey.elapsed() > 4LL * QApplication::keyboardInputInterval())
            m_typed.clear();
        m_typed += text;
    }
    m_sinceKey.start();
    QStringList names;
    for (int i = 0; i < m_skiers->count(); ++i)
        names << m_skiers->item(i)->text();
    const int found = typeAheadMatch(names, m_typed);
    if (found >= 0)
        m_skiers->setCurrentRow(found);
    return true;
}

void SelectSkierScreen::load()
{
    m_typed.clear();
    m_skiers->clear();
    const SkierNames names = readSkierNames(m_namesPath);
    if (!names.error.isEmpty()) {
        m_prompt.message(names.error);
        return;
    }
    m_skiers->addItems(names.names);
}

std::optional<QString> SelectSkierScreen::pick()
{
    m_chosen.reset();
    exec();
    return m_chosen;
}

void SelectSkierScreen::showEvent(QShowEvent* e)
{
    load();
    QDialog::showEvent(e);
}

} // namespace korvel
