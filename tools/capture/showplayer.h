// The show's own code played offscreen: its effects, scenes and textures as
// the show builds them, with its GL state, drawn one frame at a time for any
// show-clock time the caller chooses. The one part of the capture that
// touches the core and the GL context.
#ifndef CAPTURE_SHOWPLAYER_H
#define CAPTURE_SHOWPLAYER_H

namespace showplayer {

// Makes a width x height offscreen context current and builds the show into
// it as the show's start-up does. Answers false when there is no such context;
// a missing or broken scene or image ends the process through the core's Quit
// with the show's own message and status.
bool Open(int width, int height);
// The show clock's last drawn millisecond: later times draw nothing.
int LastShowMs();
// Draws the frame the show draws when its clock reads showMs. Like the live
// show, a picture shows the animation evaluated by the frame before it, so the
// frames must come in the order a viewer sees them. Answers false, drawing
// nothing, once the show has ended.
bool Draw(int showMs);
// Copies the picture as RGBA, bottom row first (GL's order), into rgba,
// which holds width * height * 4 bytes.
void Read(unsigned char *rgba);
// Releases the show and the context.
void Close();

}  // namespace showplayer

#endif
