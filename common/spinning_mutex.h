#pragma once
// A mutex for short critical sections that several threads enter thousands of times a
// second: a thread that finds it taken spins a little before it sleeps. With a plain
// mutex the loser sleeps at once and the holder must wake it through the kernel, which
// costs far more than the few microseconds it would have waited; in a virtual machine each
// such wake-up is also an exit to the host. Meets the Lockable requirements, so it works
// with std::lock_guard, std::unique_lock and std::condition_variable_any.

#include <pthread.h>

namespace pw {

class SpinningMutex {
public:
    SpinningMutex() {
        pthread_mutexattr_t attributes;
        pthread_mutexattr_init(&attributes);
        pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_ADAPTIVE_NP);
        pthread_mutex_init(&m_mutex, &attributes);
        pthread_mutexattr_destroy(&attributes);
    }
    ~SpinningMutex() { pthread_mutex_destroy(&m_mutex); }
    SpinningMutex(const SpinningMutex&) = delete;
    SpinningMutex& operator=(const SpinningMutex&) = delete;

    void lock() { pthread_mutex_lock(&m_mutex); }
    bool try_lock() { return pthread_mutex_trylock(&m_mutex) == 0; }
    void unlock() { pthread_mutex_unlock(&m_mutex); }

private:
    pthread_mutex_t m_mutex;
};

} // namespace pw
