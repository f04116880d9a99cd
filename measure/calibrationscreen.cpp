#include "measure/calibrationscreen.h"
#include "shell/namedwidgets.h"

#include "shell/pictureview.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvel
{

namespace
{

// The earlier line is drawn over in magenta, the new one in white.
const QColor kPreviousLine(255, 0, 255);
const QColor kNewLine(255, 255, 255);

} // namespace

CalibrationScreen::CalibrationScreen(CalibrationLine& line, QWidget* parent)
    : QMainWindow(parent), m_line(line)
{
    setObjectName(QStringLiteral("Calibrate"));
    setWindowTitle(QStringLiteral("Calibration Assistant"));
    setWindowFlag(Qt::Window);

    auto* central = new QWidget(this);
    auto* v = new QVBoxLayout(central);
    using C = CalibrationControl;
    auto* grid = new QGridLayout;
    grid->addWidget(make<QLabel>(central, C::ActualHeading), 0, 0, 1, 2, Qt::AlignCenter);
    grid->addWidget(make<QLabel>(central, C::ScreenHeading), 0, 2, 1, 2, Qt::AlignCenter);
    for (int k = 0; k < 8; ++k) {
        const auto id = static_cast<CalibrationControl>(k);
        // End point 1 on the first row, "from" between, end point 2 below.
        grid->addWidget(m_binder.bind(id, make<QLineEdit>(central, id)), k < 4 ? 1 : 3, k % 4);
    }
    grid->addWidget(make<QLabel>(central, C::FromActual), 2, 0, 1, 2, Qt::AlignCenter);
    grid->addWidget(make<QLabel>(central, C::FromScreen), 2, 2, 1, 2, Qt::AlignCenter);
    v->addLayout(grid);

    auto* buttons = new QHBoxLayout;
    auto* draw = make<QPushButton>(central, C::Draw);
    auto* erase = make<QPushButton>(central, C::Erase);
    m_units = make<QPushButton>(central, C::Units);
    auto* exit = make<QPushButton>(central, C::Exit);
    for (QPushButton* b : {draw, erase, m_units, exit})
        buttons->addWidget(b);
    v->addLayout(buttons);
    setCentralWidget(central);

    connect(draw, &QPushButton::clicked, this, &CalibrationScreen::drawLine);
    connect(erase, &QPushButton::clicked, this, &CalibrationScreen::eraseLine);
    connect(m_units, &QPushButton::clicked, this, [this] {
        m_line.toggleUnits();
        sync();
    });
    connect(exit, &QPushButton::clicked, this, &QWidget::close);
    sync();
}

void CalibrationScreen::setPictures(const QList<PictureView*>& pictures)
{
    m_pictures.clear();
    for (PictureView* p : pictures)
        m_pictures << p;
}

void CalibrationScreen::open(GridSource grid)
{
    m_grid = std::move(grid);
    sync();
    show();
    raise();
    activateWindow();
}

void CalibrationScreen::drawOnPictures(const Segment& s, const QColor& colour)
{
    for (const QPointer<PictureView>& p : std::as_const(m_pictures)) {
        if (p)
            p->drawLine({s.from.x, s.from.y}, {s.to.x, s.to.y}, colour);
    }
}

void CalibrationScreen::drawLine()
{
    const auto drawing = m_line.Draw(m_grid ? m_grid() : std::nullopt);
    sync();
    if (!drawing)
        return;
    drawOnPictures(drawing->previous, kPreviousLine);
    drawOnPictures(drawing->current, kNewLine);
}

void CalibrationScreen::eraseLine()
{
    drawOnPictures(m_line.stored(), kPreviousLine);
}

void CalibrationScreen::sync()
{
    m_binder.sync();
    m_units->setText(m_line.unitsCaption());
}

} // namespace korvel
