#pragma once
// One name table per enum: the texts a value is written as in settings,
// exchange files and shared tags, and read back from. Code compares enum
// values; only the readers and writers of those texts go through here, so a
// misspelt tag is a compile error instead of a branch that never runs.

#include <QString>
#include <QStringView>

#include <optional>
#include <span>

namespace korvel
{

template <class E> struct NameRow {
    E value;
    const char* name;
};

// The text a value is stored as; the empty text for a value the table lacks.
template <class E> QString nameOf(std::span<const NameRow<E>> table, E value)
{
    for (const NameRow<E>& r : table) {
        if (r.value == value)
            return QString::fromLatin1(r.name);
    }
    return {};
}

// The value a stored text names, blanks around it ignored; letter case
// counts unless told otherwise. nullopt for a text the table does not know.
template <class E>
std::optional<E> parseName(std::span<const NameRow<E>> table, QStringView text,
                           Qt::CaseSensitivity cs = Qt::CaseSensitive)
{
    const QStringView t = text.trimmed();
    for (const NameRow<E>& r : table) {
        if (t.compare(QLatin1String(r.name), cs) == 0)
            return r.value;
    }
    return std::nullopt;
}

} // namespace korvel
