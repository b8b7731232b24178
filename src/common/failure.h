#pragma once

#include <exception>
#include <string>
#include <string_view>

namespace sorvane {

// A failure as the user is told of it: the core's error number (kErrUnexpected for a failure
// that is not the core's own) and the reason.
struct Failure {
    int number = 0;
    std::string description;

    // A SorvaneError: its number means something to the user.
    bool numbered() const;
};

// The one place where a caught exception becomes the user's text: a SorvaneError gives its
// number and description; running out of memory "not enough memory for <work>"; any other
// exception its own text. Called inside a catch handler, or with an exception_ptr.
Failure describeFailure(std::exception_ptr failure, std::string_view work);
Failure describeCurrentFailure(std::string_view work);

// "Error No: <number>, <description>": the form every numbered error is shown in.
std::string errorNoText(int number, std::string_view description);

}  // namespace sorvane
