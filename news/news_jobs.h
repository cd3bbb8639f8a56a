#pragma once
// The hand-over between the overlay, which decides when a source is fetched and shows what came
// back, and the fetch worker, which does the network work off the frame loop.
//
// A job goes Idle -> Wanted (overlay) -> Running (worker) -> Done (worker) -> Idle (overlay).
// Each side touches the job's fields only in the phases it owns; the phase is an atomic whose
// stores release and whose loads acquire, so the fields written before a change of phase are seen
// by the other side after it.

#include <atomic>

#include "news/news_store.h"
#include "settings/settings.h"

enum NewsJobPhase { kJobIdle, kJobWanted, kJobRunning, kJobDone };

struct NewsJob {
    std::atomic<int> phase;
    NewsSource source;  // the source's fields as they were when the fetch became wanted
    int order;          // Wanted jobs run in ascending order
    int result;         // the fetch's result code, once Done
    int count;          // headlines kept, once Done
    // Starts as a copy of the source's stored headlines, so that the slots the fetch does not
    // write keep what they held, as they would in the store itself.
    char headlines[kNewsSlots][kHeadlineSize];
};

extern NewsJob newsJobs[kNewsSources];

// Both jobs Idle; tests call it between cases.
void ResetNewsJobs();

// Overlay side: the source's job becomes Wanted, with the source's settings and the store's
// headlines copied in.
void WantNewsJob(int source);

// Worker side: the Wanted job with the lowest order becomes Running; its source, or -1.
int TakeNewsJob();

// Worker side: a Running job becomes Done with its result (count and headlines filled before).
void FinishNewsJob(int source, int result);
