// The capture's report on standard error: a bar redrawn in place on a
// terminal, else a line every ten seconds; one summary line at the end.
#ifndef CAPTURE_PROGRESS_H
#define CAPTURE_PROGRESS_H

#include <stdio.h>

#include <chrono>
#include <string>

class Progress {
public:
    using Clock = std::chrono::steady_clock;

    // total: frames to capture; out: where to report; terminal: redraw a bar.
    Progress(int total, FILE *out, bool terminal);
    // Reports that done frames are complete, if it is time to.
    void Update(int done);
    // Ends the bar, drawn full, on its line.
    void End(int done);

    // The bar or line for done of total frames after elapsed seconds.
    static std::string Line(int done, int total, double elapsedSeconds);
    // "capture: PATH: N frames, S s, M MB in T s (F fps, Rx real time)".
    static void Summary(FILE *out, const std::string &path, int frames, double videoSeconds,
                        long long bytes, double takenSeconds);

private:
    int total_;
    FILE *out_;
    bool terminal_;
    Clock::time_point start_, last_;
    bool drawn_ = false;
};

#endif
