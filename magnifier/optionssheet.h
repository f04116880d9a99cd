#pragma once
// The options sheet: a General page (refresh rate, behaviour, which tool
// windows stay on top) and a Setup page (menu, desktop and autostart entries).
// It edits a copy of the state; the caller takes it over only on OK.

#include "magnifier/options.h"
#include "magnifier/shellentries.h"

#include <QDialog>
#include <QStringList>

class QCheckBox;
class QRadioButton;
class QTabWidget;

namespace lensor
{

class OptionsSheet : public QDialog
{
    Q_OBJECT
public:
    enum class Page { General, Setup };
    OptionsSheet(const LensorState& state, Page page, QWidget* parent = nullptr);

    // The copy with the pages' choices and the sheet's own position.
    LensorState result() const;
    // Creates or removes the entries the Setup page asks for; the messages of
    // those that failed.
    QStringList applySetup(const QString& executable, const QImage& icon) const;

private:
    LensorState m_state;
    QTabWidget* m_pages;
    QRadioButton* m_refresh[3];
    QCheckBox* m_entries[3];
};

} // namespace lensor
