#include "shell/fluid_music_player.h"
#include "shell/resources.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

using namespace zant;

namespace {

QString tune()
{
    return resourceFile(QStringLiteral("Internet.mid"));
}

QString soundFont()
{
    for (const QString& font : FluidMusicPlayer::defaultSoundFonts()) {
        if (QFileInfo::exists(font))
            return font;
    }
    return QString();
}

// Runs `body` with the process's stderr going to a file, and returns what was written there.
template <typename Body> QByteArray captureStderr(const QString& file, Body body)
{
    std::fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    FILE* sink = std::fopen(QFile::encodeName(file).constData(), "w");
    dup2(fileno(sink), STDERR_FILENO);
    body();
    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    ::close(saved);
    std::fclose(sink);
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray be(quint32 value, int bytes)
{
    QByteArray out;
    for (int i = bytes - 1; i >= 0; --i)
        out += char((value >> (8 * i)) & 0xFF);
    return out;
}

QByteArray chunk(const QByteArray& events)
{
    return "MTrk" + be(events.size(), 4) + events;
}

// A standard MIDI file with the given header and tracks, then `extra` bytes.
QByteArray smf(int format, int tracks, int division, const QList<QByteArray>& trackEvents,
               const QByteArray& extra = QByteArray())
{
    QByteArray out = "MThd" + be(6, 4) + be(format, 2) + be(tracks, 2) + be(division, 2);
    for (const QByteArray& events : trackEvents)
        out += chunk(events);
    return out + extra;
}

// Loudest 16-bit sample of a raw render.
int peak(const QByteArray& raw)
{
    int loudest = 0;
    for (qsizetype i = 0; i + 1 < raw.size(); i += 2) {
        const auto sample = static_cast<qint16>(static_cast<quint8>(raw[i]) |
                                                (static_cast<quint8>(raw[i + 1]) << 8));
        loudest = std::max(loudest, std::abs(int(sample)));
    }
    return loudest;
}

} // namespace

class TestFluidMusicPlayer final : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString renderFile() const { return m_dir.filePath(QStringLiteral("render.raw")); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY2(QFileInfo::exists(tune()), qPrintable(tune()));
        if (soundFont().isEmpty())
            QSKIP("No General MIDI sound font installed");
    }

    void cleanup() { QFile::remove(renderFile()); }

    void silentWhenSomethingIsMissing_data()
    {
        QTest::addColumn<QStringList>("soundFonts");
        QTest::addColumn<QString>("file");
        const QString textFile = m_dir.filePath(QStringLiteral("not-midi.mid"));
        QFile f(textFile);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("Questo non è un file MIDI.\n");
        f.close();
        QTest::newRow("missing file")
            << QStringList{soundFont()} << m_dir.filePath(QStringLiteral("nowhere/Internet.mid"));
        QTest::newRow("no file name") << QStringList{soundFont()} << QString();
        QTest::newRow("not a MIDI file") << QStringList{soundFont()} << textFile;
        QTest::newRow("missing sound font")
            << QStringList{m_dir.filePath(QStringLiteral("none.sf2"))} << tune();
        QTest::newRow("sound font that is a MIDI file") << QStringList{tune()} << tune();
        QTest::newRow("no sound font at all") << QStringList{} << tune();
    }

    void silentWhenSomethingIsMissing()
    {
        QFETCH(QStringList, soundFonts);
        QFETCH(QString, file);
        // Rendering to a file, so a missing sound device is not what keeps it silent.
        FluidMusicPlayer player(soundFonts, renderFile());
        player.open(file);
        QVERIFY(!player.isOpen());
        player.play();
        QVERIFY(!player.isPlaying());
        QCOMPARE(player.position(), 0);
        player.pause();
        player.play();
        player.close();
        QVERIFY(!QFileInfo::exists(renderFile()));
    }

    void damagedMidiFileIsRefused_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("playable");
        const QByteArray note("\x00\x90\x3C\x40\x83\x60\x80\x3C\x00", 9);
        const QByteArray end("\x00\xFF\x2F\x00", 4);
        QTest::newRow("well-formed, one note") << smf(0, 1, 480, {note + end}) << true;
        QTest::newRow("running status")
            << smf(0, 1, 480, {note + QByteArray("\x10\x3E\x40", 3) + end}) << true;
        QTest::newRow("sysex") << smf(0, 1, 480,
                                      {QByteArray("\x00\xF0\x02\x7E\xF7", 5) + note + end})
                               << true;
        QTest::newRow("bytes after the end of the track")
            << smf(0, 1, 480, {note + end + QByteArray("\x00\x3C", 2)}) << true;
        // FluidSynth reads the next four bytes as another length, and so on to the end.
        QTest::newRow("unknown chunk before the track")
            << smf(0, 1, 480, {}, QByteArray("XFIH\0\0\0\2ab", 10) + chunk(note + end)) << false;
        QTest::newRow("sysex continuation")
            << smf(0, 1, 480, {QByteArray("\x00\xF7\x01\x7E", 4) + end}) << false;
        QTest::newRow("header only") << smf(0, 1, 480, {}) << false;
        QTest::newRow("fewer tracks than announced") << smf(1, 3, 480, {note + end}) << false;
        QTest::newRow("track longer than the file")
            << smf(0, 1, 480, {}, QByteArray("MTrk\0\0\1\0", 8) + note) << false;
        QTest::newRow("event cut short")
            << smf(0, 1, 480, {QByteArray("\x00\x90\x3C", 3)}) << false;
        QTest::newRow("running status with nothing to repeat")
            << smf(0, 1, 480, {QByteArray("\x00\x3C\x40", 3) + end}) << false;
        QTest::newRow("tempo of the wrong length")
            << smf(0, 1, 480, {QByteArray("\x00\xFF\x51\x02\x07\xA1", 6) + note + end}) << false;
        QTest::newRow("time code division") << smf(0, 1, 0xE728, {note + end}) << false;
        QTest::newRow("zero division") << smf(0, 1, 0, {note + end}) << false;
        QTest::newRow("format 2") << smf(2, 1, 480, {note + end}) << false;
        QTest::newRow("header cut short") << QByteArray("MThd\0\0\0\6\0\1", 10) << false;
    }

    // A damaged file that FluidSynth accepted would make the looping player retry it for ever
    // and `close` wait for ever.
    void damagedMidiFileIsRefused()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, playable);
        const QString file = m_dir.filePath(QStringLiteral("tune.mid"));
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
        f.close();
        FluidMusicPlayer player(FluidMusicPlayer::defaultSoundFonts(), renderFile());
        player.open(file);
        QCOMPARE(player.isOpen(), playable);
        player.play();
        QTest::qWait(100);
        player.pause();
        player.close();
    }

    void laterSoundFontIsUsedWhenTheFirstIsMissing()
    {
        FluidMusicPlayer player({m_dir.filePath(QStringLiteral("none.sf2")), soundFont()},
                                renderFile());
        player.open(tune());
        QVERIFY(player.isOpen());
    }

    void commandsInAnyOrder_data()
    {
        QTest::addColumn<QString>("commands");
        QTest::addColumn<bool>("open");
        QTest::addColumn<bool>("playing");
        QTest::newRow("play before open") << "play pause play" << false << false;
        QTest::newRow("close before open") << "close close" << false << false;
        QTest::newRow("open only") << "open" << true << false;
        QTest::newRow("open and play") << "open play" << true << true;
        QTest::newRow("pause before play") << "open pause" << true << false;
        QTest::newRow("play twice") << "open play play" << true << true;
        QTest::newRow("pause twice") << "open play pause pause" << true << false;
        QTest::newRow("resume") << "open play pause play" << true << true;
        QTest::newRow("play after close") << "open play close play pause" << false << false;
        QTest::newRow("close twice") << "open play close close" << false << false;
        QTest::newRow("open while playing") << "open play open" << true << false;
        QTest::newRow("open again and play") << "open play open play" << true << true;
        QTest::newRow("reopen after close") << "open close open play" << true << true;
    }

    void commandsInAnyOrder()
    {
        QFETCH(QString, commands);
        QFETCH(bool, open);
        QFETCH(bool, playing);
        FluidMusicPlayer player(FluidMusicPlayer::defaultSoundFonts(), renderFile());
        for (const QString& command : commands.split(QLatin1Char(' '))) {
            if (command == QStringLiteral("open"))
                player.open(tune());
            else if (command == QStringLiteral("play"))
                player.play();
            else if (command == QStringLiteral("pause"))
                player.pause();
            else
                player.close();
        }
        QCOMPARE(player.isOpen(), open);
        QCOMPARE(player.isPlaying(), playing);
    }

    void pauseKeepsThePositionAndPlayResumes()
    {
        QByteArray raw;
        {
            FluidMusicPlayer player(FluidMusicPlayer::defaultSoundFonts(), renderFile());
            player.open(tune());
            QVERIFY(player.isOpen());
            QCOMPARE(player.position(), 0);
            player.play();
            // Half a second is two beats of the tune.
            QTRY_VERIFY_WITH_TIMEOUT(player.position() > 480, 5000);

            player.pause();
            QVERIFY(!player.isPlaying());
            const int stoppedAt = player.position();
            QTest::qWait(300);
            QCOMPARE(player.position(), stoppedAt);

            player.play();
            QVERIFY(player.isPlaying());
            // The first move after resuming goes on from there rather than from the start.
            QTRY_VERIFY_WITH_TIMEOUT(player.position() != stoppedAt, 5000);
            QVERIFY2(
                player.position() > stoppedAt,
                qPrintable(QStringLiteral("%1 after %2").arg(player.position()).arg(stoppedAt)));
            player.close();
            QCOMPARE(player.position(), 0);
        }
        QFile f(renderFile());
        QVERIFY(f.open(QIODevice::ReadOnly));
        raw = f.readAll();
        // The tune was heard: half a second of 16-bit stereo at least, and not silence.
        QVERIFY2(raw.size() > 44100 * 2, qPrintable(QString::number(raw.size())));
        QVERIFY2(peak(raw) > 1000, qPrintable(QString::number(peak(raw))));
    }

    void soundDeviceOrNotEveryCommandIsSafeAndQuiet()
    {
        // On a machine without a sound device (a build server) this plays nothing; with one it
        // plays briefly. Either way FluidSynth says nothing on stderr.
        const QByteArray said = captureStderr(m_dir.filePath(QStringLiteral("stderr.txt")), [] {
            FluidMusicPlayer player;
            player.open(tune());
            player.play();
            player.pause();
            player.play();
            player.close();
            player.play();
            player.open(QStringLiteral("/nonexistent/Internet.mid"));
            player.pause();
            FluidMusicPlayer noFont({QStringLiteral("/nonexistent.sf2")});
            noFont.open(tune());
            noFont.play();
        });
        QVERIFY2(!said.contains("fluidsynth"), said.constData());
    }
};

QTEST_MAIN(TestFluidMusicPlayer)
#include "test_fluid_music_player.moc"
