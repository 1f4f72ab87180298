#pragma once
// Combo boxes of fixed choices, shared by the dialogs: the box itself, and the place of a
// value in the list of values the box's entries stand for.

#include <QComboBox>
#include <QWidget>
#include <cstddef>
#include <initializer_list>

namespace korvane {

// A combo box named `name` (its object name) holding `texts` in their order.
inline QComboBox* Choices(QWidget* parent, const char* name, const char* const* texts,
                          std::size_t count) {
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    for (std::size_t i = 0; i < count; ++i) {
        box->addItem(texts[i]);
    }
    return box;
}

inline QComboBox* Choices(QWidget* parent, const char* name,
                          std::initializer_list<const char*> texts) {
    return Choices(parent, name, texts.begin(), texts.size());
}

// The place of `value` in `values`; 0 (the default) when it is not there.
template <typename Value, std::size_t Count>
int IndexOf(const Value (&values)[Count], Value value) {
    for (std::size_t i = 0; i < Count; ++i) {
        if (values[i] == value) {
            return static_cast<int>(i);
        }
    }
    return 0;
}

}  // namespace korvane
