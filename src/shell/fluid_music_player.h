#pragma once

#include "shell/music_player.h"

#include <QStringList>

#include <memory>

namespace zant {

// The splash music played by FluidSynth with a General MIDI sound font. The tune loops until it
// is paused or closed. Anything missing (sound font, file, sound device) leaves the player
// silent: every command then does nothing and nothing is reported.
class FluidMusicPlayer final : public MusicPlayer
{
public:
    // `soundFonts` are tried in order; the first one that exists is used. When `renderFile` is
    // given the music goes to that raw file (16-bit stereo, 44.1 kHz) in real time instead of
    // to the sound device.
    explicit FluidMusicPlayer(QStringList soundFonts = defaultSoundFonts(),
                              QString renderFile = QString());
    ~FluidMusicPlayer() override;
    FluidMusicPlayer(const FluidMusicPlayer&) = delete;
    FluidMusicPlayer& operator=(const FluidMusicPlayer&) = delete;

    void open(const QString& midiFile) override;
    void play() override;
    void pause() override;
    void close() override;

    // A tune is loaded and reaches a sound device (or the render file).
    bool isOpen() const { return m_engine != nullptr; }
    bool isPlaying() const;
    // Position in MIDI ticks from the start of the tune; 0 when nothing is open.
    int position() const;

    // The library's own default sound font, then the General MIDI ones Debian installs.
    static QStringList defaultSoundFonts();

private:
    struct Engine;

    QString firstSoundFont() const;

    QStringList m_soundFonts;
    QString m_renderFile;
    std::unique_ptr<Engine> m_engine;
};

} // namespace zant
