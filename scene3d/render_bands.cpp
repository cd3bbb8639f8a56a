#include "scene3d/render_bands.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace ka3D {

namespace {

constexpr int kCameras = 5;          // 1..4 used
constexpr int kMaxThreads = 16;      // more cores than this share the bands
constexpr int kBandsPerThread = 4;   // so that a thread done early takes another band
constexpr int kBandBytes = 1 << 20;  // colour and depth of a band

// The picture a camera last drew, and where.
struct LastPicture {
    bool valid = false;
    uint8_t* color = nullptr;
    uint8_t* depth = nullptr;
    int colorPitch = 0, depthPitch = 0, bytesPerPixel = 0, kernel = 0;
    uint32_t mask[3] = {0, 0, 0};
    PixelBox clip;
    uint32_t background = 0;
    PixelBox covered;

    bool SameBuffers(const RasterTarget& t, uint32_t pixel) const {
        return valid && color == t.color && depth == t.depth && colorPitch == t.colorPitch &&
               depthPitch == t.depthPitch && bytesPerPixel == t.bytesPerPixel &&
               kernel == t.kernel && mask[0] == t.mask[0] && mask[1] == t.mask[1] &&
               mask[2] == t.mask[2] && clip.x0 == t.clipX0 && clip.y0 == t.clipY0 &&
               clip.x1 == t.clipX1 && clip.y1 == t.clipY1 && background == pixel;
    }
};

LastPicture lastPictures[kCameras];

// One picture's work: bands of `bandRows` rows from the clip rectangle's top.
struct Job {
    const RasterTarget* target;
    const DrawList* list;  // binned into the bands
    PixelBox clear;
    uint32_t background;
    int bandRows, bands;
};

void DrawOneBand(const Job& job, int band) {
    RasterTarget t = *job.target;
    t.bandY0 = t.clipY0 + band * job.bandRows;
    t.bandY1 = std::min(t.bandY0 + job.bandRows, t.clipY1);
    if (!job.clear.Empty()) {
        RasterTarget c = t;
        c.clipX0 = job.clear.x0;
        c.clipX1 = job.clear.x1;
        c.clipY0 = std::max(job.clear.y0, t.bandY0);
        c.clipY1 = std::min(job.clear.y1, t.bandY1);
        ClearClipRect(c, job.background);
    }
    DrawBand(t, *job.list, band);
}

// Worker threads waiting for pictures. Each picture is a generation: the workers and the
// calling thread take bands from a shared counter until none is left.
class Workers {
  public:
    ~Workers() { Stop(); }

    void Run(const Job& job, int threads) {
        if (threads != wanted_) {
            Stop();
            Start(threads - 1);
            wanted_ = threads;
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            job_ = &job;
            nextBand_.store(0);
            busy_ = static_cast<int>(threads_.size());
            ++generation_;
        }
        wake_.notify_all();
        TakeBands(job);
        std::unique_lock<std::mutex> lock(mutex_);
        done_.wait(lock, [&] { return busy_ == 0; });
        job_ = nullptr;
    }

    void Stop() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        for (std::thread& t : threads_) t.join();
        threads_.clear();
        stopping_ = false;
        wanted_ = 1;
    }

    int Running() const { return static_cast<int>(threads_.size()); }
    long Started() const { return started_; }

  private:
    // Where the system refuses a thread, the bands are shared by those there are (at the
    // least the calling thread), and no other start is tried until the count changes.
    void Start(int count) {
        try {
            threads_.reserve(static_cast<size_t>(count));
            for (int i = 0; i < count; ++i) {
                threads_.emplace_back([this, seen = generation_] { Loop(seen); });
                ++started_;
            }
        } catch (const std::exception&) {
        }
    }

    void TakeBands(const Job& job) {
        for (int band = nextBand_.fetch_add(1); band < job.bands; band = nextBand_.fetch_add(1)) {
            DrawOneBand(job, band);
        }
    }

    // `seen`: the last picture before this thread began; it waits for the next one.
    void Loop(unsigned long seen) {
        for (;;) {
            const Job* job;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                wake_.wait(lock, [&] { return stopping_ || generation_ != seen; });
                if (stopping_) return;
                seen = generation_;
                job = job_;
            }
            TakeBands(*job);
            std::lock_guard<std::mutex> lock(mutex_);
            if (--busy_ == 0) done_.notify_one();
        }
    }

    std::vector<std::thread> threads_;
    std::mutex mutex_;
    std::condition_variable wake_, done_;
    const Job* job_ = nullptr;
    std::atomic<int> nextBand_{0};
    int busy_ = 0;
    unsigned long generation_ = 0;
    bool stopping_ = false;
    long started_ = 0;
    int wanted_ = 1;  // the thread count the workers were started for
};

Workers workers;
int requestedThreads = 0;
bool keepPictures = false;

int ThreadCount() {
    if (requestedThreads > 0) return std::min(requestedThreads, kMaxThreads);
    const int cores = static_cast<int>(std::thread::hardware_concurrency());
    return std::clamp(cores, 1, kMaxThreads);
}

}  // namespace

void SetRenderThreads(int count) {
    requestedThreads = std::max(count, 0);
}

int RenderWorkersRunning() {
    return workers.Running();
}

long RenderWorkersStarted() {
    return workers.Started();
}

void StopRenderWorkers() {
    workers.Stop();
}

void KeepPictures(bool keep) {
    keepPictures = keep;
}

void ForgetLastPictures() {
    for (LastPicture& p : lastPictures) p.valid = false;
}

void DrawPicture(int camera, const RasterTarget& t, uint32_t background, DrawList& list) {
    const PixelBox clip{t.clipX0, t.clipY0, t.clipX1, t.clipY1};
    if (clip.Empty() || camera < 0 || camera >= kCameras) return;
    LastPicture& last = lastPictures[camera];
    Job job;
    job.target = &t;
    job.list = &list;
    job.background = background;
    const bool kept = keepPictures && last.SameBuffers(t, background);
    job.clear = kept ? Union(last.covered, list.Covered()) : clip;

    // Bands small enough that a band's clear is still in the core's cache when it is drawn,
    // and on several threads enough of them that every thread gets several. Fewer bands set
    // up fewer polygons twice.
    const int rows = clip.y1 - clip.y0, threads = ThreadCount();
    const int rowBytes = (clip.x1 - clip.x0) * (t.bytesPerPixel + 2);
    const int cached = std::max(kMinBandRows, kBandBytes / std::max(rowBytes, 1));
    int bands = (rows + cached - 1) / cached;
    if (threads > 1) bands = std::max(bands, threads * kBandsPerThread);
    bands = std::max(1, std::min(bands, rows / kMinBandRows));
    job.bandRows = (rows + bands - 1) / bands;
    job.bands = (rows + job.bandRows - 1) / job.bandRows;
    list.Bin(clip.y0, job.bandRows, job.bands);
    if (threads == 1 && workers.Running() > 0) workers.Stop();
    if (threads == 1 || job.bands == 1) {
        for (int band = 0; band < job.bands; ++band) DrawOneBand(job, band);
    } else {
        workers.Run(job, threads);
    }

    last.valid = true;
    last.color = t.color;
    last.depth = t.depth;
    last.colorPitch = t.colorPitch;
    last.depthPitch = t.depthPitch;
    last.bytesPerPixel = t.bytesPerPixel;
    last.kernel = t.kernel;
    for (int c = 0; c < 3; ++c) last.mask[c] = t.mask[c];
    last.clip = clip;
    last.background = background;
    last.covered = list.Covered();
}

}  // namespace ka3D
