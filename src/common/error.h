#pragma once

#include <stdexcept>
#include <string>

namespace sorvane {

// Error numbers of the program's own failures. Numbers below 1000 are libzip's error codes,
// passed on unchanged when the ZIP library reports a failure.
enum ErrorNumber : int {
    kErrMemberWithoutDot = 1001,
    kErrDetectorOutOfRange = 1002,
    kErrNoDetectorMember = 1003,
    kErrMemberUnreadable = 1004,
    kErrArchiveInconsistent = 1005,
    kErrArchiveChanged = 1006,  // the archive's file changed while it was read
    kErrFileWrite = 1010,
    kErrFileRead = 1011,
    kErrInvalidInput = 1020,
    kErrLedger = 1030,      // the health ledger's database
    kErrUnexpected = 1099,  // a failure that is not the core's own (memory, say)
};

// The one exception type of the core: a number and a description, which the window's
// loading message shows as "Error No: <number>, <description>."
class SorvaneError : public std::runtime_error {
  public:
    SorvaneError(int number, const std::string& description)
        : std::runtime_error(description), number_(number) {}

    int number() const { return number_; }
    std::string description() const { return what(); }

  private:
    int number_;
};

}  // namespace sorvane
