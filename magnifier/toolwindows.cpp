#include "magnifier/toolwindows.h"

#include "magnifier/art.h"
#include "magnifier/toolfigures.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressDialog>
#include <QScreen>
#include <QStyledItemDelegate>
#include <QTextOption>
#include <QVBoxLayout>

namespace lensor
{

std::vector<QRect> screenAreas()
{
    std::vector<QRect> areas;
    if (const QScreen* primary = QGuiApplication::primaryScreen())
        areas.push_back(primary->availableGeometry());
    for (const QScreen* s : QGuiApplication::screens())
        if (s != QGuiApplication::primaryScreen())
            areas.push_back(s->availableGeometry());
    return areas;
}

ToolWindow::ToolWindow(const char* className, const QString& title, WindowRecord& record)
    : QWidget(nullptr, Qt::Tool), m_record(record)
{
    setObjectName(QString::fromLatin1(className));
    setWindowTitle(title);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlag(Qt::WindowStaysOnTopHint, m_record.show);
}

void ToolWindow::applyOnTop()
{
    if (windowFlags().testFlag(Qt::WindowStaysOnTopHint) == m_record.show)
        return;
    const bool visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, m_record.show);
    if (visible)
        show();
}

void ToolWindow::placeFromRecord(QSize size)
{
    const QRect place = placedOnScreens({QPoint(m_record.left, m_record.top), size}, screenAreas());
    resize(place.size());
    move(place.topLeft());
}

void ToolWindow::closeEvent(QCloseEvent* e)
{
    const QRect normal = isMinimized() || isMaximized() ? normalGeometry() : QRect(pos(), size());
    m_record.left = normal.x();
    m_record.top = normal.y();
    m_record.width = normal.width();
    m_record.height = normal.height();
    QWidget::closeEvent(e);
}

RulerWindow::RulerWindow(bool vertical, WindowRecord& record)
    : ToolWindow(vertical ? "VRulerClass" : "HRulerClass", QStringLiteral("Ruler"), record),
      m_vertical(vertical)
{
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);
    if (vertical) {
        setFixedWidth(kRulerThickness);
        setMinimumHeight(40);
        placeFromRecord({kRulerThickness, std::max(record.height, 40)});
    } else {
        setFixedHeight(kRulerThickness);
        setMinimumWidth(40);
        placeFromRecord({std::max(record.width, 40), kRulerThickness});
    }
}

void RulerWindow::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setPen(palette().color(QPalette::WindowText));
    const int length = m_vertical ? height() : width();
    for (const RulerTick& t : rulerTicks(length)) {
        if (m_vertical) {
            p.drawLine(0, t.at, t.length - 1, t.at);
            p.drawLine(width() - t.length, t.at, width() - 1, t.at);
        } else {
            p.drawLine(t.at, height() - t.length, t.at, height() - 1);
        }
    }
    for (const RulerLabel& l : rulerLabels(length, m_vertical))
        p.drawText(l.box, Qt::AlignRight | Qt::AlignVCenter, QString::number(l.value));
}

CharChartWindow::CharChartWindow(WindowRecord& record)
    : ToolWindow("ASCIIChartClass", QStringLiteral("ASCII | ANSI Chart"), record)
{
    // 518 x 325, or taller where the font needs the room for the whole hint.
    const QSize size = chartWindowSize(fontMetrics());
    setFixedSize(size);
    placeFromRecord(size);
}

void CharChartWindow::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Button));
    p.setPen(palette().color(QPalette::Dark));
    const int right = kChartOrigin + 16 * kChartCell.width();
    const int bottom = kChartOrigin + 16 * kChartCell.height();
    for (int i = 0; i <= 16; ++i) {
        p.drawLine(kChartOrigin + i * kChartCell.width(), kChartOrigin,
                   kChartOrigin + i * kChartCell.width(), bottom);
        p.drawLine(kChartOrigin, kChartOrigin + i * kChartCell.height(), right,
                   kChartOrigin + i * kChartCell.height());
    }
    p.setPen(palette().color(QPalette::ButtonText));
    for (int code = 0; code < 256; ++code)
        p.drawText(chartCellRect(code), Qt::AlignCenter, chartCellText(code));
    p.drawText(hintRect(), Qt::AlignCenter | Qt::TextWordWrap, QLatin1String(kChartHint));

    if (m_marked < 0)
        return;
    const QRect cell = chartCellRect(m_marked).adjusted(1, 1, 0, 0);
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p.fillRect(cell, Qt::white);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (!m_box)
        return;
    const QRect box = boxRect(m_marked);
    p.setPen(Qt::black);
    p.setBrush(Qt::yellow);
    p.drawRect(box.adjusted(0, 0, -1, -1));
    const QStringList lines = chartBoxLines(m_marked);
    for (int i = 0; i < lines.size(); ++i)
        p.drawText(textRect(box, i), Qt::AlignLeft | Qt::AlignVCenter, lines[i]);
}

QRect CharChartWindow::boxRect(int code) const
{
    return chartBoxRect(code, chartBoxTextSize(code, fontMetrics()), size());
}

QRect CharChartWindow::textRect(const QRect& box, int line) const
{
    const int step = chartBoxLineStep(fontMetrics());
    return {box.x() + 3, box.y() + 3 + step * line, box.width() - 6, step};
}

QRect CharChartWindow::hintRect() const
{
    return chartHintRect(fontMetrics());
}

void CharChartWindow::mousePressEvent(QMouseEvent* e)
{
    // The next input restores the cell and the area under the box.
    const bool wasMarked = m_marked >= 0;
    m_marked = -1;
    m_box = false;
    const int code = chartCodeAt(e->position().toPoint());
    if (code >= 0 && e->button() == Qt::LeftButton) {
        m_marked = code;
        m_box = true;
    } else if (code >= 0 && e->button() == Qt::RightButton) {
        m_marked = code;
        const QString c = chartCharacter(code);
        if (!c.isEmpty())
            QGuiApplication::clipboard()->setText(c);
    }
    if (wasMarked || m_marked >= 0)
        update();
}

void CharChartWindow::keyPressEvent(QKeyEvent* e)
{
    if (m_marked >= 0) {
        m_marked = -1;
        m_box = false;
        update();
    }
    ToolWindow::keyPressEvent(e);
}

namespace
{
// List lines are "code<TAB>hex<TAB>text": draw them in columns at tab stops of
// 25 and 60 dialog units (a quarter of the font's average character width).
class TabbedDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* p, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        QStyleOptionViewItem o = option;
        initStyleOption(&o, index);
        const QString text = o.text;
        o.text.clear();
        o.widget->style()->drawControl(QStyle::CE_ItemViewItem, &o, p, o.widget);
        const qreal unit = o.fontMetrics.averageCharWidth() / 4.0;
        QTextOption to(Qt::AlignLeft | Qt::AlignVCenter);
        to.setTabArray({25 * unit, 60 * unit});
        to.setWrapMode(QTextOption::NoWrap);
        p->save();
        p->setPen(o.palette.color(o.state & QStyle::State_Selected ? QPalette::HighlightedText
                                                                   : QPalette::Text));
        p->drawText(QRectF(o.rect.adjusted(2, 0, -2, 0)), text, to);
        p->restore();
    }
};
} // namespace

ErrorCodesWindow::ErrorCodesWindow(WindowRecord& record)
    : ToolWindow("MSErrorsClass", QStringLiteral("MS Windows 95/NT Error Codes"), record)
{
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("list"));
    m_list->setItemDelegate(new TabbedDelegate(m_list));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list);
    placeFromRecord({std::max(record.width, 120), std::max(record.height, 80)});

    QProgressDialog progress(QStringLiteral("Loading MS Windows 95/NT Error Messages..."),
                             QString(), 0, kErrorCodeCount);
    progress.setObjectName(QStringLiteral("progress"));
    progress.setWindowTitle(QStringLiteral(" Error Codes"));
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setMinimumDuration(0);
    m_list->addItems(errorCodeLines(systemErrorText, [&](int i) { progress.setValue(i + 1); }));
    if (m_list->count() > 0)
        m_list->setCurrentRow(0);
    m_list->setFocus();
}

SysInfoWindow::SysInfoWindow(WindowRecord& record, FigureSource source)
    : ToolWindow("SysInfoClass", QStringLiteral("System Information"), record),
      m_source(std::move(source))
{
    if (!m_source) {
        m_source = [fixed = readSystemFigures()]() mutable {
            readMemoryFigures(fixed);
            return fixed;
        };
    }
    m_figures = m_source();
    m_sinceRead.start();
    setFixedSize(256, 295);
    placeFromRecord({256, 295});
}

void SysInfoWindow::refresh()
{
    // The ticks come up to fifty times a second; memory figures a person can
    // read change far more slowly than that.
    if (m_sinceRead.elapsed() < 1000)
        return;
    m_sinceRead.restart();
    SystemFigures now = m_source();
    if (now == m_figures)
        return;
    m_figures = now;
    update();
}

namespace
{
QString screenLine(bool pixels)
{
    const QScreen* s = QGuiApplication::primaryScreen();
    if (!s)
        return {};
    return pixels ? QStringLiteral("%1 x %2 Pixels").arg(s->size().width()).arg(s->size().height())
                  : QStringLiteral("%1 Bit Color").arg(s->depth());
}
} // namespace

QStringList SysInfoWindow::lines() const
{
    const ResourceBars bars = resourceBars(m_figures);
    return {systemLine(m_figures),
            cpuLine(m_figures),
            totalRamLine(m_figures),
            freeRamLine(m_figures),
            screenLine(true),
            screenLine(false),
            QStringLiteral("%1%").arg(bars.system),
            QStringLiteral("%1%").arg(bars.ram),
            QStringLiteral("%1%").arg(bars.swap)};
}

void SysInfoWindow::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Button));
    const QStringList text = lines();
    const InfoIcon icons[] = {InfoIcon::System, InfoIcon::Memory, InfoIcon::Monitor,
                              InfoIcon::Resources};
    for (int s = 0; s < 4; ++s)
        p.drawImage(10, 12 + 62 * s, infoIcon(icons[s]));
    p.setPen(palette().color(QPalette::ButtonText));
    for (int i = 0; i < 6; ++i)
        p.drawText(QRect(52, 12 + 62 * (i / 2) + 16 * (i % 2), 196, 16),
                   Qt::AlignLeft | Qt::AlignVCenter, text[i]);

    // Resources: three bars of what is left, red when almost nothing is.
    const int top = 12 + 62 * 3;
    QFont bold = p.font();
    bold.setBold(true);
    p.setFont(bold);
    p.drawText(QRect(52, top - 4, 100, 16), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Resources"));
    p.drawText(QRect(150, top - 4, 40, 16), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Free"));
    p.setFont(font());
    const ResourceBars bars = resourceBars(m_figures);
    const int values[] = {bars.system, bars.ram, bars.swap};
    const char* labels[] = {"System", "RAM", "Swap"};
    for (int i = 0; i < 3; ++i) {
        const int y = top + 14 + 18 * i;
        p.setPen(palette().color(QPalette::ButtonText));
        p.drawText(QRect(52, y, 50, 16), Qt::AlignLeft | Qt::AlignVCenter,
                   QLatin1String(labels[i]));
        p.drawText(QRect(102, y, 40, 16), Qt::AlignRight | Qt::AlignVCenter, text[6 + i]);
        const QRect bar(150, y + 3, 96, 10);
        p.setPen(palette().color(QPalette::Dark));
        p.setBrush(Qt::white);
        p.drawRect(bar.adjusted(0, 0, -1, -1));
        p.fillRect(
            QRect(bar.x() + 1, bar.y() + 1, barFill(values[i], bar.width() - 2), bar.height() - 2),
            barColour(values[i]));
    }
}

} // namespace lensor
