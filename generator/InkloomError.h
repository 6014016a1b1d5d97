#pragma once

#include <stdexcept>
#include <string>

// The program's general error class. A step that cannot go on raises it; the command that ran
// the step is abandoned and its caller shows the message.
class EInkloomError : public std::runtime_error {
 public:
  explicit EInkloomError(const std::string& message) : std::runtime_error(message) {}
};
