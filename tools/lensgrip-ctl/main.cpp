// lensgrip-ctl: checks a USB PTZ camera from the command line through the Lensgrip library, without the
// control panel: list the cameras, show their ranges and positions, move, zoom, focus and press the
// keys of the camera's on-screen menu.

#include "simulatedbackend.h"

#include <lensgrip/devicebackend.h>
#include <lensgrip/lensgripresult.h>
#include <lensgrip/uvccameralibrary.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <linux/usb/video.h>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr const char *kSimulatedCamera = "Simulated PTZ Camera";

const char *const kUsage
    = "Usage: lensgrip-ctl [--simulate] [--quiet] <command> [arguments]\n"
      "\n"
      "Commands:\n"
      "  list                                   list the USB cameras by the names the panel uses\n"
      "  ranges <camera>                        speed ranges, positions, auto focus and menu support\n"
      "  move <camera> <direction> [speed]      start moving: left, right, up, down, up-left,\n"
      "                                         up-right, down-left or down-right\n"
      "  stop <camera>                          stop pan, tilt and zoom (`focus <camera> stop` for focus)\n"
      "  zoom <camera> in|out|stop [speed]      start or stop zooming\n"
      "  focus <camera> near|far|stop|auto|manual [speed]\n"
      "  goto <camera> <pan> <tilt> <zoom>      go to absolute positions\n"
      "  home <camera>                          go to the home position and turn auto focus on\n"
      "  menu <camera> open|enter|back|up|down|left|right\n"
      "                                         press a key of the camera's on-screen menu\n"
      "\n"
      "Options:\n"
      "  --for <ms>     with move, zoom and focus: stop again after this many milliseconds\n"
      "  --simulate     use a built-in simulated PTZ camera instead of /dev/video*\n"
      "  --quiet        hide the library's diagnostics\n"
      "\n"
      "<camera> is a name as `list` prints it, or its number in that list.\n"
      "Motion started by move, zoom and focus goes on until `stop` (or --for) ends it.\n";

// The tool's own output; with --quiet, standard output (where the library prints) goes to /dev/null.
std::FILE *g_out = stdout;

struct Options
{
    bool simulate = false;
    bool quiet = false;
    long durationMs = -1;
    std::vector<std::string> arguments;
};

int usageError(const std::string &message)
{
    std::fprintf(stderr, "lensgrip-ctl: %s\n\n%s", message.c_str(), kUsage);
    return kExitUsage;
}

bool parseInt(const std::string &text, long &value)
{
    if (text.empty())
        return false;
    char *end = nullptr;
    errno = 0;
    value = std::strtol(text.c_str(), &end, 10);
    return errno == 0 && *end == '\0' && value >= INT32_MIN && value <= INT32_MAX;
}

std::vector<std::string> listCameras()
{
    static char buffers[256][256];
    char *names[256];
    for (int i = 0; i < 256; ++i)
        names[i] = buffers[i];
    int count = 0;
    UVCCameraLibrary::listDevices(names, count);
    return std::vector<std::string>(names, names + count);
}

// Nodes this user may not open: the usual reason a camera that is plugged in is not listed.
std::vector<std::string> inaccessibleNodes()
{
    std::vector<std::string> nodes;
    if (DIR *dir = ::opendir("/dev")) {
        while (const dirent *entry = ::readdir(dir)) {
            if (std::strncmp(entry->d_name, "video", 5) != 0)
                continue;
            const std::string path = std::string("/dev/") + entry->d_name;
            if (::access(path.c_str(), R_OK | W_OK) != 0)
                nodes.push_back(path);
        }
        ::closedir(dir);
    }
    return nodes;
}

std::string hexResult(long result)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", unsigned(uint32_t(result)));
    return text;
}

class Session
{
public:
    explicit Session(const Options &options) : m_options(options) {}

    // Finds the camera by name or number and connects to it.
    bool open(const std::string &camera)
    {
        const std::vector<std::string> names = listCameras();
        std::string name;
        long index = -1;
        for (const std::string &candidate : names) {
            if (candidate == camera)
                name = candidate;
        }
        if (name.empty() && parseInt(camera, index) && index >= 0 && size_t(index) < names.size())
            name = names[size_t(index)];
        if (name.empty()) {
            std::fprintf(stderr, "lensgrip-ctl: no camera named \"%s\"; `lensgrip-ctl list` shows them\n",
                         camera.c_str());
            return false;
        }
        std::vector<char> bytes(name.begin(), name.end());
        bytes.push_back('\0');
        if (!m_library.connectDevice(bytes.data())) {
            std::fprintf(stderr, "lensgrip-ctl: cannot open \"%s\"\n", name.c_str());
            return false;
        }
        m_name = name;
        return true;
    }

    UVCCameraLibrary &library() { return m_library; }

    // Reports one library result; false for a failure.
    bool report(const char *what, long result)
    {
        if (result < 0) {
            std::fprintf(stderr, "lensgrip-ctl: %s failed (%s)\n", what, hexResult(result).c_str());
            return false;
        }
        std::fprintf(g_out, "%s: ok\n", what);
        return true;
    }

    bool waitAndStop(const char *what, const std::function<long()> &stop)
    {
        if (m_options.durationMs < 0)
            return true;
        std::fflush(g_out);
        std::this_thread::sleep_for(std::chrono::milliseconds(m_options.durationMs));
        return report(what, stop());
    }

private:
    const Options &m_options;
    UVCCameraLibrary m_library;
    std::string m_name;
};

int commandList(const Options &options)
{
    const std::vector<std::string> names = listCameras();
    for (size_t i = 0; i < names.size(); ++i)
        std::fprintf(g_out, "%zu: %s\n", i, names[i].c_str());
    if (names.empty()) {
        std::fprintf(stderr, "lensgrip-ctl: no USB camera found\n");
        if (!options.simulate) {
            for (const std::string &node : inaccessibleNodes())
                std::fprintf(stderr,
                             "lensgrip-ctl: %s exists but you may not open it; add yourself to its group "
                             "(usually `video`) and log in again\n",
                             node.c_str());
        }
    }
    return kExitOk;
}

int commandRanges(Session &session)
{
    UVCCameraLibrary &camera = session.library();
    const struct
    {
        const char *name;
        uvc_ranges_t range;
        long position;
    } axes[] = {
        {"pan", camera.getPanCtrlRanges(), camera.getPan()},
        {"tilt", camera.getTiltCtrlRanges(), camera.getTilt()},
        {"zoom", camera.getZoomCtrlRanges(), camera.getZoom()},
        {"focus", camera.getFocusCtrlRanges(), camera.getFocus()},
    };
    for (const auto &axis : axes) {
        if (axis.range.maximum == 0)
            std::fprintf(g_out, "%-5s speed: not supported\n", axis.name);
        else
            std::fprintf(g_out, "%-5s speed: %d..%d (default %d)\n", axis.name, axis.range.minimum,
                         axis.range.maximum, axis.range.defaultValue);
    }
    for (const auto &axis : axes)
        std::fprintf(g_out, "%-5s position: %ld\n", axis.name, axis.position);
    std::fprintf(g_out, "auto focus: %s\n", camera.getAutoFocus() ? "on" : "off");
    std::fprintf(g_out, "on-screen menu: %s\n", camera.checkOSDMenu() < 0 ? "not available" : "available");
    return kExitOk;
}

int commandMove(Session &session, const std::vector<std::string> &args)
{
    UVCCameraLibrary &camera = session.library();
    long speed = -1;
    if (args.size() > 2 && (!parseInt(args[2], speed) || speed < 0))
        return usageError("speed must be a number from 0: " + args[2]);
    // Without a speed each axis runs at its own default speed.
    const int panSpeed = speed >= 0 ? int(speed) : camera.getPanCtrlRanges().defaultValue;
    const int tiltSpeed = speed >= 0 ? int(speed) : camera.getTiltCtrlRanges().defaultValue;
    struct Step
    {
        const char *what;
        std::function<long()> call;
    };
    const Step up{"tilt up", [&] {
                      return camera.moveTiltOneTop(tiltSpeed);
                  }};
    const Step down{"tilt down", [&] {
                        return camera.moveTiltOneBottom(tiltSpeed);
                    }};
    const Step left{"pan left", [&] {
                        return camera.movePanOneLeft(panSpeed);
                    }};
    const Step right{"pan right", [&] {
                         return camera.movePanOneRight(panSpeed);
                     }};
    const std::map<std::string, std::vector<Step>> directions = {
        {"left", {left}},
        {"right", {right}},
        {"up", {up}},
        {"down", {down}},
        {"up-left", {up, left}},
        {"up-right", {up, right}},
        {"down-left", {down, left}},
        {"down-right", {down, right}},
    };
    const auto direction = directions.find(args[1]);
    if (direction == directions.end())
        return usageError("unknown direction: " + args[1]);
    bool ok = true;
    for (const Step &step : direction->second)
        ok = session.report(step.what, step.call()) && ok;
    ok = session.waitAndStop("stop", [&] { return camera.stopMoving(); }) && ok;
    return ok ? kExitOk : kExitFailed;
}

int commandZoomOrFocus(Session &session, const std::string &command, const std::vector<std::string> &args)
{
    UVCCameraLibrary &camera = session.library();
    const bool zoom = command == "zoom";
    long speed = (zoom ? camera.getZoomCtrlRanges() : camera.getFocusCtrlRanges()).defaultValue;
    if (args.size() > 2 && (!parseInt(args[2], speed) || speed < 0))
        return usageError("speed must be a number from 0: " + args[2]);
    const int s = int(speed);
    const std::string &action = args[1];
    const std::string what = command + " " + action;
    std::function<long()> call;
    if (zoom && action == "in")
        call = [&] {
            return camera.zoomOneIn(s);
        };
    else if (zoom && action == "out")
        call = [&] {
            return camera.zoomOneOut(s);
        };
    else if (zoom && action == "stop")
        return session.report(what.c_str(), camera.stopZooming()) ? kExitOk : kExitFailed;
    else if (!zoom && action == "near")
        call = [&] {
            return camera.focusOneIn(s);
        };
    else if (!zoom && action == "far")
        call = [&] {
            return camera.focusOneOut(s);
        };
    else if (!zoom && action == "stop")
        return session.report(what.c_str(), camera.stopFocusing()) ? kExitOk : kExitFailed;
    else if (!zoom && (action == "auto" || action == "manual"))
        return session.report(what.c_str(), camera.setAutoFocus(action == "auto")) ? kExitOk : kExitFailed;
    else
        return usageError("unknown " + command + " action: " + action);
    bool ok = session.report(what.c_str(), call());
    ok = session.waitAndStop((command + " stop").c_str(), [&] {
        return zoom ? camera.stopZooming() : camera.stopFocusing();
    }) && ok;
    return ok ? kExitOk : kExitFailed;
}

int commandMenu(Session &session, const std::string &key)
{
    UVCCameraLibrary &camera = session.library();
    const std::map<std::string, std::function<long()>> keys = {
        {"open",
         [&] {
             return camera.osdMenuOpenClose();
         }},
        {"close",
         [&] {
             return camera.osdMenuOpenClose();
         }},
        {"enter",
         [&] {
             return camera.osdMenuEnter();
         }},
        {"back",
         [&] {
             return camera.osdMenuBack();
         }},
        {"up",
         [&] {
             return camera.osdMenuUp();
         }},
        {"down",
         [&] {
             return camera.osdMenuDown();
         }},
        {"left",
         [&] {
             return camera.osdMenuLeft();
         }},
        {"right",
         [&] {
             return camera.osdMenuRight();
         }},
    };
    const auto found = keys.find(key);
    if (found == keys.end())
        return usageError("unknown menu key: " + key);
    // The check finds the menu's extension unit; a camera without one has no menu to drive.
    camera.checkOSDMenu();
    const long result = found->second();
    if (result == lensgrip::kResultPointer) {
        std::fprintf(stderr, "lensgrip-ctl: this camera has no on-screen menu unit\n");
        return kExitFailed;
    }
    return session.report(("menu " + key).c_str(), result) ? kExitOk : kExitFailed;
}

// How many arguments after the command each command takes: minimum and maximum.
const std::map<std::string, std::pair<size_t, size_t>> kArity = {
    {"list", {0, 0}},  {"ranges", {1, 1}}, {"move", {2, 3}}, {"stop", {1, 1}}, {"zoom", {2, 3}},
    {"focus", {2, 3}}, {"goto", {4, 4}},   {"home", {1, 1}}, {"menu", {2, 2}},
};

int run(const Options &options)
{
    if (options.arguments.empty())
        return usageError("no command given");
    const std::string &command = options.arguments.front();
    const std::vector<std::string> args(options.arguments.begin() + 1, options.arguments.end());
    const auto arity = kArity.find(command);
    if (arity == kArity.end())
        return usageError("unknown command: " + command);
    if (args.size() < arity->second.first || args.size() > arity->second.second)
        return usageError("wrong number of arguments for " + command);
    if (command == "list")
        return commandList(options);

    Session session(options);
    if (!session.open(args[0]))
        return kExitFailed;
    UVCCameraLibrary &camera = session.library();
    if (command == "ranges")
        return commandRanges(session);
    if (command == "move")
        return commandMove(session, args);
    if (command == "zoom" || command == "focus")
        return commandZoomOrFocus(session, command, args);
    if (command == "menu")
        return commandMenu(session, args[1]);
    if (command == "stop") {
        const bool moving = session.report("stop moving", camera.stopMoving());
        const bool zooming = session.report("stop zooming", camera.stopZooming());
        return moving && zooming ? kExitOk : kExitFailed;
    }
    if (command == "home")
        return session.report("home", camera.moveHome()) ? kExitOk : kExitFailed;
    // goto
    long position[3];
    for (int i = 0; i < 3; ++i) {
        if (!parseInt(args[size_t(i) + 1], position[i]))
            return usageError("position must be a number: " + args[size_t(i) + 1]);
    }
    return session.report("goto", camera.moveAbsPTZ(int(position[0]), int(position[1]), int(position[2])))
               ? kExitOk
               : kExitFailed;
}

} // namespace

int main(int argc, char **argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return kExitOk;
        }
        if (arg == "--simulate") {
            options.simulate = true;
        } else if (arg == "--quiet" || arg == "-q") {
            options.quiet = true;
        } else if (arg == "--for") {
            if (i + 1 >= argc || !parseInt(argv[i + 1], options.durationMs) || options.durationMs < 0)
                return usageError("--for needs a number of milliseconds");
            ++i;
        } else if (long number = 0; arg.size() > 1 && arg[0] == '-' && !parseInt(arg, number)) {
            return usageError("unknown option: " + arg); // negative numbers are positions, not options
        } else {
            options.arguments.push_back(arg);
        }
    }

    if (options.quiet) {
        // Keep the tool's own output on the real standard output; the library's goes nowhere.
        const int saved = ::dup(STDOUT_FILENO);
        const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (saved >= 0 && null >= 0) {
            g_out = ::fdopen(saved, "w");
            ::dup2(null, STDOUT_FILENO);
            ::close(null);
        }
    }

    std::shared_ptr<lensgrip::SimulatedBackend> simulation;
    std::shared_ptr<lensgrip::SimulatedDevice> simulatedCamera;
    if (options.simulate) {
        simulation = std::make_shared<lensgrip::SimulatedBackend>();
        simulatedCamera = simulation->addCamera(kSimulatedCamera);
        lensgrip::setDeviceBackend(simulation);
    }

    const int status = run(options);

    if (simulatedCamera && !simulatedCamera->writes.empty())
        std::fprintf(g_out, "simulated camera received: %s\n", simulatedCamera->writesText().c_str());
    if (simulatedCamera) {
        // Menu keys are SET_CUR requests on the menu unit, one selector per key; the rest are probes.
        std::string keys;
        for (const lensgrip::ExtensionUnitRequest &request : simulatedCamera->extensionUnitRequests) {
            if (request.query != UVC_SET_CUR)
                continue;
            keys += (keys.empty() ? "" : ",") + std::to_string(request.selector);
        }
        if (!keys.empty())
            std::fprintf(g_out, "simulated menu unit received: SET_CUR selector %s\n", keys.c_str());
    }
    std::fflush(g_out);
    return status;
}
