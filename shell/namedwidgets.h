#pragma once
// Controls made under their own names: every control carries the name the
// screens, the manual and the tests know it by, as its objectName.

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace korvel
{

template <class W, class... Args> W* named(const char* name, Args&&... args)
{
    auto* w = new W(std::forward<Args>(args)...);
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

inline QLabel* label(QWidget* parent, const char* name, const QString& caption)
{
    return named<QLabel>(name, caption, parent);
}

inline QPushButton* button(QWidget* parent, const char* name, const QString& caption)
{
    return named<QPushButton>(name, caption, parent);
}

inline QRadioButton* option(QWidget* parent, const char* name, const QString& caption)
{
    return named<QRadioButton>(name, caption, parent);
}

inline QCheckBox* checkBox(QWidget* parent, const char* name, const QString& caption)
{
    return named<QCheckBox>(name, caption, parent);
}

inline QLineEdit* textBox(QWidget* parent, const char* name, bool readOnly = false)
{
    auto* e = named<QLineEdit>(name, parent);
    e->setReadOnly(readOnly);
    return e;
}

inline QAction* action(QObject* parent, const char* name, const QString& caption)
{
    return named<QAction>(name, caption, parent);
}

} // namespace korvel
