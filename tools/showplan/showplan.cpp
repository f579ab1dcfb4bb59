// Prints the show plan for scripts: one line per scene slot, in show order,
// "FILE START_MS DURATION_MS" on the show clock, then "show LENGTH_MS".
#include <stdio.h>

#include "showplan.h"

int main()
{
    for (int i = 0; i < showplan::SceneCount; i++)
        printf("%s %d %d\n", showplan::Scenes[i].file, showplan::SlotStartMs(i),
               showplan::Scenes[i].durationMs);
    printf("show %d\n", showplan::ShowLengthMs);
    return 0;
}
