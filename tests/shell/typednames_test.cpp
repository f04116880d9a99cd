// The name tables the screens and the settings readers share: every value
// goes out and comes back as itself, and texts nobody wrote are refused.

#include "shell/controls.h"
#include "shell/sharedstate.h"

#include <gtest/gtest.h>

using namespace korvel;

namespace
{

template <class E> void expectRoundTrip()
{
    for (const NameRow<E>& r : names(E{})) {
        EXPECT_EQ(nameOf(r.value), QString::fromLatin1(r.name));
        EXPECT_EQ(parseName<E>(QString::fromLatin1(r.name)), r.value) << r.name;
    }
}

enum class DemoControl { Name, Jump, Record };
constexpr ControlRow<DemoControl> kDemo[] = {
    {DemoControl::Name, "Skier_name", nullptr, "Skier Name"},
    {DemoControl::Jump, "Jump_no", nullptr, "Jump"},
    {DemoControl::Record, "Record", "Record &Jump"},
};
static_assert(controlsInEnumOrder(kDemo));
constexpr std::span<const ControlRow<DemoControl>> controlTable(DemoControl)
{
    return kDemo;
}

constexpr ControlRow<DemoControl> kShuffled[] = {
    {DemoControl::Jump, "Jump_no"},
    {DemoControl::Name, "Skier_name"},
};
static_assert(!controlsInEnumOrder(kShuffled));

} // namespace

TEST(TypedNames, EveryValueComesBackAsItself)
{
    expectRoundTrip<ScreenTag>();
    expectRoundTrip<WstimsLink>();
    expectRoundTrip<SavePolicy>();
    expectRoundTrip<Direction>();
    expectRoundTrip<Tournament>();
    expectRoundTrip<MarkerStyle>();
    expectRoundTrip<LineControl>();
    EXPECT_EQ(nameOf(ScreenTag::None), QString());
    EXPECT_EQ(nameOf(WstimsLink::On), QStringLiteral("WSTIMS ON"));
}

TEST(TypedNames, SettingsTextsWithTheirOwnRules)
{
    EXPECT_EQ(parseName<SavePolicy>(u"nosave"), std::nullopt);
    EXPECT_EQ(savePolicyFromSetting(u""), SavePolicy::Ask);
    EXPECT_EQ(savePolicyFromSetting(u" NoSave "), SavePolicy::NoSave);
    EXPECT_EQ(savePolicyFromSetting(u"Sometimes"), std::nullopt);
    EXPECT_EQ(markerStyleFromSetting(u"cross"), MarkerStyle::Cross);
    EXPECT_EQ(markerStyleFromSetting(u"square"), MarkerStyle::Circle);
}

TEST(ControlTable, RowsByIdAndByName)
{
    EXPECT_EQ(controlName(DemoControl::Jump), QStringLiteral("Jump_no"));
    EXPECT_EQ(controlCaption(DemoControl::Record), QStringLiteral("Record &Jump"));
    EXPECT_EQ(controlCaption(DemoControl::Name), QString());
    EXPECT_EQ(controlByName<DemoControl>(u"Record"), DemoControl::Record);
    EXPECT_EQ(controlByName<DemoControl>(u"record"), std::nullopt);
    ControlTexts<DemoControl> texts;
    EXPECT_EQ(texts[DemoControl::Name], QStringLiteral("Skier Name"));
    texts[DemoControl::Name] = "Jane";
    texts.reset();
    EXPECT_EQ(texts[DemoControl::Jump], QStringLiteral("Jump"));
}
