// orvane-resize: the resize job from the command line, one job per file, files
// spread over several threads. Each job stays single-threaded.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <getopt.h>
#include <unistd.h>

#include "core/messages.h"
#include "core/paths.h"
#include "core/picture_codec.h"
#include "core/resize_job.h"
#include "core/size_rules.h"

namespace {

constexpr char kUsage[] =
    "usage: orvane-resize (-p PERCENT | -s WIDTHxHEIGHT) [-q QUALITY] [-j JOBS] -o DESTDIR FILE...\n"
    "  -p PERCENT       scale each file by PERCENT of its own size\n"
    "  -s WIDTHxHEIGHT  make every copy WIDTH x HEIGHT pixels\n"
    "  -q QUALITY       JPEG quality 0 to 100 (default 80)\n"
    "  -j JOBS          files resized at the same time (default: the number of cores)\n"
    "  -o DESTDIR       folder for the copies, written under the files' own names\n"
    "A FILE ending in .ppm (binary P6, maxval 255) is resized exactly and written as P6.\n";

int usageError(const char* problem)
{
    std::fprintf(stderr, "orvane-resize: %s\n%s", problem, kUsage);
    return 2;
}

// Standard error shared by all jobs: whole messages, and on a terminal one
// progress line that is cleared before a message and drawn again after it.
class Console {
public:
    explicit Console(std::size_t fileCount) : terminal_(::isatty(STDERR_FILENO) == 1), total_(fileCount) {}

    void message(const std::string& text)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        clearLine();
        std::fprintf(stderr, "%s\n", text.c_str());
        drawLine();
    }

    void progress(const std::string& fileName, std::int32_t row, std::int32_t rowMaximum)
    {
        if (!terminal_)
            return;
        const int percent = rowMaximum > 0 ? int(std::int64_t(row) * 100 / rowMaximum) : 100;
        std::lock_guard<std::mutex> lock(mutex_);
        if (fileName == current_ && percent == percent_)
            return; // at most one redraw per percent per file
        current_ = fileName;
        percent_ = percent;
        drawLine();
    }

    void fileDone()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++done_;
        drawLine();
    }

    void finish()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        clearLine();
    }

private:
    void clearLine()
    {
        if (terminal_ && drawn_) {
            std::fputs("\r\033[K", stderr);
            drawn_ = false;
        }
    }

    void drawLine()
    {
        if (!terminal_)
            return;
        std::fprintf(stderr, "\r\033[K%zu/%zu done", done_, total_);
        if (!current_.empty())
            std::fprintf(stderr, "  %s %d%%", current_.c_str(), percent_);
        std::fflush(stderr);
        drawn_ = true;
    }

    std::mutex mutex_;
    const bool terminal_;
    const std::size_t total_;
    std::size_t done_ = 0;
    std::string current_;
    int percent_ = 0;
    bool drawn_ = false;
};

class ConsoleObserver final : public core::ResizeObserver {
public:
    explicit ConsoleObserver(Console& console) : console_(console) {}

    void showMessage(const std::string& text) override { console_.message(text); }
    void progressStart(const std::string& fileName, std::int32_t rowMaximum) override
    {
        fileName_ = fileName;
        rowMaximum_ = rowMaximum;
        console_.progress(fileName_, 0, rowMaximum_);
    }
    void rowProgress(std::int32_t n) override { console_.progress(fileName_, n, rowMaximum_); }

private:
    Console& console_;
    std::string fileName_;
    std::int32_t rowMaximum_ = 0;
};

struct Options {
    core::SizeMode mode = core::SizeMode::ratio;
    std::string ratioText;
    std::string widthText;
    std::string heightText;
    std::int32_t quality = 80;
    unsigned jobs = 0;
    std::string destination;
    std::vector<std::string> files;
};

bool resizeOne(const Options& options, const std::string& path, Console& console)
{
    // The recorded size is the file's own, from its header.
    auto probe = core::codecForPath(path);
    if (!probe->load(path)) {
        // The job would have refused the folder before reading anything.
        console.message(core::isSameFolder(path, options.destination) ? std::string(core::messages::kSameFolder)
                                                                      : core::messages::loadFailed(path));
        return false;
    }
    core::ResizeRequest request;
    request.sourcePath = path;
    request.destinationFolder = options.destination;
    request.sizeMode = options.mode;
    request.ratioText = options.ratioText;
    request.widthText = options.widthText;
    request.heightText = options.heightText;
    request.recordedWidth = probe->width();
    request.recordedHeight = probe->height();
    request.quality = options.quality;
    probe.reset();

    ConsoleObserver observer(console);
    auto codec = core::codecForPath(path);
    return core::runResizeJob(request, observer, *codec) == core::ResizeOutcome::written;
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    bool haveRatio = false, haveSize = false;
    int option;
    opterr = 0;
    while ((option = ::getopt(argc, argv, "p:s:q:j:o:h")) != -1) {
        switch (option) {
        case 'p':
            if (!core::strToInt(optarg))
                return usageError("PERCENT must be an integer");
            options.mode = core::SizeMode::ratio;
            options.ratioText = optarg;
            haveRatio = true;
            break;
        case 's': {
            const std::string text = optarg;
            const auto x = text.find('x');
            if (x == std::string::npos || !core::strToInt(text.substr(0, x)) || !core::strToInt(text.substr(x + 1)))
                return usageError("the size must be WIDTHxHEIGHT in whole pixels");
            options.mode = core::SizeMode::pixels;
            options.widthText = text.substr(0, x);
            options.heightText = text.substr(x + 1);
            haveSize = true;
            break;
        }
        case 'q': {
            const auto quality = core::strToInt(optarg);
            if (!quality || *quality < 0 || *quality > 100)
                return usageError("QUALITY must be an integer from 0 to 100");
            options.quality = *quality;
            break;
        }
        case 'j': {
            const auto jobs = core::strToInt(optarg);
            if (!jobs || *jobs < 1)
                return usageError("JOBS must be a positive integer");
            options.jobs = unsigned(*jobs);
            break;
        }
        case 'o':
            options.destination = optarg;
            break;
        case 'h':
            std::fputs(kUsage, stdout);
            return 0;
        default:
            return usageError("unknown option or missing value");
        }
    }
    if (haveRatio == haveSize)
        return usageError("give exactly one of -p and -s");
    if (options.destination.empty())
        return usageError("-o DESTDIR is required");
    for (int i = optind; i < argc; ++i)
        options.files.emplace_back(argv[i]);
    if (options.files.empty())
        return usageError("no FILE given");
    if (options.jobs == 0)
        options.jobs = std::max(1u, std::thread::hardware_concurrency());

    Console console(options.files.size());
    std::atomic<std::size_t> next{0};
    std::atomic<bool> anyFailed{false};
    auto work = [&] {
        for (std::size_t i; (i = next++) < options.files.size();) {
            if (!resizeOne(options, options.files[i], console))
                anyFailed = true;
            console.fileDone();
        }
    };
    const unsigned threads = unsigned(std::min<std::size_t>(options.jobs, options.files.size()));
    std::vector<std::thread> pool;
    for (unsigned t = 1; t < threads; ++t)
        pool.emplace_back(work);
    work();
    for (auto& thread : pool)
        thread.join();
    console.finish();
    return anyFailed ? 1 : 0;
}
