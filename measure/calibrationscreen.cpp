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
    auto* grid = new QGridLayout;
    grid->addWidget(label(central, "CalibrationLineActualLabel", QStringLiteral("Actual")), 0, 0, 1,
                    2, Qt::AlignCenter);
    grid->addWidget(label(central, "CalibrationLineScreenLabel", QStringLiteral("Screen")), 0, 2, 1,
                    2, Qt::AlignCenter);
    const QStringList& names = CalibrationLine::boxNames();
    for (int k = 0; k < names.size(); ++k) {
        auto* box = new QLineEdit(central);
        box->setObjectName(names[k]);
        m_boxes.insert(names[k], box);
        // End point 1 on the first row, "from" between, end point 2 below.
        grid->addWidget(box, k < 4 ? 1 : 3, k % 4);
        connect(box, &QLineEdit::textEdited, this,
                [this, box](const QString& text) { m_line.setText(box->objectName(), text); });
    }
    grid->addWidget(label(central, "fromActual", QStringLiteral("from")), 2, 0, 1, 2,
                    Qt::AlignCenter);
    grid->addWidget(label(central, "fromScreen", QStringLiteral("from")), 2, 2, 1, 2,
                    Qt::AlignCenter);
    v->addLayout(grid);

    auto* buttons = new QHBoxLayout;
    auto* draw = button(central, "CalibrateLineDrawCommand", QStringLiteral("Draw"));
    auto* erase = button(central, "CalibrationLineErase", QStringLiteral("Erase"));
    m_units = button(central, "CalibrationLineUnitsSelect", QStringLiteral("Actual"));
    auto* exit = button(central, "formexit", QStringLiteral("E&xit"));
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
    for (auto it = m_boxes.constBegin(); it != m_boxes.constEnd(); ++it) {
        const QString t = m_line.text(it.key());
        if (it.value()->text() != t)
            it.value()->setText(t);
    }
    m_units->setText(m_line.unitsCaption());
}

} // namespace korvel
