// scenekit's one way to answer a failure.
#ifndef SCENEKIT_FAILURE_H
#define SCENEKIT_FAILURE_H

#include <string>

namespace scenekit {

// Puts message into *error when error is not null; answers false.
inline bool Fail(std::string *error, const std::string &message)
{
    if (error) *error = message;
    return false;
}

}  // namespace scenekit

#endif
