#include "viewers/selectskierscreen.h"

#include "shell/namedwidgets.h"
#include "shell/prompt.h"

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

    connect(m_skiers, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        m_chosen = item->text();
        emit skierChosen(item->text());
        accept();
    });
    connect(noSelection, &QPushButton::clicked, this, &QDialog::reject);
    resize(320, 420);
}

void SelectSkierScreen::load()
{
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
