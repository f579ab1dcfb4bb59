#pragma once
// MP3 encoding of 16-bit PCM through libmp3lame.

#include <string>
#include <vector>

// Encodes 16-bit PCM of one or two channels (interleaved: left, right, left, ...) as
// constant-bitrate MP3 at `kbps` (the encoder snaps to the nearest bitrate the format
// allows) and writes it to `path`, replacing the file. The same input always gives the same bytes:
// no ID3 tag, and a LAME info frame up front so that decoders trim the encoder's delay and padding.
// Answers true on success; on failure answers false, leaves no partial file behind and,
// when `error` is non-null, stores a one-line reason in it.
bool EncodeMp3(const std::string &path, const std::vector<short> &interleaved, int sampleRate,
               int kbps, std::string *error, int channels = 2);
