#include "magnifier/optionssheet.h"

#include "magnifier/toolwindows.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace lensor
{

namespace
{
struct OptionBox {
    Option option;
    const char* caption;
};
const OptionBox kGeneralBoxes[] = {
    {Option::Multiple, "&Launch Multiple Instances"},
    {Option::TaskTray, "Place Icon in &Taskbar Tray"},
    {Option::Html, "Show HTML &Color Triplets"},
    {Option::Shutter, "&Play Shutter Sound when Copying"},
    {Option::LockSound, "&Beep when Locking the View"},
};

struct TopBox {
    Section section;
    const char* name;
    const char* caption;
};
const TopBox kTopBoxes[] = {
    {Section::HRuler, "HRuler", "&Horizontal Ruler"},
    {Section::VRuler, "VRuler", "&Vertical Ruler"},
    {Section::SysInfo, "SysInfo", "System &Information"},
    {Section::ErrorCodes, "Error Codes", "&MS Windows Error Codes"},
};

struct EntryBox {
    ShellEntry entry;
    const char* name;
    const char* caption;
};
const EntryBox kEntryBoxes[] = {
    {ShellEntry::Programs, "Programs", "Add Lensor to the applications &menu"},
    {ShellEntry::Desktop, "Desktop", "Place a Lensor icon on the &desktop"},
    {ShellEntry::Startup, "Startup", "&Start Lensor with the desktop session"},
};

template <class W> W* named(const char* name, const char* caption, QWidget* parent)
{
    auto* w = new W(QString::fromLatin1(caption), parent);
    w->setObjectName(QString::fromLatin1(name));
    return w;
}
} // namespace

OptionsSheet::OptionsSheet(const LensorState& state, Page page, QWidget* parent)
    : QDialog(parent), m_state(state)
{
    setObjectName(QStringLiteral("OptionsSheet"));
    setWindowTitle(QStringLiteral(" Screen Lensor Options"));
    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("pages"));

    auto* general = new QWidget;
    general->setObjectName(QStringLiteral("General"));
    auto* g = new QVBoxLayout(general);
    auto* rate = new QGroupBox(QStringLiteral("Screen Lensor Window Refresh Rate"), general);
    auto* rateRow = new QHBoxLayout(rate);
    const char* rates[3][2] = {{"Slow", "&Slow"}, {"Normal", "&Normal"}, {"Fast", "&Fast"}};
    for (int i = 0; i < 3; ++i) {
        m_refresh[i] = named<QRadioButton>(rates[i][0], rates[i][1], rate);
        rateRow->addWidget(m_refresh[i]);
    }
    m_refresh[std::clamp(state.options.value(Option::Refresh), 0, 2)]->setChecked(true);
    g->addWidget(rate);
    for (const OptionBox& b : kGeneralBoxes) {
        auto* box = named<QCheckBox>(ruleOf(b.option).name, b.caption, general);
        box->setChecked(state.options.isOn(b.option));
        g->addWidget(box);
    }
    auto* top = new QGroupBox(QStringLiteral("Keep these Windows Topmost on the Desktop"), general);
    auto* topGrid = new QGridLayout(top);
    for (int i = 0; i < 4; ++i) {
        auto* box = named<QCheckBox>(kTopBoxes[i].name, kTopBoxes[i].caption, top);
        box->setChecked(state.window(kTopBoxes[i].section).show);
        topGrid->addWidget(box, i / 2, i % 2);
    }
    g->addWidget(top);
    m_pages->addTab(general, QStringLiteral("General"));

    auto* setup = new QWidget;
    setup->setObjectName(QStringLiteral("Setup"));
    auto* s = new QVBoxLayout(setup);
    for (int i = 0; i < 3; ++i) {
        m_entries[i] = named<QCheckBox>(kEntryBoxes[i].name, kEntryBoxes[i].caption, setup);
        m_entries[i]->setChecked(shellEntryExists(kEntryBoxes[i].entry));
        s->addWidget(m_entries[i]);
    }
    s->addStretch();
    m_pages->addTab(setup, QStringLiteral("Setup"));
    m_pages->setCurrentIndex(page == Page::Setup ? 1 : 0);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pages);
    layout->addWidget(buttons);

    const WindowRecord& place = state.window(Section::Options);
    move(placedOnScreens({place.left, place.top, 1, 1}, screenAreas()).topLeft());
}

LensorState OptionsSheet::result() const
{
    LensorState s = m_state;
    for (int i = 0; i < 3; ++i)
        if (m_refresh[i]->isChecked())
            s.options.set(Option::Refresh, i);
    for (const OptionBox& b : kGeneralBoxes)
        s.options.set(b.option,
                      findChild<QCheckBox*>(QLatin1String(ruleOf(b.option).name))->isChecked());
    for (const TopBox& b : kTopBoxes)
        s.window(b.section).show = findChild<QCheckBox*>(QLatin1String(b.name))->isChecked();
    s.window(Section::Options).left = pos().x();
    s.window(Section::Options).top = pos().y();
    return s;
}

QStringList OptionsSheet::applySetup(const QString& executable, const QImage& icon) const
{
    QStringList failures;
    for (int i = 0; i < 3; ++i) {
        const ShellEntry e = kEntryBoxes[i].entry;
        if (m_entries[i]->isChecked() == shellEntryExists(e))
            continue;
        const auto failed =
            m_entries[i]->isChecked() ? createShellEntry(e, executable, icon) : removeShellEntry(e);
        if (failed)
            failures << *failed;
    }
    return failures;
}

} // namespace lensor
