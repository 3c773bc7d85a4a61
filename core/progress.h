// Progress of long computations, and the user's request to stop them.
//
// A computation calls progress() at each boundary where it could stop (a
// bootstrap run, a pipeline step). The front end shows how far it is and
// may answer that the user wants to stop: the computation then stops at
// that boundary and leaves its results as they were before it started. A
// stop request also ends the input being read (the rest of a command text
// or file is not run); the next input starts afresh.
#pragma once

// `done` of `total` units of `step` (a short name such as "Bootstrap") are
// finished. False once the user asked to stop. On worker threads (see
// tQuietThread) it only reports an earlier request.
bool progress(const char* step, int done, int total);

// Asks the running computation to stop. Safe in a signal handler.
void request_stop();
bool stop_requested();
// Forgets a request: called when a new input from the user starts.
void clear_stop();

// Within its lifetime the steps of this thread report nothing (a stop request
// is still answered): the runs of a bootstrap would otherwise take over the
// bootstrap's own progress display.
class tSilentProgress {
public:
  tSilentProgress();
  ~tSilentProgress();
  tSilentProgress(const tSilentProgress&) = delete;
  tSilentProgress& operator=(const tSilentProgress&) = delete;
};
