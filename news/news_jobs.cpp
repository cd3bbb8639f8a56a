// The hand-over of fetch jobs between the overlay and the fetch worker.
#include "news/news_jobs.h"

#include <cstring>

NewsJob newsJobs[kNewsSources];

namespace {
int nextOrder = 0;
}

void ResetNewsJobs() {
    for (NewsJob& job : newsJobs) {
        job.phase.store(kJobIdle);
        job.order = 0;
        job.result = 0;
        job.count = 0;
    }
    nextOrder = 0;
}

void WantNewsJob(int source) {
    NewsJob& job = newsJobs[source];
    std::memcpy(job.headlines, NewsHeadlines[source], sizeof job.headlines);
    job.source = config.NI[source];
    job.count = 0;
    job.result = 0;
    job.order = nextOrder++;
    job.phase.store(kJobWanted, std::memory_order_release);
}

int TakeNewsJob() {
    int best = -1;
    for (int s = 0; s < kNewsSources; ++s) {
        if (newsJobs[s].phase.load(std::memory_order_acquire) != kJobWanted) continue;
        if (best < 0 || newsJobs[s].order < newsJobs[best].order) best = s;
    }
    if (best >= 0) newsJobs[best].phase.store(kJobRunning, std::memory_order_release);
    return best;
}

void FinishNewsJob(int source, int result) {
    newsJobs[source].result = result;
    newsJobs[source].phase.store(kJobDone, std::memory_order_release);
}
