#include "common/machine_cores.h"

#include <algorithm>
#include <thread>

namespace sorvane {

int machineCores() {
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

int threadsFor(int jobs) {
    return jobs > 0 ? jobs : machineCores();
}

}  // namespace sorvane
