#pragma once
// Config: the tournament-wide choices, every one written the moment it is
// made. The rules live in ConfigModel; this screen lays out the boxes, option
// groups and check boxes under their own names and forwards what the
// operator does.

#include "app/configmodel.h"
#include "shell/boxbinder.h"

#include <QMainWindow>

#include <array>

class QCheckBox;
class QLabel;
class QRadioButton;

namespace korvel
{

class ConfigScreen : public QMainWindow
{
    Q_OBJECT
public:
    explicit ConfigScreen(ConfigModel& model, QWidget* parent = nullptr);

    ConfigModel& model() { return m_model; }
    // Shown from the main screen: the first time, the load runs first.
    void enter();
    void sync();

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void exitAndSave();

    ConfigModel& m_model;
    BoxBinder<ConfigText> m_binder{m_model, [this] { sync(); }};
    std::array<QCheckBox*, controlCount<ConfigCheck>()> m_checks{};
    std::array<QRadioButton*, controlCount<ConfigOption>()> m_options{};
    QLabel* m_kvio = nullptr;
    QLabel* m_resultsInUse = nullptr; // which results file is in use, and why
    bool m_leaving = false;
};

} // namespace korvel
