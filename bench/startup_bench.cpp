// Time to the first frame of a window, from the start of its program, measured from outside
// on an X server (Xvfb): the program is started, its window is found by its title when it is
// mapped, and the time is taken when the window first shows something other than its
// background (its first frame has been drawn). Two programs are measured in turn, round by
// round, so that both meet the same machine load; medians and their ratio are printed.
//
//   startup_bench <rounds> <title A> <folder A> <program A> <title B> <folder B> <program B>
//
// Each program runs in its folder and is killed once its window has been drawn. A program that
// notes its start-up stages in the file named by LJT_STARTUP_MARKS ("nanoseconds stage" lines,
// on the steady clock) has the median time of each stage printed as well.
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <map>
#include <optional>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

struct Program {
    std::string title;
    std::string folder;
    std::string path;
    std::vector<double> ms;
    /// The stages the program noted, in the order first seen, with their times from the start.
    std::vector<std::string> stages;
    std::map<std::string, std::vector<double>> stageMs;
};

/// Adds the stages noted in file to p, timed from start; removes the file.
void ReadMarks(const std::string& file, Clock::time_point start, Program& p) {
    std::ifstream in(file);
    long long ns = 0;
    std::string stage;
    while (in >> ns && std::getline(in >> std::ws, stage)) {
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::nanoseconds(ns) -
                                                                    start.time_since_epoch())
                              .count();
        if (p.stageMs.count(stage) == 0) {
            p.stages.push_back(stage);
        }
        p.stageMs[stage].push_back(ms);
    }
    std::remove(file.c_str());
}

xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
    auto* reply = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::strlen(name), name), nullptr);
    const xcb_atom_t atom = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return atom;
}

std::string Title(xcb_connection_t* c, xcb_window_t w, xcb_atom_t netName, xcb_atom_t utf8) {
    for (const auto& [property, type] :
         {std::pair{netName, utf8},
          std::pair<xcb_atom_t, xcb_atom_t>{XCB_ATOM_WM_NAME, XCB_ATOM_STRING}}) {
        auto* reply =
            xcb_get_property_reply(c, xcb_get_property(c, 0, w, property, type, 0, 256), nullptr);
        if (reply != nullptr) {
            std::string title(static_cast<const char*>(xcb_get_property_value(reply)),
                              xcb_get_property_value_length(reply));
            std::free(reply);
            if (!title.empty()) {
                return title;
            }
        }
    }
    return {};
}

/// True once the window's pixels are not all the same.
bool Drawn(xcb_connection_t* c, xcb_window_t w) {
    auto* geometry = xcb_get_geometry_reply(c, xcb_get_geometry(c, w), nullptr);
    if (geometry == nullptr) {
        return false;
    }
    const auto width = geometry->width;
    const auto height = geometry->height;
    std::free(geometry);
    auto* image = xcb_get_image_reply(
        c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, w, 0, 0, width, height, ~0u), nullptr);
    if (image == nullptr) {
        return false;
    }
    const auto* data = reinterpret_cast<const std::uint32_t*>(xcb_get_image_data(image));
    const int count = xcb_get_image_data_length(image) / 4;
    bool varied = false;
    for (int i = 1; i < count && !varied; ++i) {
        varied = (data[i] & 0xFFFFFF) != (data[0] & 0xFFFFFF);
    }
    std::free(image);
    return varied;
}

std::optional<double> Measure(xcb_connection_t* c, xcb_window_t root, Program& p) {
    const xcb_atom_t netName = Atom(c, "_NET_WM_NAME");
    const xcb_atom_t utf8 = Atom(c, "UTF8_STRING");
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(c);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, p.folder.c_str());
    const int quiet = ::open("/dev/null", O_WRONLY);
    posix_spawn_file_actions_adddup2(&actions, quiet, 1);
    posix_spawn_file_actions_adddup2(&actions, quiet, 2);
    char* argv[] = {p.path.data(), nullptr};
    const std::string marks = "/tmp/ljt-startup-marks-" + std::to_string(::getpid());
    std::remove(marks.c_str());
    std::string marksVariable = "LJT_STARTUP_MARKS=" + marks;
    std::vector<char*> env;
    for (char** e = environ; *e != nullptr; ++e) {
        if (std::strncmp(*e, "LJT_STARTUP_MARKS=", 18) != 0) {
            env.push_back(*e);
        }
    }
    env.push_back(marksVariable.data());
    env.push_back(nullptr);
    pid_t pid = 0;
    const auto start = Clock::now();
    if (posix_spawn(&pid, p.path.c_str(), &actions, nullptr, argv, env.data()) != 0) {
        std::perror(p.path.c_str());
        return std::nullopt;
    }
    posix_spawn_file_actions_destroy(&actions);
    ::close(quiet);

    std::optional<double> result;
    xcb_window_t window = XCB_NONE;
    const auto deadline = start + std::chrono::seconds(20);
    while (Clock::now() < deadline && !result) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(c)) {
            if ((event->response_type & 0x7F) == XCB_MAP_NOTIFY && window == XCB_NONE) {
                const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event);
                if (Title(c, map->window, netName, utf8) == p.title) {
                    window = map->window;
                }
            }
            std::free(event);
        }
        if (window != XCB_NONE && Drawn(c, window)) {
            result = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            break;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    if (result) {
        ReadMarks(marks, start, p);
    }
    std::remove(marks.c_str());
    const std::uint32_t none = 0;
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &none);
    xcb_flush(c);
    while (xcb_generic_event_t* event = xcb_poll_for_event(c)) {
        std::free(event);
    }
    return result;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 8) {
        std::fprintf(stderr,
                     "usage: %s <rounds> <title> <folder> <program> <title> <folder> "
                     "<program>\n",
                     argv[0]);
        return 2;
    }
    const int rounds = std::atoi(argv[1]);
    Program programs[2] = {{argv[2], argv[3], argv[4], {}, {}, {}},
                           {argv[5], argv[6], argv[7], {}, {}, {}}};
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c) != 0) {
        std::fprintf(stderr, "no X server (DISPLAY)\n");
        return 1;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    // One warm-up run of each, so that both start from a warm file cache.
    for (Program& p : programs) {
        if (!Measure(c, root, p)) {
            std::fprintf(stderr, "%s: no window \"%s\" was drawn\n", p.path.c_str(),
                         p.title.c_str());
            return 1;
        }
        p.stages.clear();
        p.stageMs.clear();
    }
    for (int round = 0; round < rounds; ++round) {
        // Alternated, the order swapped every round.
        for (int k = 0; k < 2; ++k) {
            Program& p = programs[(round + k) % 2];
            if (auto ms = Measure(c, root, p)) {
                p.ms.push_back(*ms);
            }
        }
    }
    for (const Program& p : programs) {
        std::printf("%-24s median %7.1f ms  min %7.1f ms  (%zu runs)\n", p.title.c_str(),
                    Median(p.ms), *std::min_element(p.ms.begin(), p.ms.end()), p.ms.size());
    }
    std::printf("ratio of the medians: %.2f (goal <= 1.3)\n",
                Median(programs[0].ms) / Median(programs[1].ms));
    for (const Program& p : programs) {
        if (p.stages.empty()) {
            continue;
        }
        // Stages noted after the first frame are there only when the program got that far
        // before it was killed: n says how often.
        std::printf("%s, from the start (median of the runs that got there):\n", p.title.c_str());
        for (const std::string& stage : p.stages) {
            const std::vector<double>& ms = p.stageMs.at(stage);
            std::printf("  %-22s %7.1f ms  (n=%zu)\n", stage.c_str(), Median(ms), ms.size());
        }
    }
    xcb_disconnect(c);
    return 0;
}
