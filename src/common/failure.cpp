#include "common/failure.h"

#include <new>

#include "common/error.h"

namespace sorvane {

bool Failure::numbered() const {
    return number != kErrUnexpected;
}

Failure describeFailure(std::exception_ptr failure, std::string_view work) {
    try {
        std::rethrow_exception(failure);
    } catch (const SorvaneError& e) {
        return {e.number(), e.description()};
    } catch (const std::bad_alloc&) {
        return {kErrUnexpected, "not enough memory for " + std::string(work)};
    } catch (const std::exception& e) {
        return {kErrUnexpected, e.what()};
    } catch (...) {
        return {kErrUnexpected, "an unknown failure in " + std::string(work)};
    }
}

Failure describeCurrentFailure(std::string_view work) {
    return describeFailure(std::current_exception(), work);
}

std::string errorNoText(int number, std::string_view description) {
    return "Error No: " + std::to_string(number) + ", " + std::string(description);
}

}  // namespace sorvane
