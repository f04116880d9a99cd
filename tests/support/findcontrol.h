#pragma once
// Screen test drivers find controls through here: a control that is missing
// fails the test at once with its name, instead of a null pointer crashing
// the whole test program.

#include "shell/controls.h"

#include <QObject>
#include <QString>

#include <gtest/gtest.h>

#include <stdexcept>
#include <type_traits>

namespace korvel::test
{

// The child of root named name, of type T. Missing: the test fails here and
// stops (googletest reports the exception as the test's failure).
template <class T> T* requireControl(const QObject* root, const QString& name)
{
    T* w = root->findChild<T*>(name);
    if (!w) {
        ADD_FAILURE() << "the screen has no control named " << name.toStdString();
        throw std::runtime_error("missing control " + name.toStdString());
    }
    return w;
}

template <class T, class Id>
requires std::is_enum_v<Id> T* requireControl(const QObject* root, Id id)
{
    return requireControl<T>(root, controlName(id));
}

} // namespace korvel::test
