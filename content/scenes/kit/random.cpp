#include "random.h"

namespace scenes::kit {

Rng::Rng(std::uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 0x2545F4914F6CDD1Dull)
{
    if (state_ == 0) state_ = 1;
}
std::uint32_t Rng::Next()
{
    state_ ^= state_ >> 12;
    state_ ^= state_ << 25;
    state_ ^= state_ >> 27;
    return static_cast<std::uint32_t>((state_ * 0x2545F4914F6CDD1Dull) >> 32);
}
float Rng::Uniform()
{
    return (Next() >> 8) * (1.0f / 16777216.0f);
}
float Rng::Range(float lo, float hi)
{
    return lo + (hi - lo) * Uniform();
}
int Rng::Int(int n)
{
    return n > 0 ? static_cast<int>(Next() % static_cast<std::uint32_t>(n)) : 0;
}
scenekit::Vec3 Rng::InBox(scenekit::Vec3 lo, scenekit::Vec3 hi)
{
    // One draw per statement: the order of the draws is part of every scene.
    const float x = Range(lo.x, hi.x);
    const float y = Range(lo.y, hi.y);
    const float z = Range(lo.z, hi.z);
    return {x, y, z};
}

}  // namespace scenes::kit
