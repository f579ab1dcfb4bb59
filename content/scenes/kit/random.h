// A fixed-seed random generator (xorshift*): the same sequence on every run
// and machine, so that scattered things land in the same places every time.
#ifndef SCENES_KIT_RANDOM_H
#define SCENES_KIT_RANDOM_H

#include <cstdint>

#include "scenekit.h"

namespace scenes::kit {

class Rng {
public:
    explicit Rng(std::uint64_t seed);
    std::uint32_t Next();
    float Uniform();                  // [0, 1)
    float Range(float lo, float hi);  // [lo, hi)
    int Int(int n);                   // [0, n), n > 0
    scenekit::Vec3 InBox(scenekit::Vec3 lo, scenekit::Vec3 hi);

private:
    std::uint64_t state_;
};

}  // namespace scenes::kit

#endif
