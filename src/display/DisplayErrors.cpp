#include "display/DisplayErrors.h"

namespace vorlane {

EDirectDrawSurfaceError EDirectDrawSurfaceError::CannotBeMade(const std::string& what)
{
    return EDirectDrawSurfaceError(FormatMessage("%s cannot be made", what));
}

EDirectDrawSurfaceError EDirectDrawSurfaceError::NotMade(const std::string& what)
{
    return EDirectDrawSurfaceError(FormatMessage("%s not made", what));
}

}  // namespace vorlane
