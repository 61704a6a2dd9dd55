#pragma once

#include <string>

#include "base/Errors.h"

namespace vorlane {

// Failures of the display layer. Their messages are English, as the display
// service has always reported them.

// A surface that cannot be made or is missing: "Surface cannot be made",
// "IDirectDrawSurface not made".
class EDirectDrawSurfaceError : public EVorlaneError {
public:
    using EVorlaneError::EVorlaneError;
    static EDirectDrawSurfaceError CannotBeMade(const std::string& what);
    static EDirectDrawSurfaceError NotMade(const std::string& what);
};

// The display itself: "Form not found", "Display mode cannot be changed (...)",
// "Primary Surface cannot be made".
class EDXDrawError : public EVorlaneError {
public:
    using EVorlaneError::EVorlaneError;
};

}  // namespace vorlane
