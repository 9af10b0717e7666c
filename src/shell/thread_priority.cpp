#include "shell/thread_priority.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

namespace bivora {

void LowerThreadToIdlePriority()
{
    sched_param param {};
    if (::pthread_setschedparam(::pthread_self(), SCHED_IDLE, &param) != 0)
        ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 19);
}

} // namespace bivora
