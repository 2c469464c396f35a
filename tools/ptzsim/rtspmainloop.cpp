#include "rtspmainloop.h"

#include <glib.h>
#include <gst/gst.h>

namespace {
struct Invocation
{
    const std::function<void()> *work = nullptr;
    std::mutex mutex;
    std::condition_variable doneCondition;
    bool done = false;
};

gboolean runInvocation(gpointer data)
{
    auto *invocation = static_cast<Invocation *>(data);
    (*invocation->work)();
    {
        std::lock_guard<std::mutex> lock(invocation->mutex);
        invocation->done = true;
    }
    invocation->doneCondition.notify_all();
    return G_SOURCE_REMOVE;
}
} // namespace

std::shared_ptr<RtspMainLoop> RtspMainLoop::acquire()
{
    static std::mutex mutex;
    static std::weak_ptr<RtspMainLoop> shared;
    std::lock_guard<std::mutex> lock(mutex);
    std::shared_ptr<RtspMainLoop> loop = shared.lock();
    if (!loop) {
        loop.reset(new RtspMainLoop);
        shared = loop;
    }
    return loop;
}

RtspMainLoop::RtspMainLoop()
{
    gst_init(nullptr, nullptr);
    m_context = g_main_context_new();
    m_loop = g_main_loop_new(m_context, FALSE);
    m_thread = std::thread([this] {
        g_main_context_push_thread_default(m_context);
        // Report "running" from inside the loop, so invokeAndWait never races the loop's start.
        GSource *source = g_idle_source_new();
        g_source_set_callback(
            source,
            [](gpointer data) -> gboolean {
                auto *self = static_cast<RtspMainLoop *>(data);
                {
                    std::lock_guard<std::mutex> lock(self->m_startMutex);
                    self->m_running = true;
                }
                self->m_started.notify_all();
                return G_SOURCE_REMOVE;
            },
            this, nullptr);
        g_source_attach(source, m_context);
        g_source_unref(source);
        g_main_loop_run(m_loop);
        g_main_context_pop_thread_default(m_context);
    });
    std::unique_lock<std::mutex> lock(m_startMutex);
    m_started.wait(lock, [this] { return m_running; });
}

RtspMainLoop::~RtspMainLoop()
{
    g_main_loop_quit(m_loop);
    if (m_thread.joinable())
        m_thread.join();
    g_main_loop_unref(m_loop);
    g_main_context_unref(m_context);
}

void RtspMainLoop::invokeAndWait(const std::function<void()> &work)
{
    if (std::this_thread::get_id() == m_thread.get_id()) {
        work();
        return;
    }
    Invocation invocation;
    invocation.work = &work;
    GSource *source = g_idle_source_new();
    g_source_set_priority(source, G_PRIORITY_HIGH);
    g_source_set_callback(source, runInvocation, &invocation, nullptr);
    g_source_attach(source, m_context);
    g_source_unref(source);
    std::unique_lock<std::mutex> lock(invocation.mutex);
    invocation.doneCondition.wait(lock, [&invocation] { return invocation.done; });
}
