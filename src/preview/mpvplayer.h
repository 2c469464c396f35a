#pragma once

#include <QObject>
#include <QString>
#include <QWidget>

struct mpv_handle;

// One libmpv player drawing into the native window of a widget: muted, with a short network buffer
// for live camera streams. The mpv handle exists only between play() and stop(). Opening the stream
// happens in the background; its outcome arrives as playing(), failed() or ended(), delivered on the
// GUI thread (mpv's wake-up callback only posts to the event loop).
class MpvPlayer : public QObject
{
    Q_OBJECT

public:
    explicit MpvPlayer(QObject *parent = nullptr);
    ~MpvPlayer() override;

    // Starts playing location into target's native window (created here when needed). False, with
    // errorString(), when mpv cannot be set up or refuses the location; the player is then stopped.
    bool play(const QString &location, QWidget *target);
    // Stops and destroys the player; it no longer draws into the target when this returns.
    void stop();

    bool isActive() const { return m_handle != nullptr; }
    // A video frame has been shown since play().
    bool hasPicture() const { return m_hasPicture; }
    QString location() const { return m_location; }
    QString errorString() const { return m_errorString; }

    // Saves the current video frame (as the stream delivers it, without overlays) to path; the format
    // follows the file's suffix. True only when the file exists afterwards; an existing file at path is
    // replaced only on success.
    bool saveFrame(const QString &path);

Q_SIGNALS:
    // The first frame is on screen.
    void playing();
    // The location could not be opened or the stream failed; the player stays idle until stopped.
    void failed(const QString &reason);
    // The stream ended after it had played (the camera closed it).
    void ended();

private:
    static void onWakeup(void *context);
    void processEvents();
    bool setOption(const char *name, const QString &value, bool required);

    mpv_handle *m_handle = nullptr;
    QString m_location;
    QString m_errorString;
    bool m_hasPicture = false;
    bool m_finished = false;
};
