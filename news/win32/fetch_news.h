#pragma once
// The news fetch over Winsock 1.1, and the one worker thread that runs it off the frame loop.
#include <windows.h>

#include "news/headlines.h"
#include "settings/settings.h"

// A fetch ends within this time whatever the server or the name service does.
constexpr DWORD kFetchLimitMs = 14500;
// How long the shutdown waits for the worker. A one-line fetch notices a stop within about 100 ms;
// a read of the system's HTTP client cannot be cut short, so such a fetch is left to end with the
// process, and every millisecond waited for it is added to the saver's end.
constexpr DWORD kStopWaitMs = 150;

// Where one fetch works: its page buffer (kPageSize bytes), the headline slots (kNewsSlots) and
// their count, and a flag that ends the fetch early when it becomes non-zero (may be null).
struct FetchTarget {
    char* page;
    char (*headlines)[kHeadlineSize];
    int* count;
    const volatile LONG* stop;
};

// One fetch. A source whose file is an https:// URL, or an http:// one whose host field is empty
// or names the URL's own host, goes through the system's HTTP client (news/win32/system_fetch.h);
// every other one is the one-line request: Winsock started (1), a stream socket (2), the host looked up (3), connected to it on
// port 80 or the field's ":port" (4), "GET <file>\n" sent (5), the page received until the peer
// closes, 5 s pass without data, or a chunk holds "</html>" (asking how much is waiting failing:
// 7). The page is then turned into headlines by PageHeadlines (6 when it has none to give).
// Every step waits at most until kFetchLimitMs after the start, and none past a stop: the name
// is looked up on a thread of its own that is left to finish alone when the wait ends.
int FetchNewsInto(const NewsSource& source, const FetchTarget& target);

// The fetch of source index (0 or 1) into its job of news/news_jobs.h, with the shared page
// buffer: what the worker runs for a wanted job.
int FetchNews(int index, NewsSource source);

// Wakes the worker for the wanted jobs, starting it first if it does not run yet.
void RunNewsJobs();

// Stops the worker: a fetch under way ends and the thread is waited for, up to kStopWaitMs; once
// it has ended, a later RunNewsJobs starts a new one. Part of the shutdown.
void StopNewsFetch();
