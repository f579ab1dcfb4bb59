#include "effectsmanager.h"

#include "effect.h"

EffectsManager::EffectsManager(int duration) : effectCount(0), duration(duration) {}

EffectsManager::~EffectsManager()
{
    for (int i = 0; i < effectCount; i++) delete effects[i];
}

int EffectsManager::AddEffect(Effect *effect, int start, int end)
{
    if (effectCount == MaxEffects) return 0;
    effects[effectCount] = effect;
    effectStarts[effectCount] = start;
    effectEnds[effectCount] = end;
    // Counted only once Init returns: an Init that ends the process leaves an
    // effect this manager must not delete.
    effect->Init();
    effectCount++;
    return 1;
}

int EffectsManager::Do(int ticks)
{
    int showMs = ticks - startTime;
    if (showMs > duration) return 0;
    for (int i = 0; i < effectCount; i++) {
        if (effectStarts[i] <= showMs && showMs < effectEnds[i])
            effects[i]->Do(showMs, effectStarts[i]);
    }
    return 1;
}
