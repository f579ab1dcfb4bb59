// The checks of a data directory against what the show needs of its content,
// each reporting every finding as it goes.
#ifndef SHOWCHECK_CHECKS_H
#define SHOWCHECK_CHECKS_H

#include <string>
#include <vector>

namespace showcheck {

// Prints findings on standard output as compilers do, one a line:
// "DIR/NAME: error: MESSAGE" (the show cannot play the content as it is) or
// "DIR/NAME: warning: MESSAGE" (it plays, not quite as the content means).
class Report {
public:
    explicit Report(const std::string &dir) : dir_(dir) {}

    const std::string &dir() const { return dir_; }
    // DIR/name: where the checker reads what the show opens as data/name.
    std::string Path(const std::string &name) const { return dir_ + "/" + name; }
    void Error(const std::string &name, const std::string &message);
    void Warning(const std::string &name, const std::string &message);
    int errors() const { return errors_; }
    int warnings() const { return warnings_; }

private:
    std::string dir_;
    int errors_ = 0;
    int warnings_ = 0;
};

// An image as a material names it, with the first scene and material that do.
struct ImageUse {
    std::string name;
    std::string scene;
    std::string material;
};

// Each scene of the show plan, in show order: present, accepted by the show's
// check of its chunks, read by lib3ds, its camera, camera node, target node
// and field of view, what it draws, its animation against its slot. Appends
// each image its materials name, in the order the show loads them.
void CheckScenes(Report *report, std::vector<ImageUse> *images);
// Each distinct image as the texture store loads it: its name, the file
// under the lower-cased name, decoded by SDL_image, its pixel format and
// sides, and the store's slots.
void CheckImages(Report *report, const std::vector<ImageUse> &images);
// The music: present, loaded by SDL_mixer, MPEG audio, its rate and channels
// against the sound device's on the SDL 1.2 this runs on, its length against
// the show's.
void CheckMusic(Report *report);

}  // namespace showcheck

#endif
