#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace sorvane::synth {

inline constexpr double kPi = 3.14159265358979323846;

// A small generator of our own (splitmix64), so the bytes do not depend on the standard
// library's distributions.
class Random {
  public:
    explicit Random(uint64_t seed) : state_(seed) {}

    uint64_t next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    double uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
    double uniform(double lo, double hi) { return lo + (hi - lo) * uniform(); }
    int integer(int lo, int hi) {
        return lo + static_cast<int>(next() % static_cast<uint64_t>(hi - lo + 1));
    }
    double normal() {
        double u1 = std::max(uniform(), 1e-12);
        return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * kPi * uniform());
    }
    // Knuth's method for small means, a rounded normal above.
    int poisson(double mean) {
        if (mean <= 0.0) return 0;
        if (mean > 30.0)
            return std::max(0, static_cast<int>(std::lround(mean + std::sqrt(mean) * normal())));
        double limit = std::exp(-mean);
        double product = uniform();
        int k = 0;
        while (product > limit) {
            ++k;
            product *= uniform();
        }
        return k;
    }

  private:
    uint64_t state_;
};

}  // namespace sorvane::synth
