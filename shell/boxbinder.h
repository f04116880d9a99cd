#pragma once
// Ties a model's text boxes to their widgets both ways, by control enum: what
// the operator types goes to the model (which applies its edit rules), and
// sync() shows the model's texts again without counting as typing.
//
//   BoxBinder<FooControl> m_binder{m_model, [this] { sync(); }};
//   m_binder.bind(FooControl::Jump, make<QLineEdit>(panel, FooControl::Jump));
//   void FooScreen::sync() { m_binder.sync(); ...the rest... }

#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QSignalBlocker>

#include <functional>
#include <utility>
#include <vector>

namespace korvel
{

template <class Id> class BoxBinder
{
public:
    using Get = std::function<QString(Id)>;
    using Set = std::function<void(Id, const QString&)>;

    // afterEdit runs after every edit the operator makes (usually the
    // screen's sync, as an edit may change other boxes).
    BoxBinder(Get get, Set set, std::function<void()> afterEdit)
        : m_get(std::move(get)), m_set(std::move(set)), m_afterEdit(std::move(afterEdit))
    {
    }
    // Any model with text(Id) and setText(Id, text).
    template <class Model>
    requires requires(Model& m, Id id)
    {
        m.text(id);
        m.setText(id, QString());
    }
    BoxBinder(Model& model, std::function<void()> afterEdit)
        : BoxBinder([&model](Id id) { return model.text(id); },
                    [&model](Id id, const QString& t) { model.setText(id, t); },
                    std::move(afterEdit))
    {
    }

    // Bound widgets call back into the binder: it stays where it was made.
    BoxBinder(const BoxBinder&) = delete;
    BoxBinder& operator=(const BoxBinder&) = delete;

    QLineEdit* bind(Id id, QLineEdit* box)
    {
        m_rows.push_back({id, box, nullptr});
        QObject::connect(box, &QLineEdit::textEdited, box,
                         [this, id](const QString& text) { edited(id, text); });
        return box;
    }
    // An editable combo box: its edit text is the box.
    QComboBox* bind(Id id, QComboBox* box)
    {
        m_rows.push_back({id, nullptr, box});
        QObject::connect(box, &QComboBox::editTextChanged, box, [this, id](const QString& text) {
            if (text != m_get(id))
                edited(id, text);
        });
        return box;
    }

    // Model to widgets: only boxes whose text differs are set, with their
    // signals blocked, so the cursor stays where the operator types.
    void sync() const
    {
        for (const Row& r : m_rows) {
            const QString t = m_get(r.id);
            if (r.edit && r.edit->text() != t) {
                const QSignalBlocker block(r.edit);
                r.edit->setText(t);
            } else if (r.combo && r.combo->currentText() != t) {
                const QSignalBlocker block(r.combo);
                r.combo->setEditText(t);
            }
        }
    }

    // The bound widget of a control; nullptr when none is bound.
    QWidget* widget(Id id) const
    {
        for (const Row& r : m_rows) {
            if (r.id == id)
                return r.edit ? static_cast<QWidget*>(r.edit) : r.combo;
        }
        return nullptr;
    }

private:
    void edited(Id id, const QString& text)
    {
        m_set(id, text);
        if (m_afterEdit)
            m_afterEdit();
    }

    struct Row {
        Id id;
        QPointer<QLineEdit> edit;
        QPointer<QComboBox> combo;
    };
    Get m_get;
    Set m_set;
    std::function<void()> m_afterEdit;
    std::vector<Row> m_rows;
};

} // namespace korvel
