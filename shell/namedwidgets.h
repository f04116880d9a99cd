#pragma once
// Controls made under their own names: every control carries the name the
// screens, the manual and the tests know it by, as its objectName, taken
// from the screen's control table (shell/controls.h).

#include "shell/controls.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>

#include <concepts>
#include <utility>

namespace korvel
{

// A widget (or action) of type W for the control id, child of parent,
// carrying its objectName and its caption (a box: its initial text).
// Extra arguments go to W's constructor before the parent.
template <class W, class Id, class Parent, class... Args>
W* make(Parent* parent, Id id, Args&&... args)
{
    auto* w = new W(std::forward<Args>(args)..., parent);
    w->setObjectName(controlName(id));
    if constexpr (std::derived_from<W, QLineEdit>) {
        w->setText(controlInitial(id));
    } else if constexpr (std::derived_from<W, QGroupBox> || std::derived_from<W, QMenu>) {
        w->setTitle(controlCaption(id));
    } else if constexpr (requires { w->setText(QString()); }) {
        if (controlRow(id).caption)
            w->setText(controlCaption(id));
    }
    return w;
}

// The control id below root; nullptr when the screen has none by that name.
template <class W, class Id> W* findControl(const QObject* root, Id id)
{
    return root->findChild<W*>(controlName(id));
}

// For the few objects outside every control table (timers, a screen's own
// name): made and named in one step.
template <class W, class... Args> W* named(const char* name, Args&&... args)
{
    auto* w = new W(std::forward<Args>(args)...);
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

} // namespace korvel
