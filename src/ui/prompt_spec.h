#pragma once
// What a prompt asks and how its answer is checked. Plain data, so that the
// validators of the parts that ask (the vault, go to line) can be tested
// without a window.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/result.h"
#include "base/secure_buffer.h"

struct PromptSpec {
  std::string title;
  std::vector<std::string> labels;  // one entry field per label, in order
  std::string ok_text;
  std::string cancel_text;
  std::optional<std::string> extra_text;  // a third button at the left
  bool numeric = false;                   // digits only, at most 9, shown as typed
};

enum class PromptResult : std::uint8_t { Accepted = 0, Cancelled = 1, Extra = 2 };

// Called with the caller's context and the entered texts (UTF-8, one per
// label, in label order) each time the user submits. Success ends the prompt;
// an error message is shown in the prompt, whose fields are then emptied for
// another try. The texts are wiped when the call returns: a validator that
// needs one afterwards keeps its own SecureBuffer copy in the context.
using PromptValidator = Result<void> (*)(void* context, std::span<const SecureBuffer> texts);
