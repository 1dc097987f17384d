// The start of the program itself, on a real X display (Xvfb): from the moment the process is
// started to the moment its window is mapped on the screen, beside the time it takes to read
// the same database into one tree. The program runs as the user starts it, in a start directory
// whose settings file names the database.
#include <poll.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

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
            std::printf("%.3f\n", std::chrono::duration<double, std::milli>(end - start).count());
            std::fflush(stdout);
        }
        child.end();
    }
    platform::deleteFile(startDirectory + "/Quorvia.ini");
    ::rmdir(startDirectory.c_str());
    xcb_disconnect(display);
    return status;
}

Figure startFigure(const std::string& program, const std::string& database, size_t nodes, int runs,
                   const std::string& scratch) {
    Figure figure;
    figure.key = "start_to_window_ms_" + std::to_string(nodes);
    figure.label = "start to the window on X, " + std::to_string(nodes) + " nodes";
    // xvfb-run starts the command through a shell, so this program goes by its real path.
    char self[4096] = {};
    if (::readlink("/proc/self/exe", self, sizeof self - 1) < 0) {
        std::abort();
    }
    const std::string report =
        outputOf({"xvfb-run", "-a", "-s", "-screen 0 1280x1024x24", self, "--time-start", program,
                  database, "--runs", std::to_string(runs)},
                 scratch)
            .value_or("");
    if (report.empty()) {
        std::fprintf(stderr, "the start on Xvfb failed (are xvfb-run and xauth installed?)\n");
        figure.median = figure.min = figure.max = -1;
    }
    std::vector<double> times;
    for (const char* p = report.c_str(); *p != '\0';) {
        char* end = nullptr;
        const double time = std::strtod(p, &end);
        if (end == p) {
            break;
        }
        times.push_back(time);
        p = end;
    }
    if (times.empty()) {
        return figure;
    }
    std::sort(times.begin(), times.end());
    figure.median = times[times.size() / 2];
    figure.min = times.front();
    figure.max = times.back();
    return figure;
}

void addStartFigures(std::vector<Figure>& figures, const std::string& program,
                     const std::string& folder, const std::vector<size_t>& sizes, int runs) {
    for (const size_t nodes : sizes) {
        const std::string database = folder + "/start-" + std::to_string(nodes) + ".qv";
        if (platform::replaceFile(database, generateDatabase(nodes)) != 0) {
            std::abort();
        }
        auto tree = std::make_unique<model::Tree>();
        Figure read = timeIt(
            "read_one_tree_ms_" + std::to_string(nodes),
            "read into one tree (baseline), " + std::to_string(nodes) + " nodes", runs,
            [&] { tree = std::make_unique<model::Tree>(); },
            [&] { model::readDatabaseFile(*tree, database); });
        tree.reset();
        figures.push_back(read);
        Figure start = startFigure(program, database, nodes, runs, folder + "/start.txt");
        start.baselineKey = read.key;
        figures.push_back(start);
        platform::deleteFile(database);
    }
}

}  // namespace quorvia::bench
