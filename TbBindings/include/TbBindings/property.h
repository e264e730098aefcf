#pragma once

#include <TbBindings/errors.h>
#include <TbBindings/property_updater.h>
#include <TbBindings/signal.h>

#include <memory>
#include <utility>

namespace TbBindings {

// An observable value. Every change is announced by valueAboutToChange(old, new) and then
// valueChanged(new); assigning an equal value announces nothing. While an updater (a binding) drives the
// property, it is read-only.
template<typename T>
class Property
{
public:
    Property()
        : m_value{}
    {
    }
    Property(T value)
        : m_value(std::move(value))
    {
    }
    Property(std::unique_ptr<PropertyUpdater<T>> updater)
        : m_value{}
    {
        *this = std::move(updater);
    }

    ~Property() { m_destroyed.emit(); }

    Property(const Property &) = delete;
    Property &operator=(const Property &) = delete;

    // The value, signals and updater move along; the destination then announces itself through
    // moved(), so the binding expressions that read the source follow it.
    Property(Property &&other)
        : m_value(std::move(other.m_value))
        , m_valueAboutToChange(std::move(other.m_valueAboutToChange))
        , m_valueChanged(std::move(other.m_valueChanged))
        , m_moved(std::move(other.m_moved))
        , m_destroyed(std::move(other.m_destroyed))
        , m_updater(std::move(other.m_updater))
    {
        aimUpdaterHere();
        m_moved.emit(*this);
    }

    Property &operator=(Property &&other)
    {
        if (this == &other)
            return *this;
        // Expressions reading this property lose their value: it is replaced by another property's.
        m_moved.emit(*this);
        m_value = std::move(other.m_value);
        m_valueAboutToChange = std::move(other.m_valueAboutToChange);
        m_valueChanged = std::move(other.m_valueChanged);
        m_moved = std::move(other.m_moved);
        m_destroyed = std::move(other.m_destroyed);
        m_updater = std::move(other.m_updater);
        aimUpdaterHere();
        m_moved.emit(*this);
        return *this;
    }

    const T &get() const noexcept { return m_value; }
    const T &operator()() const noexcept { return m_value; }

    void set(T value)
    {
        if (m_updater)
            throw ReadOnlyProperty();
        apply(std::move(value));
    }
    Property &operator=(const T &value)
    {
        set(value);
        return *this;
    }
    Property &operator=(T &&value)
    {
        set(std::move(value));
        return *this;
    }

    // Lets `updater` drive this property (replacing any previous one) and takes its current value.
    Property &operator=(std::unique_ptr<PropertyUpdater<T>> updater)
    {
        m_updater = std::move(updater);
        if (m_updater) {
            aimUpdaterHere();
            apply(m_updater->get());
        }
        return *this;
    }

    bool isReadOnly() const noexcept { return m_updater != nullptr; }

    Signal<const T &, const T &> &valueAboutToChange() noexcept { return m_valueAboutToChange; }
    Signal<const T &> &valueChanged() noexcept { return m_valueChanged; }
    Signal<Property<T> &> &moved() noexcept { return m_moved; }
    Signal<> &destroyed() noexcept { return m_destroyed; }

private:
    void apply(T &&value)
    {
        if (m_value == value)
            return;
        m_valueAboutToChange.emit(m_value, value);
        m_value = std::move(value);
        m_valueChanged.emit(m_value);
    }

    void aimUpdaterHere()
    {
        if (m_updater)
            m_updater->setUpdateFunction([this](T &&value) { apply(std::move(value)); });
    }

    T m_value;
    Signal<const T &, const T &> m_valueAboutToChange;
    Signal<const T &> m_valueChanged;
    Signal<Property<T> &> m_moved;
    Signal<> m_destroyed;
    std::unique_ptr<PropertyUpdater<T>> m_updater;
};

} // namespace TbBindings
