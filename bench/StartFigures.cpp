// The start of the program itself, on a real X display (Xvfb): from the moment the process is
// started to the moment its window is mapped on the screen, with the processor time and the
// peak memory the process took to get there, beside the time it takes to read the same database
// into one tree and the time hnb (an outliner without a window) takes to load and export the
// same file. The program runs as the user starts it, in a start directory whose settings file
// names the database; the programs take turns, round after round.
#include <poll.h>
#include <time.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>

#include "DataGenerator.h"
#include "Figures.h"
#include "model/DatabaseFile.h"
#include "platform/Files.h"
#include "platform/Process.h"
#include "platform/TextFiles.h"

namespace quorvia::bench {

namespace {

// Waits for the first top-level window mapped on the display; false when the display is gone
// or a minute passed without one.
bool waitForMappedWindow(xcb_connection_t* display) {
    pollfd connection{xcb_get_file_descriptor(display), POLLIN, 0};
    for (;;) {
        xcb_generic_event_t* event = xcb_poll_for_event(display);
        if (event == nullptr) {
            if (xcb_connection_has_error(display) != 0 || ::poll(&connection, 1, 60'000) <= 0) {
                return false;
            }
            continue;
        }
        const bool mapped = (event->response_type & 0x7f) == XCB_MAP_NOTIFY &&
                            !reinterpret_cast<xcb_map_notify_event_t*>(event)->override_redirect;
        std::free(event);
        if (mapped) {
            return true;
        }
    }
}

}  // namespace

int timeStartOnDisplay(const std::string& program, const std::string& database, int runs) {
    xcb_connection_t* display = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(display) != 0) {
        std::fprintf(stderr, "no X display\n");
        return 1;
    }
    // Every window mapped on the root window is reported to us.
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(display)).data;
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(display, screen->root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(display);

    // The benchmark itself may have chosen the offscreen platform; the program must use X.
    ::unsetenv("QT_QPA_PLATFORM");
    char folderTemplate[] = "/tmp/quorvia-start-XXXXXX";
    const std::string startDirectory = mkdtemp(folderTemplate);
    {
        platform::TextFileWriter settings(startDirectory + "/Quorvia.ini");
        settings.writeLine(database);
        settings.commit();
    }
    int status = 0;
    for (int run = 0; run < runs && status == 0; ++run) {
        const auto start = std::chrono::steady_clock::now();
        platform::ChildProcess child =
            platform::ChildProcess::start({program}, {startDirectory, "/dev/null", "/dev/null"});
        if (!child.isRunning() || !waitForMappedWindow(display)) {
            status = 1;
        } else {
            const auto end = std::chrono::steady_clock::now();
            // Every thread's processor time, those that ended included.
            clockid_t clock;
            timespec used{};
            if (clock_getcpuclockid(child.processId(), &clock) != 0 ||
                clock_gettime(clock, &used) != 0) {
                status = 1;
            }
            std::printf("%.3f %.3f %.1f\n",
                        std::chrono::duration<double, std::milli>(end - start).count(),
                        used.tv_sec * 1e3 + used.tv_nsec / 1e6,
                        processMemoryMb(std::to_string(child.processId()), "VmHWM:"));
            std::fflush(stdout);
        }
        child.end();
    }
    platform::deleteFile(startDirectory + "/Quorvia.ini");
    ::rmdir(startDirectory.c_str());
    xcb_disconnect(display);
    return status;
}

namespace {

struct StartSample {
    double toWindowMs = -1;
    double processorMs = -1;
    double peakMb = -1;
};

// One start of `program` under xvfb-run; nothing when it failed.
std::optional<StartSample> startOnce(const std::string& program, const std::string& database,
                                     const std::string& scratch) {
    // xvfb-run starts the command through a shell, so this program goes by its real path.
    char self[4096] = {};
    if (::readlink("/proc/self/exe", self, sizeof self - 1) < 0) {
        std::abort();
    }
    const std::string report = outputOf({"xvfb-run", "-a", "-s", "-screen 0 1280x1024x24", self,
                                         "--time-start", program, database, "--runs", "1"},
                                        scratch)
                                   .value_or("");
    StartSample sample;
    if (std::sscanf(report.c_str(), "%lf %lf %lf", &sample.toWindowMs, &sample.processorMs,
                    &sample.peakMb) != 3) {
        std::fprintf(stderr, "the start on Xvfb failed (are xvfb-run and xauth installed?)\n");
        return std::nullopt;
    }
    return sample;
}

// hnb reading the file as an indented outline and writing it out again; nothing when hnb is
// not installed or failed.
std::optional<double> hnbLoadAndExport(const std::string& database, const std::string& scratch) {
    const auto start = std::chrono::steady_clock::now();
    const std::optional<std::string> report = outputOf(
        {"hnb", database, "-a", "-ui", "cli", "-e", "export_ascii " + scratch + ".txt"}, scratch);
    const auto end = std::chrono::steady_clock::now();
    platform::deleteFile(scratch + ".txt");
    if (!report) {
        return std::nullopt;
    }
    return std::chrono::duration<double, std::milli>(end - start).count();
}

}  // namespace

void addStartFigures(std::vector<Figure>& figures, const std::string& program,
                     const std::string& folder, const std::vector<size_t>& sizes, int runs) {
    std::vector<double> peaks;  // the median peak of each size
    for (const size_t nodes : sizes) {
        const std::string size = std::to_string(nodes);
        const std::string database = folder + "/start-" + size + ".qv";
        if (platform::replaceFile(database, generateDatabase(nodes)) != 0) {
            std::abort();
        }
        auto tree = std::make_unique<model::Tree>();
        Figure read = timeIt(
            "read_one_tree_ms_" + size, "read into one tree (baseline), " + size + " nodes", runs,
            [&] { tree = std::make_unique<model::Tree>(); },
            [&] { model::readDatabaseFile(*tree, database); });
        tree.reset();
        figures.push_back(read);

        std::vector<double> toWindow;
        std::vector<double> processor;
        std::vector<double> peak;
        std::vector<double> hnb;
        for (int round = 0; round < runs; ++round) {
            if (const auto sample = startOnce(program, database, folder + "/start.txt")) {
                toWindow.push_back(sample->toWindowMs);
                processor.push_back(sample->processorMs);
                peak.push_back(sample->peakMb);
            }
            if (const auto time = hnbLoadAndExport(database, folder + "/hnb")) {
                hnb.push_back(*time);
            }
        }
        // Beside hnb where it ran, else beside reading the file into one tree.
        Figure start = figureOf("start_to_window_ms_" + size,
                                "start to the window on X, " + size + " nodes", toWindow);
        start.baselineKey = read.key;
        if (!hnb.empty()) {
            figures.push_back(figureOf("hnb_load_export_ms_" + size,
                                       "hnb: load and export the same file (baseline)", hnb));
            start.baselineKey = figures.back().key;
        }
        figures.push_back(start);
        figures.push_back(
            figureOf("start_cpu_ms_" + size, "  its processor time, every thread", processor));
        figures.push_back(figureOf("start_peak_mb_" + size, "  its peak memory", peak, "MB"));
        peaks.push_back(figures.back().median);
        platform::deleteFile(database);
    }
    if (peaks.size() == 2 && sizes[1] > sizes[0]) {
        Figure marginal;
        marginal.key = "start_peak_bytes_per_node";
        marginal.label = "peak memory per node added, " + std::to_string(sizes[0]) + " to " +
                         std::to_string(sizes[1]);
        marginal.unit = "B";
        marginal.median = marginal.min = marginal.max =
            (peaks[1] - peaks[0]) * 1024 * 1024 / static_cast<double>(sizes[1] - sizes[0]);
        figures.push_back(marginal);
    }
}

}  // namespace quorvia::bench
