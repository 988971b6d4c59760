#include "shell/fluid_music_player.h"

#include <QFile>
#include <QFileInfo>

#include <fluidsynth.h>

#include <mutex>

namespace zant {

namespace {

// FluidSynth writes its errors to stderr; the splash has nothing to tell the user about sound.
void silenceLibraryLog()
{
    static std::once_flag once;
    std::call_once(once, [] {
        for (int level = 0; level < LAST_LOG_LEVEL; ++level)
            fluid_set_log_function(level, nullptr, nullptr);
    });
}

// Audio drivers to try, in order. PulseAudio first because it also reaches PipeWire and leaves
// the card free for other programs; ALSA only where a card exists, since without one libasound
// fills stderr with its own complaints. Jack is left out: it may try to start a server.
QStringList soundDeviceDrivers()
{
#if defined(Q_OS_LINUX)
    QStringList drivers{QStringLiteral("pulseaudio")};
    if (QFileInfo::exists(QStringLiteral("/dev/snd")))
        drivers << QStringLiteral("alsa");
    return drivers;
#else
    return {QString()}; // the library's default for the platform
#endif
}

// The player loops by loading the file again and again; a file it cannot read would make it
// retry for ever inside the audio thread, and closing would then wait for ever. So the whole
// file is walked here first, as FluidSynth will read it: header, chunks and every event.
class MidiWalker final
{
public:
    explicit MidiWalker(const QByteArray& data) : m_data(data) {}

    bool isReadable()
    {
        int tracks = 0;
        if (!readHeader(tracks))
            return false;
        qsizetype at = 14;
        for (int track = 0; track < tracks; ++track) {
            if (!readTrack(at))
                return false;
        }
        return true;
    }

private:
    quint8 byte(qsizetype i) const { return static_cast<quint8>(m_data[i]); }
    quint32 u32(qsizetype i) const
    {
        return quint32(byte(i)) << 24 | quint32(byte(i + 1)) << 16 | quint32(byte(i + 2)) << 8 |
               quint32(byte(i + 3));
    }

    bool readHeader(int& tracks) const
    {
        if (m_data.size() < 14 || !m_data.startsWith("MThd") || u32(4) != 6)
            return false;
        const int format = byte(8) << 8 | byte(9);
        tracks = byte(10) << 8 | byte(11);
        const int division = byte(12) << 8 | byte(13);
        // Time code divisions are not played by FluidSynth.
        return format <= 1 && tracks >= 1 && tracks <= 255 && division != 0 && !(division & 0x8000);
    }

    // A variable-length quantity of at most four bytes, ending before `end`.
    bool readLength(qsizetype& at, qsizetype end, quint32& value) const
    {
        value = 0;
        for (int n = 0; n < 4; ++n) {
            if (at >= end)
                return false;
            const quint8 b = byte(at++);
            value = value << 7 | (b & 0x7F);
            if (!(b & 0x80))
                return true;
        }
        return false;
    }

    // One MTrk chunk from `at`; `at` ends past the chunk.
    bool readTrack(qsizetype& at)
    {
        if (at + 8 > m_data.size())
            return false;
        // FluidSynth cannot step over chunks of other kinds.
        if (m_data.mid(at, 4) != "MTrk")
            return false;
        const quint32 length = u32(at + 4);
        at += 8;
        if (length > quint32(m_data.size() - at))
            return false;
        const qsizetype end = at + length;
        m_runningStatus = 0;
        bool endOfTrack = false;
        // What follows the end of a track is never read.
        while (at < end && !endOfTrack) {
            if (!readEvent(at, end, endOfTrack))
                return false;
        }
        at = end;
        return true;
    }

    // One event with its delta time.
    bool readEvent(qsizetype& at, qsizetype end, bool& endOfTrack)
    {
        quint32 delta = 0;
        if (!readLength(at, end, delta) || at >= end)
            return false;
        quint8 status = byte(at);
        if (status & 0x80)
            ++at;
        else if (m_runningStatus)
            status = m_runningStatus;
        else
            return false;
        quint32 skip = 0;
        bool read = false;
        if (status == 0xFF) {
            read = readMeta(at, end, skip, endOfTrack);
        } else if (status == 0xF0) {
            read = readLength(at, end, skip);
            m_runningStatus = 0;
        } else if (status < 0xF0) {
            read = readChannelData(status, at, end, skip);
        }
        if (!read || skip > quint32(end - at))
            return false;
        at += skip;
        return true;
    }

    bool readMeta(qsizetype& at, qsizetype end, quint32& skip, bool& endOfTrack)
    {
        if (at >= end)
            return false;
        const quint8 type = byte(at++);
        if (!readLength(at, end, skip))
            return false;
        // FluidSynth refuses these with any other length.
        const int required = type == 0x2F   ? 0
                             : type == 0x51 ? 3
                             : type == 0x54 ? 5
                             : type == 0x58 ? 4
                             : type == 0x59 ? 2
                                            : -1;
        if (required >= 0 && skip != quint32(required))
            return false;
        endOfTrack = type == 0x2F;
        m_runningStatus = 0;
        return true;
    }

    bool readChannelData(quint8 status, qsizetype at, qsizetype end, quint32& skip)
    {
        m_runningStatus = status;
        skip = (status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0 ? 1 : 2;
        for (quint32 i = 0; i < skip; ++i) {
            if (at + i >= end || (byte(at + i) & 0x80))
                return false;
        }
        return true;
    }

    const QByteArray& m_data;
    quint8 m_runningStatus = 0;
};

bool isReadableMidi(const QByteArray& data)
{
    return MidiWalker(data).isReadable();
}

} // namespace

// Released in the reverse order of creation: the driver stops calling the synth first.
struct FluidMusicPlayer::Engine
{
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;
    fluid_player_t* player = nullptr;
    fluid_audio_driver_t* driver = nullptr;

    Engine() = default;
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;
    ~Engine()
    {
        if (driver)
            delete_fluid_audio_driver(driver);
        if (player)
            delete_fluid_player(player);
        if (synth)
            delete_fluid_synth(synth);
        if (settings)
            delete_fluid_settings(settings);
    }
};

FluidMusicPlayer::FluidMusicPlayer(QStringList soundFonts, QString renderFile)
    : m_soundFonts(std::move(soundFonts)), m_renderFile(std::move(renderFile))
{
    silenceLibraryLog();
}

FluidMusicPlayer::~FluidMusicPlayer() = default;

QStringList FluidMusicPlayer::defaultSoundFonts()
{
    silenceLibraryLog();
    QStringList fonts;
    if (fluid_settings_t* settings = new_fluid_settings()) {
        char* libraryDefault = nullptr;
        if (fluid_settings_dupstr(settings, "synth.default-soundfont", &libraryDefault) ==
                FLUID_OK &&
            libraryDefault) {
            fonts << QFile::decodeName(libraryDefault);
            fluid_free(libraryDefault);
        }
        delete_fluid_settings(settings);
    }
    fonts << QStringLiteral("/usr/share/sounds/sf2/default-GM.sf2")
          << QStringLiteral("/usr/share/sounds/sf2/TimGM6mb.sf2");
    return fonts;
}

QString FluidMusicPlayer::firstSoundFont() const
{
    for (const QString& font : m_soundFonts) {
        if (!font.isEmpty() && fluid_is_soundfont(QFile::encodeName(font).constData()))
            return font;
    }
    return QString();
}

void FluidMusicPlayer::open(const QString& midiFile)
{
    close();
    // A splash tune is small; anything much bigger is not one.
    constexpr qint64 largestTune = 4 * 1024 * 1024;
    QFile file(midiFile);
    if (midiFile.isEmpty() || file.size() > largestTune || !file.open(QIODevice::ReadOnly))
        return;
    const QByteArray tune = file.readAll();
    if (!isReadableMidi(tune))
        return;
    const QString soundFont = firstSoundFont();
    if (soundFont.isEmpty())
        return;

    auto engine = std::make_unique<Engine>();
    engine->settings = new_fluid_settings();
    if (!engine->settings)
        return;
    engine->synth = new_fluid_synth(engine->settings);
    if (!engine->synth ||
        fluid_synth_sfload(engine->synth, QFile::encodeName(soundFont).constData(), 1) ==
            FLUID_FAILED)
        return;
    engine->player = new_fluid_player(engine->synth);
    if (!engine->player || fluid_player_add_mem(engine->player, tune.constData(),
                                                std::size_t(tune.size())) != FLUID_OK)
        return;
    // The tune loops for as long as the splash is in front.
    fluid_player_set_loop(engine->player, -1);

    // The driver starts pulling sound from the synth at once, so it comes last.
    if (!m_renderFile.isEmpty()) {
        fluid_settings_setstr(engine->settings, "audio.driver", "file");
        fluid_settings_setstr(engine->settings, "audio.file.name",
                              QFile::encodeName(m_renderFile).constData());
        fluid_settings_setstr(engine->settings, "audio.file.type", "raw");
        engine->driver = new_fluid_audio_driver(engine->settings, engine->synth);
    } else {
        for (const QString& driver : soundDeviceDrivers()) {
            if (!driver.isEmpty())
                fluid_settings_setstr(engine->settings, "audio.driver",
                                      driver.toLatin1().constData());
            engine->driver = new_fluid_audio_driver(engine->settings, engine->synth);
            if (engine->driver)
                break;
        }
    }
    // No sound device: play nothing.
    if (engine->driver)
        m_engine = std::move(engine);
}

void FluidMusicPlayer::play()
{
    if (m_engine && !isPlaying())
        fluid_player_play(m_engine->player);
}

void FluidMusicPlayer::pause()
{
    if (!isPlaying())
        return;
    // Stopping the player keeps its position; the notes still sounding are released.
    fluid_player_stop(m_engine->player);
    fluid_synth_all_notes_off(m_engine->synth, -1);
}

void FluidMusicPlayer::close()
{
    m_engine.reset();
}

bool FluidMusicPlayer::isPlaying() const
{
    return m_engine && fluid_player_get_status(m_engine->player) == FLUID_PLAYER_PLAYING;
}

int FluidMusicPlayer::position() const
{
    return m_engine ? fluid_player_get_current_tick(m_engine->player) : 0;
}

} // namespace zant
