#ifndef SHOW_EFFECT_H
#define SHOW_EFFECT_H

// Anything that draws the picture for a moment of the show. Effects are made
// with new and owned by the EffectsManager from the moment it holds them.
class Effect {
public:
    virtual ~Effect();
    // Draws the frame for show-clock time showMs; spanStartMs is where this
    // effect's span begins on the same clock. The answer is ignored.
    virtual int Do(int showMs, int spanStartMs);
    // One-time preparation, called by EffectsManager::AddEffect before the
    // show clock starts. May end the process through Quit.
    virtual int Init();
};

#endif
