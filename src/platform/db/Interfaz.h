#pragma once
// Owns one reference to a Firebird interface and gives it back when it goes out of scope:
// release() for reference-counted interfaces, dispose() for the disposable ones.

#include <utility>

namespace db {

template <typename T>
class Interfaz {
public:
    Interfaz() = default;
    explicit Interfaz(T *p) : p_(p) {}
    ~Interfaz() { reset(); }
    Interfaz(const Interfaz &) = delete;
    Interfaz &operator=(const Interfaz &) = delete;
    Interfaz(Interfaz &&o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    Interfaz &operator=(Interfaz &&o) noexcept
    {
        if (this != &o) {
            reset();
            p_ = std::exchange(o.p_, nullptr);
        }
        return *this;
    }

    T *get() const { return p_; }
    T *operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

    // Gives up ownership, e.g. after a call that releases the interface itself on success
    // (commit, rollback, detach, free, close).
    T *soltar() { return std::exchange(p_, nullptr); }

    void reset(T *p = nullptr)
    {
        if (p_ && p_ != p) {
            if constexpr (requires(T *t) { t->release(); })
                p_->release();
            else
                p_->dispose();
        }
        p_ = p;
    }

private:
    T *p_ = nullptr;
};

} // namespace db
