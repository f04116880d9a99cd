#include "app/configscreen.h"

#include "shell/namedwidgets.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace korvel
{

ConfigScreen::ConfigScreen(ConfigModel& model, QWidget* parent)
    : QMainWindow(parent), m_model(model)
{
    setObjectName(QStringLiteral("Config"));
    setWindowTitle(QStringLiteral("System Configuration Parameters"));

    auto* central = new QWidget(this);
    auto* columns = new QHBoxLayout(central);

    // Left: files and folders, the tournament, the check boxes.
    auto* left = new QVBoxLayout;
    auto* form = new QFormLayout;
    for (const ControlRow<ConfigText>& row : controlsOf<ConfigText>()) {
        auto* box = m_binder.bind(row.id, make<QLineEdit>(central, row.id));
        box->setMinimumWidth(320);
        auto* label = new QLabel(controlCaption(row.id), central);
        if (row.id == ConfigText::SkierNameFile || row.id == ConfigText::KvioPathName) {
            auto* line = new QHBoxLayout;
            line->addWidget(box);
            const bool names = row.id == ConfigText::SkierNameFile;
            auto* find = make<QPushButton>(central, names ? ConfigCommand::btnFindNames
                                                          : ConfigCommand::btnFindKvio);
            connect(find, &QPushButton::clicked, this, [this, names] {
                if (names)
                    m_model.findNames();
                else
                    m_model.findKvio();
                sync();
            });
            line->addWidget(find);
            form->addRow(label, line);
        } else {
            form->addRow(label, box);
        }
        if (row.id == ConfigText::ResultsPathName) {
            m_resultsInUse = make<QLabel>(central, ConfigCommand::lblResultsInUse);
            m_resultsInUse->setWordWrap(true);
            form->addRow(QString(), m_resultsInUse);
        }
    }
    left->addLayout(form);
    for (const ControlRow<ConfigCheck>& row : controlsOf<ConfigCheck>()) {
        auto* box = make<QCheckBox>(central, row.id);
        m_checks[static_cast<std::size_t>(row.id)] = box;
        const ConfigCheck id = row.id;
        connect(box, &QCheckBox::clicked, this, [this, id](bool on) {
            m_model.setChecked(id, on);
            sync();
        });
        left->addWidget(box);
        if (id == ConfigCheck::WSTIMS) {
            m_kvio = make<QLabel>(central, ConfigCommand::KVIOLabel);
            m_kvio->setStyleSheet(QStringLiteral("color: #b00000;"));
            left->addWidget(m_kvio);
        }
    }
    auto* lensor = make<QPushButton>(central, ConfigCommand::cmdLensor);
    connect(lensor, &QPushButton::clicked, this, [this] { m_model.restartLensor(); });
    left->addWidget(lensor);
    left->addStretch(1);
    columns->addLayout(left);

    // Right: the option groups.
    auto* groups = new QGridLayout;
    int k = 0;
    for (const ControlRow<ConfigGroup>& row : controlsOf<ConfigGroup>()) {
        auto* frame = make<QGroupBox>(central, row.id);
        auto* inner = new QVBoxLayout(frame);
        for (ConfigOption o : optionsOf(row.id)) {
            auto* option = make<QRadioButton>(frame, o);
            option->setAutoExclusive(true);
            m_options[static_cast<std::size_t>(o)] = option;
            connect(option, &QRadioButton::clicked, this, [this, o] {
                m_model.select(o);
                sync();
            });
            inner->addWidget(option);
        }
        // The two policy frames are wide; the small ones sit in pairs.
        const bool wide =
            row.id == ConfigGroup::PicturePolicy || row.id == ConfigGroup::VideoPolicy;
        if (wide) {
            if (k % 2)
                ++k;
            groups->addWidget(frame, k / 2, 0, 1, 2);
            k += 2;
        } else {
            groups->addWidget(frame, k / 2, k % 2);
            ++k;
        }
    }
    columns->addLayout(groups);
    setCentralWidget(central);

    auto* exit = make<QAction>(menuBar(), ConfigCommand::mnuExit);
    connect(exit, &QAction::triggered, this, [this] { exitAndSave(); });
    menuBar()->addAction(exit);
    sync();
}

void ConfigScreen::enter()
{
    if (!m_model.loaded())
        m_model.load();
    sync();
    show();
    raise();
    activateWindow();
}

void ConfigScreen::sync()
{
    m_binder.sync();
    for (const ControlRow<ConfigCheck>& row : controlsOf<ConfigCheck>()) {
        QCheckBox* box = m_checks[static_cast<std::size_t>(row.id)];
        const QSignalBlocker block(box);
        box->setChecked(m_model.checked(row.id));
    }
    for (const ControlRow<ConfigOption>& row : controlsOf<ConfigOption>()) {
        QRadioButton* option = m_options[static_cast<std::size_t>(row.id)];
        if (m_model.isSelected(row.id) && !option->isChecked()) {
            const QSignalBlocker block(option);
            option->setChecked(true);
        }
    }
    m_kvio->setVisible(m_model.kvioLabelVisible());
    m_kvio->setText(m_model.kvioLabelText());
    m_resultsInUse->setText(m_model.resultsInUseText());
}

void ConfigScreen::exitAndSave()
{
    m_leaving = true;
    hide();
    m_model.exitAndSave();
    m_leaving = false;
}

void ConfigScreen::closeEvent(QCloseEvent* e)
{
    // Closing the window leaves as the menu does, so the hub comes back and
    // the names and the configuration line are not skipped.
    e->ignore();
    if (!m_leaving)
        exitAndSave();
}

} // namespace korvel
