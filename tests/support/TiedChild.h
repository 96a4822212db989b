// Children that the tests start (simulators, peers) end with the test process.
#pragma once

#include <signal.h>
#include <sys/prctl.h>
#include <sys/types.h>
#include <unistd.h>

namespace lumavox::test {

// Called in a child right after fork(), before exec: the child is killed when
// the process that started it ends, however it ends (a failed assertion that
// aborts, a crash, a kill), instead of running on unowned. `parent` is the
// starting process's id taken before the fork; a parent already gone by the
// time the tie is made ends the child at once.
inline void tieToStartingProcess(pid_t parent) {
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) ::_exit(127);
}

}  // namespace lumavox::test
