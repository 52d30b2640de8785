// Thread helpers on POSIX systems.
#ifndef _WIN32

#include <pthread.h>
#include <sched.h>
#include <time.h>

#include <cerrno>

#if defined(__linux__)
#include <sys/syscall.h>
#include <unistd.h>
#elif defined(__APPLE__)
#include <pthread.h>
#else
#include <functional>
#include <thread>
#endif

#include "platform/threads.h"

namespace md::platform {

void Sleep(uint32_t milliseconds) {
    if (milliseconds == 0) {
        ::sched_yield();
        return;
    }
    struct timespec remaining {};
    remaining.tv_sec = static_cast<time_t>(milliseconds / 1000);
    remaining.tv_nsec = static_cast<long>(milliseconds % 1000) * 1'000'000L;
    // A signal cuts nanosleep short; carry on with what is left.
    while (::nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
    }
}

uint64_t CurrentThreadId() {
#if defined(__linux__)
    return static_cast<uint64_t>(::syscall(SYS_gettid));
#elif defined(__APPLE__)
    uint64_t id = 0;
    ::pthread_threadid_np(nullptr, &id);
    return id;
#else
    return static_cast<uint64_t>(std::hash<std::thread::id>{}(std::this_thread::get_id()));
#endif
}

namespace {

void* RunWork(void* arg) {
    (*static_cast<const std::function<void()>*>(arg))();
    return nullptr;
}

}  // namespace

bool RunWithStack(size_t stack_bytes, const std::function<void()>& work) {
    pthread_attr_t attr;
    if (::pthread_attr_init(&attr) != 0) return false;
    bool ok = ::pthread_attr_setstacksize(&attr, stack_bytes) == 0;
    pthread_t thread{};
    ok = ok &&
         ::pthread_create(&thread, &attr, &RunWork, const_cast<std::function<void()>*>(&work)) == 0;
    ::pthread_attr_destroy(&attr);
    if (ok) ::pthread_join(thread, nullptr);
    return ok;
}

}  // namespace md::platform

#endif  // _WIN32
