#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

typedef struct _GMainContext GMainContext;
typedef struct _GMainLoop GMainLoop;

// The GLib loop every RTSP server of the simulator runs on: a thread of its own, so a client's stream
// set-up never waits for the simulator's Qt loop (which draws the pictures) and the other way round.
// Shared by all servers and ended when the last one lets go of it.
class RtspMainLoop
{
public:
    static std::shared_ptr<RtspMainLoop> acquire();
    ~RtspMainLoop();

    RtspMainLoop(const RtspMainLoop &) = delete;
    RtspMainLoop &operator=(const RtspMainLoop &) = delete;

    GMainContext *context() const { return m_context; }
    // Runs work on the loop's thread and returns when it has run.
    void invokeAndWait(const std::function<void()> &work);

private:
    RtspMainLoop();

    GMainContext *m_context = nullptr;
    GMainLoop *m_loop = nullptr;
    std::thread m_thread;
    std::mutex m_startMutex;
    std::condition_variable m_started;
    bool m_running = false;
};
