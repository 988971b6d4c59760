#pragma once

#include <QString>

namespace zant {

// The splash music, driven by the four commands of a media player. Playing is best effort:
// without a sound device, a sound font or the file, every command does nothing, silently.
class MusicPlayer
{
public:
    virtual ~MusicPlayer() = default;
    virtual void open(const QString& midiFile) = 0;
    virtual void play() = 0;  // from the start after open, from where it stopped after pause
    virtual void pause() = 0; // keeps the position
    virtual void close() = 0;
};

} // namespace zant
