#pragma once
// Calibrate ("Calibration Assistant"): the operator types the ends of a line
// between two surveyed marks, in metres or in twips; the line is converted
// through the grid of the screen that opened the tool and drawn on the
// measure and grid set-up pictures, where it must land on those marks.

#include "measure/calibrationline.h"
#include "shell/boxbinder.h"

#include <QList>
#include <QMainWindow>
#include <QPointer>

#include <functional>

class QLineEdit;
class QPushButton;

namespace korvel
{

class PictureView;

class CalibrationScreen : public QMainWindow
{
    Q_OBJECT
public:
    // The grid the line is converted through: the opening screen's active
    // grid, none when it is not ready.
    using GridSource = std::function<std::optional<ActiveGrid>()>;

    explicit CalibrationScreen(CalibrationLine& line, QWidget* parent = nullptr);

    // The pictures every line is drawn on.
    void setPictures(const QList<PictureView*>& pictures);
    // Opened from a screen's "&Calibrate".
    void open(GridSource grid);

    // "Draw" and "Erase", as the buttons do them.
    void drawLine();
    void eraseLine();
    void sync();

private:
    void drawOnPictures(const Segment& s, const QColor& colour);

    CalibrationLine& m_line;
    GridSource m_grid;
    QList<QPointer<PictureView>> m_pictures;
    BoxBinder<CalibrationControl> m_binder{m_line, {}};
    QPushButton* m_units = nullptr;
};

} // namespace korvel
