#include "progress.h"

namespace {

const double TerminalSeconds = 0.1;
const double LogSeconds = 10;
const int BarWidth = 30;

double Since(Progress::Clock::time_point then)
{
    return std::chrono::duration<double>(Progress::Clock::now() - then).count();
}

std::string MinutesSeconds(double seconds)
{
    const long whole = long(seconds + 0.5);
    char text[32];
    snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
    return text;
}

}  // namespace

Progress::Progress(int total, FILE *out, bool terminal)
    : total_(total), out_(out), terminal_(terminal), start_(Clock::now()), last_(start_)
{
}

std::string Progress::Line(int done, int total, double elapsed)
{
    const int filled = total > 0 ? int((long long)BarWidth * done / total) : BarWidth;
    const double fps = elapsed > 0 ? done / elapsed : 0;
    const std::string left = fps > 0 ? MinutesSeconds((total - done) / fps) : "?";
    char text[160];
    snprintf(text, sizeof text, "[%s%s] %d/%d frames  %.1f fps  %s left",
             std::string(filled, '#').c_str(), std::string(BarWidth - filled, '.').c_str(), done,
             total, fps, left.c_str());
    return text;
}

void Progress::Update(int done)
{
    if (Since(last_) < (terminal_ ? TerminalSeconds : LogSeconds)) return;
    last_ = Clock::now();
    const std::string line = Line(done, total_, Since(start_));
    fprintf(out_, terminal_ ? "\r%s\033[K" : "capture: %s\n", line.c_str());
    fflush(out_);
    drawn_ = terminal_;
}

void Progress::End(int done)
{
    if (drawn_) fprintf(out_, "\r%s\033[K\n", Line(done, total_, Since(start_)).c_str());
    drawn_ = false;
}

void Progress::Summary(FILE *out, const std::string &path, int frames, double videoSeconds,
                       long long bytes, double taken)
{
    fprintf(out, "capture: %s: %d frames, %.2f s, %.1f MB in %.1f s (%.1f fps, %.2fx real time)\n",
            path.c_str(), frames, videoSeconds, bytes / 1e6, taken, taken > 0 ? frames / taken : 0,
            taken > 0 ? videoSeconds / taken : 0);
    fflush(out);
}
