#pragma once
// "Korvel 2005 Manual" (frmManual): the operator's manual shipped beside the
// program, read through korvel's own rich-text reader. "Done" goes back to
// the main screen.

#include "viewers/manual.h"

#include <QWidget>

class QTextBrowser;

namespace korvel
{

class Prompt;

class ManualScreen : public QWidget
{
    Q_OBJECT
public:
    explicit ManualScreen(Prompt& prompt, QWidget* parent = nullptr,
                          const QString& path = manualPath());

    // Reads the manual. A missing or unreadable manual is reported and the
    // viewer stays empty; the next showing tries again.
    void load();
    bool loaded() const { return m_loaded; }

signals:
    // "Done", or the window closed: the viewer is hidden; the main screen,
    // hidden while the manual is read, shows again.
    void done();

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    Prompt& m_prompt;
    QString m_path;
    QTextBrowser* m_text = nullptr;
    bool m_loaded = false;
};

} // namespace korvel
