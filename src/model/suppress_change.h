#pragma once
// While raised, change notifications from editors are not edits: the
// program is replacing or recolouring text itself.

// The GUI thread's flag.
bool change_suppressed();

// Raises the flag for a scope and restores its previous value afterwards,
// so nested programmatic changes compose.
class SuppressChange {
 public:
  SuppressChange();
  ~SuppressChange();
  SuppressChange(const SuppressChange&) = delete;
  SuppressChange& operator=(const SuppressChange&) = delete;

 private:
  bool previous_;
};
