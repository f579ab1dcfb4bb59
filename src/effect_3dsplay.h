#ifndef SHOW_EFFECT_3DSPLAY_H
#define SHOW_EFFECT_3DSPLAY_H

#include "effect.h"

class Load3ds;

// The show's fixed OpenGL state, set once by Effect_3DSPlay::Init; tools that
// draw scenes on their own set it the same way.
void SetShowGlState();

// The show's one effect: the fixed list of scenes, played back to back from
// show-clock 0; the last one plays on until the show ends.
class Effect_3DSPlay : public Effect {
public:
    enum { MaxScenes = 255 };

    Load3ds *scenes[MaxScenes];     // owned
    int sceneDurations[MaxScenes];  // ms
    int sceneCount;                 // counted slots; the scene at this index is open-ended

    Effect_3DSPlay();
    ~Effect_3DSPlay() override;
    // Clears the frame and plays the scene whose slot holds showMs.
    int Do(int showMs, int spanStartMs) override;
    // Sets the show's fixed OpenGL state and loads every scene of the list.
    int Init() override;
};

#endif
