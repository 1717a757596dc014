// End-to-end runs of the real executable on the test's X display, with data/ as its
// working folder: the window's title and client size as xwininfo reports them,
// Escape ending the show with exit code 0, and a missing GL extension ending it
// with exit code 1 and a message naming it. Waits are generous and everything is
// polled, so a loaded two-core machine only makes the test slower.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using namespace std::chrono_literals;

const std::string window_title = " =   Velmoria - KRV 2010 = ";

std::string run_command(const std::string& command) {
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, pipe)) output += buffer;
        pclose(pipe);
    }
    return output;
}

std::string read_text(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The show as a child process with its output in files.
class show_process {
public:
    explicit show_process(const std::vector<std::pair<std::string, std::string>>& environment = {}) {
        char pattern[] = "/tmp/velmoria_smoke_XXXXXX";
        folder_ = mkdtemp(pattern);
        pid_ = fork();
        if (pid_ == 0) {
            for (const auto& [name, value] : environment) {
                if (value.empty())
                    unsetenv(name.c_str());
                else
                    setenv(name.c_str(), value.c_str(), 1);
            }
            int out = open((folder_ + "/stdout").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            int err = open((folder_ + "/stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(out, 1);
            dup2(err, 2);
            if (chdir(VELMORIA_SOURCE_DIR "/data") != 0) _exit(126);
            execl(VELMORIA_BINARY_DIR "/velmoria", "velmoria", static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    ~show_process() {
        if (pid_ > 0 && !finished_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        std::remove((folder_ + "/stdout").c_str());
        std::remove((folder_ + "/stderr").c_str());
        rmdir(folder_.c_str());
    }
    // True once the process has ended; its status is then in `status`.
    bool ended() {
        if (finished_) return true;
        if (waitpid(pid_, &status_, WNOHANG) == pid_) finished_ = true;
        return finished_;
    }
    bool wait_for_end(std::chrono::seconds limit) {
        auto deadline = std::chrono::steady_clock::now() + limit;
        while (!ended() && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(100ms);
        return finished_;
    }
    pid_t pid() const { return pid_; }
    int exit_code() const { return WIFEXITED(status_) ? WEXITSTATUS(status_) : -1000 - WTERMSIG(status_); }
    std::string standard_error() const { return read_text(folder_ + "/stderr"); }

private:
    std::string folder_;
    pid_t pid_ = -1;
    int status_ = 0;
    bool finished_ = false;
};

// The id of the show's window that belongs to process `pid` (other tests may have
// windows with the same title open at the same time); empty while there is none.
std::string show_window_id(pid_t pid) {
    std::istringstream tree(run_command("xwininfo -root -tree 2>/dev/null"));
    std::string line;
    while (std::getline(tree, line)) {
        if (line.find("\"" + window_title + "\"") == std::string::npos) continue;
        std::istringstream words(line);
        std::string id;
        words >> id;
        std::string owner = run_command("xprop -id " + id + " _NET_WM_PID 2>/dev/null");
        if (owner.find("= " + std::to_string(pid) + "\n") != std::string::npos) return id;
    }
    return {};
}

std::string window_info(const std::string& id) { return run_command("xwininfo -id " + id + " 2>/dev/null"); }

// Every run goes without GTK (no display backend for it) and with SDL's silent
// audio driver: the setup dialog then takes its fixed 1280 x 720 windowed mode,
// message boxes go to standard error only instead of waiting for a click, and no
// sound card is needed.
std::vector<std::pair<std::string, std::string>> headless_environment(
    std::vector<std::pair<std::string, std::string>> extra = {}) {
    extra.insert(extra.begin(), {{"GDK_BACKEND", "wayland"}, {"WAYLAND_DISPLAY", ""}, {"SDL_VIDEODRIVER", "x11"},
                                 {"SDL_AUDIODRIVER", "dummy"}});
    return extra;
}

TEST(Smoke, WindowOpensAt1280x720WithItsTitleAndEscapeEndsWithZero) {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "the smoke test runs on an X display";
    ASSERT_TRUE(std::ifstream(VELMORIA_SOURCE_DIR "/data/music/Tolvek - Velmoria.mp3").good())
        << "the soundtrack data/music/Tolvek - Velmoria.mp3 is missing; the show cannot start without it";
    show_process show(headless_environment());
    std::string id;
    std::string info;
    auto deadline = std::chrono::steady_clock::now() + 180s;
    while (std::chrono::steady_clock::now() < deadline && !show.ended()) {
        id = show_window_id(show.pid());
        if (!id.empty()) info = window_info(id);
        if (info.find("Map State: IsViewable") != std::string::npos) break;
        std::this_thread::sleep_for(500ms);
    }
    ASSERT_FALSE(show.ended()) << "the show ended early, code " << show.exit_code() << "\n"
                               << show.standard_error();
    ASSERT_NE(info.find("Map State: IsViewable"), std::string::npos) << "no window titled '" << window_title << "'";
    EXPECT_NE(info.find("\"" + window_title + "\"\n"), std::string::npos) << info;
    EXPECT_NE(info.find("Width: 1280\n"), std::string::npos) << info;
    EXPECT_NE(info.find("Height: 720\n"), std::string::npos) << info;

    // Escape is held, not tapped: the key table is read once per idle pass, and
    // while the show still loads or a software-rendered frame takes seconds, a tap's
    // press and release would both be handled before the next pass looks.
    for (int attempt = 0; attempt < 12 && !show.ended(); ++attempt) {
        run_command("xdotool windowfocus " + id + " mousemove --window " + id +
                    " 100 100 keydown Escape >/dev/null 2>&1");
        show.wait_for_end(20s);
        run_command("xdotool keyup Escape >/dev/null 2>&1");
    }
    ASSERT_TRUE(show.ended()) << "Escape did not end the show";
    EXPECT_EQ(show.exit_code(), 0) << show.standard_error();
}

TEST(Smoke, MissingGlExtensionEndsWithOneAndNamesIt) {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr);
    // Mesa hides the extension from the show.
    show_process show(headless_environment({{"MESA_EXTENSION_OVERRIDE", "-GL_EXT_framebuffer_multisample"}}));
    ASSERT_TRUE(show.wait_for_end(180s));
    EXPECT_EQ(show.exit_code(), 1);
    std::string errors = show.standard_error();
    EXPECT_NE(errors.find("ERROR: This show needs OpenGL 2.0"), std::string::npos) << errors;
    EXPECT_NE(errors.find("  GL_EXT_framebuffer_multisample\n"), std::string::npos) << errors;
    EXPECT_NE(errors.find("Renderer: "), std::string::npos) << errors;
}

}  // namespace
