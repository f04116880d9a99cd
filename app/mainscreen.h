#pragma once
// MainForm, the hub: the way to configuration, grid set-up, capture, review
// and measurement, the grid indicators, the video folder and, beside them,
// the capture device panels. The rules live in MainModel; this screen lays
// out the controls under their own names and forwards what the operator does.

#include "app/mainmodel.h"

#include <QMainWindow>

#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace korvel
{

class MainScreen : public QMainWindow
{
    Q_OBJECT
public:
    explicit MainScreen(MainModel& model, QWidget* parent = nullptr);

    MainModel& model() { return m_model; }
    // Where the capture device panels sit, shown by cmdShowConfig.
    QWidget* devicePanelHost() { return m_devicePanels; }
    void setStatusText(const QString& text);

    // Brought to the front by another screen: LastScreen is emptied.
    void enter();
    void sync();

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void run(MainCommand c);

    MainModel& m_model;
    QLineEdit* m_videoDir = nullptr;
    QLabel* m_videoDirLabel = nullptr;
    QCheckBox* m_barefoot = nullptr;
    QLabel* m_config = nullptr;
    QLabel* m_status = nullptr;
    QPushButton* m_showConfig = nullptr;
    QPlainTextEdit* m_descriptions = nullptr;
    std::array<QLabel*, 4> m_gridLabels{};
    std::array<QLabel*, 4> m_gridImages{};
    QWidget* m_devicePanels = nullptr;
};

} // namespace korvel
