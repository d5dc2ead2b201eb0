#include "platform/qt_music_player.h"

#include "data/constants.h"

#include <QAudioOutput>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMediaPlayer>
#include <QPointer>
#include <QTimer>
#include <QUrl>

#include <utility>

namespace chimewell {

namespace {

// The state of the one tune of a player. Signals of a media player are taken only while their generation is
// the current one, so a late signal of a tune already let go can never end the next one.
class MusicSession : public QObject {
public:
    MusicSession(QObject* owner, std::chrono::milliseconds stallLimit) : QObject(owner), StallLimit(stallLimit) {
        Watchdog.setInterval(1000);
        connect(&Watchdog, &QTimer::timeout, this, [this] {
            if (Player && SinceProgress.elapsed() > StallLimit.count()) {
                End(Generation, MusicEnd::Failed);
            }
        });
    }

    ~MusicSession() override { Release(); }

    bool Play(const QString& path, MusicEndHandler onEnd) {
        Release();
        Player = new QMediaPlayer(this);
        Player->setAudioOutput(new QAudioOutput(Player));
        if (!Player->isAvailable()) {
            Release();
            return false;
        }
        const unsigned generation = Generation;
        // Queued, so that a failure the media player reports while still inside setSource() or play() reaches
        // the handler only after Play has returned.
        connect(
            Player, &QMediaPlayer::errorOccurred, this,
            [this, generation](QMediaPlayer::Error error) {
                if (error != QMediaPlayer::NoError) {
                    End(generation, MusicEnd::Failed);
                }
            },
            Qt::QueuedConnection);
        connect(
            Player, &QMediaPlayer::mediaStatusChanged, this,
            [this, generation](QMediaPlayer::MediaStatus status) {
                if (status == QMediaPlayer::EndOfMedia) {
                    End(generation, MusicEnd::Finished);
                } else if (status == QMediaPlayer::InvalidMedia) {
                    End(generation, MusicEnd::Failed);
                }
            },
            Qt::QueuedConnection);
        connect(Player, &QMediaPlayer::positionChanged, this, [this](qint64 position) {
            if (position != LastPosition) {
                LastPosition = position;
                SinceProgress.restart();
            }
        });
        OnEnd = std::move(onEnd);
        LastPosition = -1;
        SinceProgress.start();
        Watchdog.start();
        Player->setSource(QUrl::fromLocalFile(path));
        Player->play();
        return true;
    }

    void Stop() { Release(); }

private:
    void End(unsigned generation, MusicEnd how) {
        if (generation != Generation || !Player) {
            return;
        }
        // The handler may start the next tune at once, so this one is gone before it runs.
        MusicEndHandler handler = std::move(OnEnd);
        Release();
        if (handler) {
            handler(how);
        }
    }

    // Stops the tune and gives back the file and the sound device, whatever state the player is in.
    void Release() {
        ++Generation;
        Watchdog.stop();
        OnEnd = nullptr;
        // Deleting the player tears its pipeline down at once; stop() first would wait for a state change
        // that a pipeline in trouble takes a second or more to give up on. No signal of the player is being
        // delivered here: those that end a tune arrive queued.
        if (QMediaPlayer* player = std::exchange(Player, nullptr)) {
            player->disconnect(this);
            delete player;
        }
    }

    const std::chrono::milliseconds StallLimit;
    QMediaPlayer* Player = nullptr;
    QTimer Watchdog;
    QElapsedTimer SinceProgress;
    qint64 LastPosition = -1;
    unsigned Generation = 0;
    MusicEndHandler OnEnd;
};

} // namespace

MusicPlayer QtMusicPlayer(QObject* owner, std::chrono::milliseconds stallLimit) {
    // The FFmpeg backend of this Qt version crashes without a sound device and cannot play MIDI.
    if (qEnvironmentVariableIsEmpty("QT_MEDIA_BACKEND")) {
        qputenv("QT_MEDIA_BACKEND", "gstreamer");
    }
    QPointer<MusicSession> session = new MusicSession(owner ? owner : QCoreApplication::instance(), stallLimit);
    return MusicPlayer{
        .Play =
            [session](const std::string& path, MusicEndHandler onEnd) {
                return session && session->Play(QString::fromStdString(path), std::move(onEnd));
            },
        .Stop =
            [session] {
                if (session) {
                    session->Stop();
                }
            },
        .FallbackSound = std::string(DefaultAlarmSoundFile),
    };
}

} // namespace chimewell
