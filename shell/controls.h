#pragma once
// A screen's controls as one enum and one table: every control's objectName
// (the name the operator's manual, the tests and the settings know it by),
// its caption and the text a box shows before anything is typed. Models and
// screens speak the enum; the table is the only place the names are written,
// so a misspelt control is a compile error, never a box that silently stays
// empty.
//
// How a screen uses it (grid/gridsetupmodel.h and grid/gridsetupscreen.cpp
// are the worked example):
//
//   // In the model's header (a _core library: no widgets here).
//   enum class FooControl { Skier, Jump, Record };
//   inline constexpr ControlRow<FooControl> kFooControls[] = {
//       {FooControl::Skier, "Skier_name", nullptr, "Skier Name"},
//       {FooControl::Jump, "Jump_no", nullptr, "Jump"},
//       {FooControl::Record, "Record", "Record &Jump"},
//   };
//   static_assert(controlsInEnumOrder(kFooControls));
//   constexpr std::span<const ControlRow<FooControl>> controlTable(FooControl)
//   {
//       return kFooControls;
//   }
//
//   // The model keeps its boxes' texts by the enum:
//   ControlTexts<FooControl> m_texts; // starts with every row's initial text
//   QString text(FooControl c) const { return m_texts[c]; }
//   void setText(FooControl c, const QString& t); // the edit rules
//
//   // The screen (a _ui library) makes and binds its widgets by the enum
//   // (shell/namedwidgets.h, shell/boxbinder.h, shell/arrowkeys.h):
//   auto* record = make<QPushButton>(panel, FooControl::Record); // member pointer
//   m_binder.bind(FooControl::Jump, make<QLineEdit>(panel, FooControl::Jump));
//   m_keyTimer = makeKeyTimer(this, [this](ArrowKeys::Key k) { ... }, [this] { sync(); });
//
//   // Tests find a control by the enum and stop when it is missing:
//   auto* box = findControl<QLineEdit>(screen, FooControl::Jump);

#include <QString>
#include <QStringView>

#include <array>
#include <cstddef>
#include <optional>
#include <span>

namespace korvel
{

template <class Id> struct ControlRow {
    Id id;
    const char* objectName;
    const char* caption = nullptr; // shown on a button, label, option, group or menu item
    const char* initial = nullptr; // a text box's text before the operator types
};

// The table of a control enum, found through the controlTable(Id) overload
// declared beside the enum.
template <class Id> constexpr std::span<const ControlRow<Id>> controlsOf()
{
    return controlTable(Id{});
}

template <class Id> constexpr std::size_t controlCount()
{
    return controlsOf<Id>().size();
}

// Rows must stand in the enum's order: a row is found by its enum value.
template <class Id, std::size_t N> constexpr bool controlsInEnumOrder(const ControlRow<Id> (&t)[N])
{
    for (std::size_t k = 0; k < N; ++k) {
        if (static_cast<std::size_t>(t[k].id) != k || t[k].objectName == nullptr)
            return false;
    }
    return true;
}

template <class Id> constexpr const ControlRow<Id>& controlRow(Id id)
{
    return controlsOf<Id>()[static_cast<std::size_t>(id)];
}

template <class Id> QString controlName(Id id)
{
    return QString::fromLatin1(controlRow(id).objectName);
}

// The caption as shown; the empty text for a control without one.
template <class Id> QString controlCaption(Id id)
{
    const char* c = controlRow(id).caption;
    return c ? QString::fromUtf8(c) : QString();
}

template <class Id> QString controlInitial(Id id)
{
    const char* t = controlRow(id).initial;
    return t ? QString::fromUtf8(t) : QString();
}

// The control an objectName belongs to, for korvel-tool and settings that
// name controls; nullopt for a name the screen does not have.
template <class Id> std::optional<Id> controlByName(QStringView name)
{
    for (const ControlRow<Id>& r : controlsOf<Id>()) {
        if (name == QLatin1String(r.objectName))
            return r.id;
    }
    return std::nullopt;
}

// A model's box texts by control, each starting at its row's initial text.
template <class Id> class ControlTexts
{
public:
    ControlTexts() { reset(); }
    void reset()
    {
        for (const ControlRow<Id>& r : controlsOf<Id>())
            (*this)[r.id] = controlInitial(r.id);
    }
    const QString& operator[](Id id) const { return m_texts[static_cast<std::size_t>(id)]; }
    QString& operator[](Id id) { return m_texts[static_cast<std::size_t>(id)]; }

private:
    std::array<QString, controlCount<Id>()> m_texts;
};

} // namespace korvel
