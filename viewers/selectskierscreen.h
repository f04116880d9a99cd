#pragma once
// "Select A Skier" (frmSelectSkier): the names of the skier names file, for
// the capture screen's next skier. Each showing reads the file afresh, so an
// import made meanwhile is listed. Typing the first letters of a name (given
// name or surname) selects it, and Enter takes the selected name as a double
// click does.

#include "viewers/skiernames.h"

#include <QDialog>
#include <QElapsedTimer>

#include <optional>

class QKeyEvent;
class QListWidget;

namespace korvel
{

class Prompt;

class SelectSkierScreen : public QDialog
{
    Q_OBJECT
public:
    explicit SelectSkierScreen(Prompt& prompt, QWidget* parent = nullptr,
                               const QString& namesPath = skierNamesPath());

    // Fills the list from the names file; a file that cannot be read is
    // reported and leaves the list empty.
    void load();

    // Shows the dialog until the operator picks: the name double-clicked, or
    // nullopt for "No Selection" or a closed dialog (the name stays as it was).
    std::optional<QString> pick();

signals:
    // A double click on a name: the capture screen takes it as the skier.
    void skierChosen(const QString& name);

protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    Prompt& m_prompt;
    QString m_namesPath;
    QListWidget* m_skiers = nullptr;
    std::optional<QString> m_chosen;
    // The letters typed since the list was shown or since the last pause.
    QString m_typed;
    QElapsedTimer m_sinceKey;

    void choose(const QString& name);
    bool typeAhead(QKeyEvent* key);
};

} // namespace korvel
