// The polling countdown; see parallel_poll.h. Portable, engine thread only.
//
// A read is due when the countdown has run out. When it starts, the next one is due
// one interval after this one was due (not after this poll), so polls that are late
// by a few milliseconds do not make the reads drift; if the poll came more than a
// whole interval late, the reads missed meanwhile are not made up.
#include "ports/parallel/parallel_poll.h"

std::uint32_t parallel_interval(std::uint32_t interval)
{
    return interval < PARALLEL_MIN_INTERVAL ? PARALLEL_MIN_INTERVAL : interval;
}

bool parallel_poll_step(ParallelPoll* poll, std::uint32_t elapsed, bool read_pending)
{
    if (!poll) return false;
    if (!poll->bidirectional) {
        poll->poll_countdown = 0;
        return false;
    }
    if (poll->poll_countdown > elapsed) {
        poll->poll_countdown -= elapsed;
        return false;
    }
    if (read_pending) {
        // Still waiting for the device: the next poll after it has answered reads at once.
        poll->poll_countdown = 0;
        return false;
    }
    const std::uint32_t interval = parallel_interval(poll->receive_interval);
    const std::uint32_t overdue = elapsed - poll->poll_countdown;
    poll->poll_countdown = interval - overdue % interval;
    return true;
}
