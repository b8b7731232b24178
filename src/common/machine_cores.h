#pragma once

namespace sorvane {

// The machine's cores, at least 1.
int machineCores();

// The threads that a number of jobs asks for: the jobs, or one per core for 0 (or less).
int threadsFor(int jobs);

}  // namespace sorvane
