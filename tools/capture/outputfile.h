// The capture's output is written under a temporary name beside its final
// one and renamed there only when complete. Whatever ends the process before
// that (an error, the core's Quit through exit(), a signal) removes it.
#ifndef CAPTURE_OUTPUTFILE_H
#define CAPTURE_OUTPUTFILE_H

#include <string>

namespace outputfile {

// Makes the temporary file (or, with isDirectory, directory) beside path and
// has it removed at exit unless committed. A directory path must not exist
// or be an empty directory; a file path must not be a directory. Answers
// false with a one-line reason in *error.
bool Begin(const std::string &path, bool isDirectory, std::string *error);
// The temporary file or directory to write into.
const char *TemporaryPath();
// Renames the temporary output to its final path. Answers false with the
// reason (the temporary output is then still removed at exit).
bool Commit(std::string *error);
// Removes the temporary output and whatever files are in it.
void Discard();
// Removes the temporary output with async-signal-safe calls only: enough
// while nothing has been written into a temporary directory.
void DiscardFromSignal();

}  // namespace outputfile

#endif
