#ifndef SHOW_EFFECTSMANAGER_H
#define SHOW_EFFECTSMANAGER_H

class Effect;

// The show's timeline: up to 100 effects, each active over [start, end) of
// the show clock, which is the tick count handed to Do less startTime.
class EffectsManager {
public:
    enum { MaxEffects = 100 };

    int startTime;  // tick count at show-clock 0; set by the owner
    int effectCount;
    int duration;                 // show length, ms
    Effect *effects[MaxEffects];  // owned
    int effectStarts[MaxEffects];
    int effectEnds[MaxEffects];  // exclusive

    explicit EffectsManager(int duration);
    // Deletes every held effect, in index order.
    ~EffectsManager();

    // Holds effect over [start, end) and calls its Init. Answers 0 (and leaves
    // the effect to the caller, uninitialised) when 100 effects are held.
    int AddEffect(Effect *effect, int start, int end);
    // Draws one frame for the tick count: calls Do of every active effect in
    // the order they were added. Answers 0 once the show clock exceeds
    // duration (nothing is called then), else 1.
    int Do(int ticks);
};

#endif
