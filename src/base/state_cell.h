#pragma once
// A cell for GUI-thread state that knows when it is borrowed.
//
// Window procedures re-enter: a handler that holds the application state and
// calls SetFocus, ShowWindow, or a message box can find itself called again
// before it returns. The rule is never to hold the state across such a call;
// this cell catches a broken rule instead of letting two handlers silently
// edit the same record.
//
// What happens then is each program's own choice, made by the one small file
// linked into it (state_cell_misuse.cpp): the test programs report the misuse
// and abort, so that no test passes over it; the program users run carries
// on, the second borrow comes back empty and that message gets the default
// handling, rather than ending the process with text the store has not yet
// written.

#include <optional>
#include <utility>

// Called on every misuse of a cell; returns only in the program users run.
void state_cell_misused(const char* what) noexcept;

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

  // Neither replaces nor drops the value under a live borrow: the holder
  // would be left with a dangling reference.
  void emplace(T value) {
    if (borrowed_) {
      state_cell_misused("emplace");
      return;
    }
    value_.emplace(std::move(value));
  }
  void reset() {
    if (borrowed_) {
      state_cell_misused("reset");
      return;
    }
    value_.reset();
  }

  // The state, for a handler that must have it; an empty borrow before the
  // state exists. Borrowing twice is a bug in the caller (see above); where
  // the program survives it, the borrow comes back empty, so every borrow
  // is checked before use.
  Borrow borrow() {
    if (!value_) return Borrow(nullptr);
    if (borrowed_) {
      state_cell_misused("borrow");
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
  std::optional<T> value_;
  bool borrowed_ = false;
};
