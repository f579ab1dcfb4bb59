#include "effect.h"

Effect::~Effect() {}

int Effect::Do(int, int)
{
    return 1;
}

int Effect::Init()
{
    return 1;
}
