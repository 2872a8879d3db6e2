#pragma once
// A cell for GUI-thread state that knows when it is borrowed.
//
// Window procedures re-enter: a handler that holds the application state and
// calls SetFocus, ShowWindow, or a message box can find itself called again
// before it returns. The rule is never to hold the state across such a call;
// this cell turns a broken rule into a loud failure in checked builds (the
// tests) instead of two handlers silently editing the same record.

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <utility>

template <class T>
class StateCell {
 public:
  class Borrow {
   public:
    explicit Borrow(StateCell* cell) : cell_(cell) {}
    Borrow(const Borrow&) = delete;
    Borrow& operator=(const Borrow&) = delete;
    Borrow(Borrow&& other) noexcept : cell_(std::exchange(other.cell_, nullptr)) {}
    Borrow& operator=(Borrow&&) = delete;
    ~Borrow() {
      if (cell_) cell_->borrowed_ = false;
    }
    explicit operator bool() const { return cell_ != nullptr; }
    T& operator*() const { return *cell_->value_; }
    T* operator->() const { return &*cell_->value_; }

   private:
    StateCell* cell_;
  };

  bool exists() const { return value_.has_value(); }
  bool borrowed() const { return borrowed_; }

  void emplace(T value) {
    check_free("emplace");
    value_.emplace(std::move(value));
  }
  void reset() {
    check_free("reset");
    value_.reset();
  }

  // The state, for a handler that must have it. Borrowing twice is a bug in
  // the caller; it aborts in checked builds and yields an empty borrow in
  // release builds, where the message is then left to the default handling.
  Borrow borrow() {
    if (!value_) return Borrow(nullptr);
    if (borrowed_) {
      check_free("borrow");
      return Borrow(nullptr);
    }
    borrowed_ = true;
    return Borrow(this);
  }

  // The state if nobody holds it right now, else an empty borrow: for
  // messages that may legitimately arrive inside another handler.
  Borrow try_borrow() {
    if (!value_ || borrowed_) return Borrow(nullptr);
    borrowed_ = true;
    return Borrow(this);
  }

 private:
  void check_free([[maybe_unused]] const char* what) const {
#ifdef NIMBOL_CHECKED
    if (borrowed_) {
      std::fprintf(stderr, "StateCell: %s while the state is borrowed\n", what);
      std::abort();
    }
#else
    (void)borrowed_;
#endif
  }

  std::optional<T> value_;
  bool borrowed_ = false;
};
